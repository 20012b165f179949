#pragma once

#include <QSettings>
#include <QString>
#include <QVariant>

#include <memory>

namespace plinkum {

// The user's persisted settings: an INI file, by default $XDG_CONFIG_HOME/Plinkum/Plinkum.conf.
// Every write is synced at once, so a crash right after a change loses nothing. Reads never fail:
// a missing, unreadable or hand-damaged value reads as its default, out-of-range numbers clamped.
class Settings {
public:
    static constexpr auto enabledKey = "enabled";
    static constexpr auto volumeKey = "volume";
    static constexpr auto playKeyUpKey = "playKeyUp";
    static constexpr auto stereoKey = "stereo";
    static constexpr auto pitchVariationKey = "pitchVariation";
    static constexpr auto selectedPackKey = "selectedPack";
    static constexpr auto builtInSpeakersKey = "builtInSpeakers";
    static constexpr auto onboardingOpenKey = "onboardingOpen";
    static constexpr auto muteShortcutKey = "muteShortcut";

    // The standard store of the user running Plinkum.
    static QString defaultPath();

    explicit Settings(const QString &path = defaultPath());

    // Registered defaults live in memory only; they are what a key without a usable stored value
    // reads as. Called at every start.
    void registerDefaults();

    bool boolValue(const char *key) const;
    double doubleValue(const char *key, double min, double max) const;
    QString stringValue(const char *key) const;

    // Store and sync. Returns false when the file could not be written (logged once per failure run).
    bool setBool(const char *key, bool value);
    bool setDouble(const char *key, double value);
    bool setString(const char *key, const QString &value);

    QString path() const;

private:
    bool store(const char *key, const QVariant &value);
    QVariant registeredDefault(const char *key) const;

    std::unique_ptr<QSettings> m_settings;
    QVariantMap m_defaults;
    bool m_lastWriteFailed = false;
};

} // namespace plinkum
