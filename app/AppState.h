#pragma once

#include "KeyboardMonitor.h"
#include "LoginItem.h"
#include "MuteShortcut.h"
#include "PackInfo.h"
#include "PackLibrary.h"
#include "Settings.h"
#include "SoundEngine.h"

#include <QDBusConnection>
#include <QObject>
#include <QString>
#include <QTimer>
#include <QUrl>

#include <atomic>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <thread>
#include <vector>

namespace plinkum {

class KeyboardAccessRequest;
class SessionWatcher;

// The one owner of the running system and the model every view observes: it owns the sound
// engine, the pack library and the keyboard monitor, keeps the user's settings as properties
// that store themselves and take effect at once, loads the selected pack in the background,
// and tracks whether the keyboard can be heard. Main thread only.
class AppState : public QObject {
    Q_OBJECT
    Q_PROPERTY(bool hasPermission READ hasPermission NOTIFY hasPermissionChanged)
    Q_PROPERTY(bool isLoadingPack READ isLoadingPack NOTIFY isLoadingPackChanged)
    Q_PROPERTY(QString importError READ importError WRITE setImportError NOTIFY importErrorChanged)
    Q_PROPERTY(bool isImporting READ isImporting NOTIFY importProgressChanged)
    Q_PROPERTY(double importProgress READ importProgress NOTIFY importProgressChanged)
    Q_PROPERTY(bool isEnabled READ isEnabled WRITE setIsEnabled NOTIFY isEnabledChanged)
    Q_PROPERTY(double volume READ volume WRITE setVolume NOTIFY volumeChanged)
    Q_PROPERTY(bool playKeyUp READ playKeyUp WRITE setPlayKeyUp NOTIFY playKeyUpChanged)
    Q_PROPERTY(bool stereo READ stereo WRITE setStereo NOTIFY stereoChanged)
    Q_PROPERTY(bool pitchVariation READ pitchVariation WRITE setPitchVariation NOTIFY pitchVariationChanged)
    Q_PROPERTY(bool builtInSpeakers READ builtInSpeakers WRITE setBuiltInSpeakers NOTIFY builtInSpeakersChanged)
    Q_PROPERTY(QString selectedPackID READ selectedPackID WRITE setSelectedPackID NOTIFY selectedPackIDChanged)
    Q_PROPERTY(QString selectedPackName READ selectedPackName NOTIFY selectedPackIDChanged)
    Q_PROPERTY(bool launchAtLogin READ launchAtLogin WRITE setLaunchAtLogin NOTIFY launchAtLoginChanged)
    Q_PROPERTY(QString muteShortcut READ muteShortcut WRITE setMuteShortcut NOTIFY muteShortcutChanged)
    Q_PROPERTY(bool shouldShowOnboarding READ shouldShowOnboarding NOTIFY shouldShowOnboardingChanged)
    Q_PROPERTY(plinkum::PackLibrary *library READ library CONSTANT)
    Q_PROPERTY(bool hasTrayHost READ hasTrayHost WRITE setHasTrayHost NOTIFY hasTrayHostChanged)
    Q_PROPERTY(QString accessRequest READ accessRequest NOTIFY accessRequestChanged)
    Q_PROPERTY(bool accessRuleInstalled READ accessRuleInstalled NOTIFY keyboardAccessChanged)
    Q_PROPERTY(QString accessThrough READ accessThrough NOTIFY keyboardAccessChanged)

public:
    static constexpr std::size_t voiceCount = 24;
    static constexpr int permissionPollMs = 1500;
    // A key source that ended by itself is reopened after these delays, doubling up to the last.
    static constexpr int firstRetryMs = 1000;
    static constexpr int longestRetryMs = 60000;
    // How often a replaced pack that a voice still plays is tried again.
    static constexpr int retiredPackRetryMs = 2000;

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
    };

    explicit AppState(Services services = {}, QObject *parent = nullptr);
    ~AppState() override;

    // The application's state, once main has built it; null before and after.
    static AppState *shared();

    SoundEngine &engine() { return *m_engine; }
    PackLibrary *library() { return m_library; }
    KeyboardMonitor &monitor() { return *m_monitor; }

    bool hasPermission() const { return m_hasPermission; }
    bool isLoadingPack() const { return m_isLoadingPack; }
    QString importError() const { return m_importError; }
    bool isImporting() const { return m_importThread.joinable(); }
    // Share of the files copied, 0 to 1, while importing.
    double importProgress() const { return m_importProgress; }
    bool isEnabled() const { return m_isEnabled; }
    double volume() const { return m_volume; }
    bool playKeyUp() const { return m_playKeyUp; }
    bool stereo() const { return m_stereo; }
    bool pitchVariation() const { return m_pitchVariation; }
    bool builtInSpeakers() const { return m_builtInSpeakers; }
    QString selectedPackID() const { return m_selectedPackID; }
    bool launchAtLogin() const { return m_launchAtLogin; }
    // The keys that switch the sounds on and off: "bothShifts", "scrollLockTwice" or "off".
    QString muteShortcut() const;

    // The first pack, built-in then user packs, whose id is the selection.
    std::optional<PackInfo> selectedPack() const;
    // Its name; empty when the selection names no pack.
    QString selectedPackName() const;
    // True while access is missing, while the first-run window was left open, and on the very
    // first start until that window has been shown.
    bool shouldShowOnboarding() const;
    // Whether the desktop shows Plinkum's tray icon; told by whoever makes the icon.
    bool hasTrayHost() const { return m_hasTrayHost; }
    void setHasTrayHost(bool present);
    // The request for keyboard access: "notAsked", "asking", "granted" or "refused".
    QString accessRequest() const;
    bool accessRuleInstalled() const;
    // How the keyboard is heard: "x11", "rule" (Plinkum's udev rule), "group" (the input group),
    // "other" (the system lets this user read keyboards); empty without access.
    QString accessThrough() const;

    void setImportError(const QString &error);
    void setIsEnabled(bool enabled);
    void setVolume(double volume);
    void setPlayKeyUp(bool playKeyUp);
    void setStereo(bool stereo);
    void setPitchVariation(bool pitchVariation);
    void setBuiltInSpeakers(bool builtInSpeakers);
    void setSelectedPackID(const QString &id);
    void setLaunchAtLogin(bool launchAtLogin);
    // An unknown name is ignored.
    void setMuteShortcut(const QString &name);

    void applyConfig();
    void loadSelectedPack(bool preview);
    void startMonitoring();

    // Starts copying a pack folder or zip archive into the user packs, off this thread; once
    // done the pack is selected, or importError says why not, and importFinished is emitted.
    // False when an import is running already.
    Q_INVOKABLE bool importPack(const QUrl &source);
    void deletePack(const PackInfo &pack);
    Q_INVOKABLE void deletePack(const QString &id);
    // Offers the user the way to let Plinkum read keyboards.
    Q_INVOKABLE void openInputMonitoringSettings();
    // Removes the udev rule the grant installed, then listens again through what is left.
    Q_INVOKABLE void revokeKeyboardAccess();
    // Starts a new Plinkum half a second from now and quits this one.
    Q_INVOKABLE void relaunch();
    // Written by the first-run window: true while it is shown, false once closed.
    Q_INVOKABLE void setOnboardingOpen(bool open);

signals:
    void hasPermissionChanged();
    void isLoadingPackChanged();
    void importErrorChanged();
    void importProgressChanged();
    void importFinished(bool imported);
    void isEnabledChanged();
    void volumeChanged();
    void playKeyUpChanged();
    void stereoChanged();
    void pitchVariationChanged();
    void builtInSpeakersChanged();
    void selectedPackIDChanged();
    void launchAtLoginChanged();
    void muteShortcutChanged();
    void shouldShowOnboardingChanged();
    void hasTrayHostChanged();
    void accessRequestChanged();
    void keyboardAccessChanged();

    // Show the first-run window: queued once after construction when shouldShowOnboarding.
    void onboardingRequested();
    // A pack load for the current selection has finished (loaded or not).
    void packLoadFinished(bool loaded);
    // The process is about to start its successor; let go of anything it must claim.
    void aboutToRelaunch();

private slots:
    void applyFinishedLoads();
    void finishImport();

private:
    struct LoadRequest {
        PackInfo info;
        bool preview = false;
    };

    void setHasPermission(bool hasPermission);
    void setIsLoadingPack(bool isLoadingPack);
    void startLoad(LoadRequest request);
    void finishLoad(const QString &chosenID, LoadedPackPtr pack, bool preview);
    void releaseRetiredPacks();
    void pollKeyboardAccess();
    void applyMuteShortcutToggles();
    bool listenIfAllowed();
    void sessionAllowedChanged(bool allowed);
    void keySourceEnded();
    void retryListening();

    std::unique_ptr<SoundEngine> m_engine;
    PackLibrary *m_library = nullptr;
    MuteShortcut m_muteShortcut;
    // Declared after the engine and the shortcut: its handler uses both, so it must go first.
    std::unique_ptr<KeyboardMonitor> m_monitor;
    QTimer *m_permissionTimer = nullptr;
    SessionWatcher *m_session = nullptr;
    QTimer *m_retryTimer = nullptr;
    int m_retryDelayMs = firstRetryMs;
    Settings m_settings;
    LoginItem m_loginItem;
    std::function<bool()> m_hasKeyboardAccess;
    KeyboardAccessRequest *m_accessRequest = nullptr;

    // One pack load at a time, on its own thread. A newer request cancels the running load and
    // waits here until it has stopped; the result comes back under the mutex, and the thread is
    // joined once it has been taken, so nothing outlives the state.
    std::mutex m_loadsMutex;
    std::thread m_loadThread;
    std::atomic<bool> m_loadCancelled{false};
    LoadRequest m_runningLoad;
    std::optional<LoadRequest> m_nextLoad;
    std::optional<LoadedPackPtr> m_finishedLoad;

    // One import at a time, like loads: staged on its thread, finished here.
    std::thread m_importThread;
    std::atomic<bool> m_importCancelled{false};
    std::optional<PackLibrary::StagedImport> m_stagedImport;
    PackLibrary::ImportError m_stagingError{};
    double m_importProgress = 0.0;
    bool m_releaseScheduled = false;

    bool m_hasPermission = false;
    bool m_isLoadingPack = false;
    QString m_importError;
    bool m_isEnabled = true;
    double m_volume = 0.6;
    bool m_playKeyUp = true;
    bool m_stereo = true;
    bool m_pitchVariation = true;
    bool m_builtInSpeakers = true;
    QString m_selectedPackID;
    bool m_launchAtLogin = false;
    bool m_hasTrayHost = false;
    // No settings file at start: Plinkum never ran for this user.
    bool m_firstStart = false;
};

} // namespace plinkum
