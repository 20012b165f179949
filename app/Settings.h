#pragma once

#include <QSettings>
#include <QString>
#include <QVariant>

#include <memory>

namespace plinkum {

// The user's persisted settings: an INI file, by default $XDG_CONFIG_HOME/Plinkum/Plinkum.conf.
// One table names each setting's key, default and what a valid value is; reading and writing both
// go through it. Every write is synced at once, so a crash right after a change loses nothing.
// Reads never fail: a missing, unreadable or hand-damaged value reads as its default, out-of-range
// numbers clamped.
class Settings {
public:
    enum class Key {
        Enabled, Volume, PlayKeyUp, Stereo, PitchVariation, SelectedPack, BuiltInSpeakers, MuteShortcut, OnboardingOpen,
        MouseClicks, MousePack, MouseVolume
    };
    static constexpr int keyCount = int(Key::MouseVolume) + 1;
    // The stored mousePack that makes clicks sound from the keyboard's pack. An empty one (the
    // default) means the first mouse pack, built-in packs first.
    static constexpr auto sameAsKeyboard = "sameAsKeyboard";

    // The standard store of the user running Plinkum.
    static QString defaultPath();

    explicit Settings(const QString &path = defaultPath());

    // The key in the file.
    static const char *name(Key key);
    static QVariant defaultValue(Key key);
    // The value made valid for the setting (a Boolean from its four spellings, a volume clamped to
    // 0..1, text only as text, a choice only by a known name), or an invalid QVariant when nothing
    // sensible can be made of it.
    static QVariant validated(Key key, const QVariant &value);

    // The stored value, validated; its default when there is none or it is damaged.
    QVariant value(Key key) const;
    // Stores the value as given and syncs. False when the file could not be written (logged once
    // per failure run).
    bool store(Key key, const QVariant &value);

    QString path() const;

private:
    std::unique_ptr<QSettings> m_settings;
    bool m_lastWriteFailed = false;
};

} // namespace plinkum
