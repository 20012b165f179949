#pragma once

#include "ui/AppModel.h"
#include "input/KeyboardMonitor.h"
#include "app/LoginItem.h"
#include "input/MuteShortcut.h"
#include "packs/PackInfo.h"
#include "packs/PackLibrary.h"
#include "app/Settings.h"
#include "audio/SoundEngine.h"

#include <QDBusConnection>
#include <QString>
#include <QUrl>
#include <QVariant>

#include <array>
#include <atomic>
#include <functional>
#include <memory>
#include <optional>

namespace plinkum {

class KeyListening;
class PackImportJob;
class PackSwitcher;
class PeerPackImport;

// The one owner of the running system and the model every view observes: it owns the sound
// engine, the pack library and the keyboard monitor, and keeps the user's settings as properties
// that store themselves and take effect at once. Loading packs, importing them and keeping the
// keyboard heard are jobs of their own that report back here. Main thread only.
class AppState : public AppModel {
    Q_OBJECT

public:
    static constexpr std::size_t voiceCount = 24;

    // What the state is built from. Every part left empty is the real one of this session; tests
    // and the headless mode put their own in place.
    struct Services {
        std::unique_ptr<AudioOutput> output;            // default: the sound server
        KeyboardMonitor::SourceOpener openKeySource;    // default: the source keyboard access picks
        std::function<bool()> hasKeyboardAccess;        // default: the keyboard access check
        QString settingsPath;                           // default: Settings::defaultPath()
        QString autostartPath;                          // default: LoginItem::defaultPath()
        QString builtInPacksFolder;                     // default: beside the executable
        QString userPacksFolder;                        // default: $XDG_DATA_HOME/Plinkum/Packs
        std::optional<QDBusConnection> systemBus;       // default: the system bus, where logind is
        QString pkexec;                                 // default: the system's pkexec
    };

    explicit AppState(Services services = {}, QObject *parent = nullptr);
    ~AppState() override;

    SoundEngine &engine() { return *m_engine; }
    PackLibrary *library() { return m_library; }
    KeyboardMonitor &monitor() { return *m_monitor; }
    KeyListening &listening() { return *m_listening; }

    bool hasPermission() const override;
    bool isLoadingPack() const override;
    QString importError() const override { return m_importError; }
    bool isImporting() const override;
    double importProgress() const override;
    bool isEnabled() const override { return value(Settings::Key::Enabled).toBool(); }
    double volume() const override { return value(Settings::Key::Volume).toDouble(); }
    bool playKeyUp() const override { return value(Settings::Key::PlayKeyUp).toBool(); }
    bool stereo() const override { return value(Settings::Key::Stereo).toBool(); }
    bool pitchVariation() const override { return value(Settings::Key::PitchVariation).toBool(); }
    bool builtInSpeakers() const override { return value(Settings::Key::BuiltInSpeakers).toBool(); }
    QString selectedPackID() const override { return value(Settings::Key::SelectedPack).toString(); }
    QString selectedPackName() const override;
    bool launchAtLogin() const override { return m_launchAtLogin; }
    QString muteShortcut() const override { return value(Settings::Key::MuteShortcut).toString(); }
    bool shouldShowOnboarding() const override;

    // The first pack, built-in then user packs, whose id is the selection.
    std::optional<PackInfo> selectedPack() const;
    QString accessRequest() const override;
    bool accessRuleInstalled() const override;
    QString accessThrough() const override;
    bool hasTrayHost() const override { return m_hasTrayHost; }

    // The import's result beyond success or failure, and import from other apps.
    QStringList importWarnings() const override { return m_importWarnings; }
    void setImportWarnings(const QStringList &warnings) override;
    QVariantList peerPacks() const override;
    bool isFindingPeerPacks() const override;
    void findPeerPacks() override;
    // Selects none of the packs: the user asked for several, not for a new sound.
    bool importPeerPacks(const QStringList &paths) override;
    // Told by whoever makes the tray icon.
    void setHasTrayHost(bool present);

    // Each stored setting is stored and applied on every assignment, an equal value included,
    // but notifies only on a change so that bindings do not loop.
    void setIsEnabled(bool enabled) override { write(Settings::Key::Enabled, enabled); }
    void setVolume(double volume) override { write(Settings::Key::Volume, volume); }
    void setPlayKeyUp(bool playKeyUp) override { write(Settings::Key::PlayKeyUp, playKeyUp); }
    void setStereo(bool stereo) override { write(Settings::Key::Stereo, stereo); }
    void setPitchVariation(bool pitchVariation) override { write(Settings::Key::PitchVariation, pitchVariation); }
    void setBuiltInSpeakers(bool builtInSpeakers) override { write(Settings::Key::BuiltInSpeakers, builtInSpeakers); }
    // A pack that only has click sounds is chosen for the clicks instead, which are turned on (an
    // import, a row in the list of imported packs).
    void setSelectedPackID(const QString &id) override;
    void setMuteShortcut(const QString &name) override { write(Settings::Key::MuteShortcut, name); }
    void setImportError(const QString &error) override;
    void setLaunchAtLogin(bool launchAtLogin) override;

    void preview() override;

    // Mouse clicks
    bool mouseClicks() const override { return value(Settings::Key::MouseClicks).toBool(); }
    QString mousePackID() const override;
    QString mousePackName() const override;
    QVariantList mousePackChoices() const override;
    double mouseVolume() const override { return value(Settings::Key::MouseVolume).toDouble(); }
    void setMouseClicks(bool on) override { write(Settings::Key::MouseClicks, on); }
    void setMousePackID(const QString &id) override;
    void setMouseVolume(double volume) override { write(Settings::Key::MouseVolume, volume); }
    void previewMouse() override;
    // The pack clicks play from; none for "same as keyboard" and when there is no mouse pack.
    std::optional<PackInfo> mousePack() const;

    // Once done the pack is selected, or importError says why not, and importFinished is emitted.
    bool importPack(const QUrl &source) override;
    // The library keeps built-in packs; the selection falls back to the default either way.
    void deletePack(const QString &id) override;
    void setPackTrim(const QString &id, double trimDb) override;
    void requestKeyboardAccess() override;
    void revokeKeyboardAccess() override;
    void setOnboardingOpen(bool open) override;

signals:
    void importFinished(bool imported);
    // Show the first-run window: queued once after construction when shouldShowOnboarding.
    void onboardingRequested();

private:
    // The built-in or user pack of that id.
    std::optional<PackInfo> packWithID(const QString &id) const;
    QVariant value(Settings::Key key) const { return m_values[std::size_t(key)]; }
    void write(Settings::Key key, const QVariant &value);
    void applyConfig();
    void applySpeakers();
    void applyMuteShortcut();
    void applyMuteShortcutToggles();
    void loadSelectedPack(bool preview);
    void previewSelectedPack() { loadSelectedPack(true); }
    void applyMouse() { applyConfig(); loadMousePack(false); }
    void loadMousePack(bool preview);
    void previewMousePack() { applyConfig(); loadMousePack(true); }

    std::unique_ptr<SoundEngine> m_engine;
    PackLibrary *m_library;
    Settings m_settings;
    LoginItem m_loginItem;
    MuteShortcut m_muteShortcut;
    // Read by the keyboard thread: buttons are dropped there while clicks are off.
    std::atomic<bool> m_clicksOn{false};
    // Declared after the engine and the shortcut: its handler uses both, so it must go first.
    std::unique_ptr<KeyboardMonitor> m_monitor;
    // Their threads end before the engine and the library go.
    std::unique_ptr<PackSwitcher> m_packs;
    std::unique_ptr<PackSwitcher> m_mousePacks;
    std::unique_ptr<PackImportJob> m_import;
    // Declared after the job it imports through, so it goes first.
    std::unique_ptr<PeerPackImport> m_peerImport;
    // A child: it outlives the monitor, whose end-of-source handler reaches it.
    KeyListening *m_listening = nullptr;

    std::array<QVariant, Settings::keyCount> m_values;
    QString m_importError;
    QStringList m_importWarnings;
    bool m_launchAtLogin = false;
    bool m_hasTrayHost = false;
    // No settings file at start: Plinkum never ran for this user.
    bool m_firstStart = false;
};

} // namespace plinkum
