#include "AppState.h"

#include "KeyboardAccess.h"
#include "KeyboardAccessRequest.h"
#include "Log.h"
#include "PackLoader.h"
#include "SessionWatcher.h"
#include "SoundServer.h"

#include <QCoreApplication>
#include <QProcess>
#include <QSocketNotifier>

#include <algorithm>
#include <cmath>
#include <optional>
#include <utility>

namespace plinkum {

namespace {

AppState *sharedState = nullptr;

const char *text(bool value)
{
    return value ? "true" : "false";
}

constexpr std::pair<MuteShortcut::Mode, const char *> muteShortcutNames[]{
    {MuteShortcut::Mode::BothShifts, "bothShifts"},
    {MuteShortcut::Mode::ScrollLockTwice, "scrollLockTwice"},
    {MuteShortcut::Mode::Off, "off"},
};

std::optional<MuteShortcut::Mode> muteShortcutMode(const QString &name)
{
    for (const auto &[mode, known] : muteShortcutNames)
        if (name == QLatin1String(known))
            return mode;
    return std::nullopt;
}

// The output for the session's sound server, named once in the log for whoever reads it.
std::unique_ptr<AudioOutput> systemOutput()
{
    const SoundServer::Kind kind = SoundServer::detect();
    log(std::string("audio output: ") + SoundServer::name(kind));
    return SoundServer::makeOutput(kind);
}

} // namespace

AppState *AppState::shared()
{
    return sharedState;
}

AppState::AppState(Services services, QObject *parent)
    : QObject(parent)
    , m_engine(std::make_unique<SoundEngine>(
          voiceCount, services.output ? std::move(services.output) : systemOutput()))
    , m_library(services.builtInPacksFolder.isEmpty() && services.userPacksFolder.isEmpty()
                    ? new PackLibrary(this)
                    : new PackLibrary(services.builtInPacksFolder.isEmpty() ? PackLibrary::defaultBuiltInFolder()
                                                                            : services.builtInPacksFolder,
                                      services.userPacksFolder.isEmpty() ? PackLibrary::defaultUserFolder()
                                                                         : services.userPacksFolder,
                                      this))
    , m_settings(services.settingsPath.isEmpty() ? Settings::defaultPath() : services.settingsPath)
    , m_loginItem(services.autostartPath.isEmpty() ? LoginItem::defaultPath() : services.autostartPath)
    , m_hasKeyboardAccess(services.hasKeyboardAccess ? std::move(services.hasKeyboardAccess)
                                                     : [] { return KeyboardAccess::canListen(); })
    , m_accessRequest(new KeyboardAccessRequest(this))
{
    if (!sharedState)
        sharedState = this;

    m_library->sweepStaleImports();
    m_hasPermission = m_hasKeyboardAccess();
    m_launchAtLogin = m_loginItem.isRegistered();

    m_settings.registerDefaults();
    m_isEnabled = m_settings.boolValue(Settings::enabledKey);
    m_volume = m_settings.doubleValue(Settings::volumeKey, 0.0, 1.0);
    m_playKeyUp = m_settings.boolValue(Settings::playKeyUpKey);
    m_stereo = m_settings.boolValue(Settings::stereoKey);
    m_pitchVariation = m_settings.boolValue(Settings::pitchVariationKey);
    m_builtInSpeakers = m_settings.boolValue(Settings::builtInSpeakersKey);
    m_selectedPackID = m_settings.stringValue(Settings::selectedPackKey);

    if (!selectedPack()) {
        m_selectedPackID = QString::fromLatin1(defaultPackID);
        m_settings.setString(Settings::selectedPackKey, m_selectedPackID);
        loadSelectedPack(true);
    }

    // A stored name this version does not know reads as the default.
    m_muteShortcut.setMode(muteShortcutMode(m_settings.stringValue(Settings::muteShortcutKey))
                               .value_or(MuteShortcut::Mode::BothShifts));
    if (m_muteShortcut.toggleNotifier() >= 0) {
        auto *toggles = new QSocketNotifier(m_muteShortcut.toggleNotifier(), QSocketNotifier::Read, this);
        connect(toggles, &QSocketNotifier::activated, this, &AppState::applyMuteShortcutToggles);
    }

    // The handler runs on the monitor's thread and touches nothing but the engine and the shortcut.
    SoundEngine *engine = m_engine.get();
    MuteShortcut *shortcut = &m_muteShortcut;
    auto handler = [engine, shortcut](KeyboardMonitor::Event event) {
        if (shortcut->handle(event, MuteShortcut::Clock::now()))
            engine->play(event.keyCode, event.type == KeyboardMonitor::Event::Type::Down);
    };
    m_monitor = services.openKeySource ? std::make_unique<KeyboardMonitor>(handler, std::move(services.openKeySource))
                                       : std::make_unique<KeyboardMonitor>(handler);
    m_monitor->setEndedHandler([this] { QMetaObject::invokeMethod(this, &AppState::keySourceEnded, Qt::QueuedConnection); });
    m_retryTimer = new QTimer(this);
    m_retryTimer->setSingleShot(true);
    connect(m_retryTimer, &QTimer::timeout, this, &AppState::retryListening);
    m_session = services.systemBus ? new SessionWatcher(*services.systemBus, this) : new SessionWatcher(this);
    connect(m_session, &SessionWatcher::allowedChanged, this, &AppState::sessionAllowedChanged);

    applyConfig();

    // Device changes are reported on the output's thread; the engine restarts on this one.
    m_engine->setDevicesChangedHandler([this] {
        QMetaObject::invokeMethod(this, [this] { m_engine->start(); }, Qt::QueuedConnection);
    });
    m_engine->setPrefersBuiltInSpeakers(m_builtInSpeakers);
    m_engine->start();

    loadSelectedPack(false);
    startMonitoring();

    connect(m_accessRequest, &KeyboardAccessRequest::granted, this, &AppState::pollKeyboardAccess);
    // A keyboard opened under the rule stays readable after it is gone: close and start over.
    connect(m_accessRequest, &KeyboardAccessRequest::revoked, this, [this] {
        m_monitor->stop();
        startMonitoring();
    });

    if (shouldShowOnboarding())
        QMetaObject::invokeMethod(this, &AppState::onboardingRequested, Qt::QueuedConnection);
}

AppState::~AppState()
{
    // A load or an import stops within one chunk once cancelled, so quitting never waits for it.
    m_loadCancelled = true;
    m_importCancelled = true;
    if (m_loadThread.joinable())
        m_loadThread.join();
    if (m_importThread.joinable())
        m_importThread.join();
    m_engine->setDevicesChangedHandler({});
    if (sharedState == this)
        sharedState = nullptr;
}

std::optional<PackInfo> AppState::selectedPack() const
{
    for (const PackInfo &pack : m_library->all())
        if (pack.id == m_selectedPackID)
            return pack;
    return std::nullopt;
}

QString AppState::selectedPackName() const
{
    const auto pack = selectedPack();
    return pack ? pack->name : QString();
}

bool AppState::shouldShowOnboarding() const
{
    return !m_hasPermission || m_settings.boolValue(Settings::onboardingOpenKey);
}

void AppState::setHasPermission(bool hasPermission)
{
    if (m_hasPermission == hasPermission)
        return;
    m_hasPermission = hasPermission;
    emit hasPermissionChanged();
    emit shouldShowOnboardingChanged();
}

void AppState::setIsLoadingPack(bool isLoadingPack)
{
    if (m_isLoadingPack == isLoadingPack)
        return;
    m_isLoadingPack = isLoadingPack;
    emit isLoadingPackChanged();
}

void AppState::setImportError(const QString &error)
{
    if (m_importError == error)
        return;
    m_importError = error;
    emit importErrorChanged();
}

// Each setter stores and applies on every assignment, an equal value included, but notifies
// only on a change so that bindings do not loop.
void AppState::setIsEnabled(bool enabled)
{
    const bool changed = m_isEnabled != enabled;
    m_isEnabled = enabled;
    if (changed)
        emit isEnabledChanged();
    m_settings.setBool(Settings::enabledKey, enabled);
    applyConfig();
}

void AppState::setVolume(double volume)
{
    if (std::isnan(volume))
        return;
    volume = std::clamp(volume, 0.0, 1.0);
    const bool changed = m_volume != volume;
    m_volume = volume;
    if (changed)
        emit volumeChanged();
    m_settings.setDouble(Settings::volumeKey, volume);
    applyConfig();
}

void AppState::setPlayKeyUp(bool playKeyUp)
{
    const bool changed = m_playKeyUp != playKeyUp;
    m_playKeyUp = playKeyUp;
    if (changed)
        emit playKeyUpChanged();
    m_settings.setBool(Settings::playKeyUpKey, playKeyUp);
    applyConfig();
}

void AppState::setStereo(bool stereo)
{
    const bool changed = m_stereo != stereo;
    m_stereo = stereo;
    if (changed)
        emit stereoChanged();
    m_settings.setBool(Settings::stereoKey, stereo);
    applyConfig();
}

void AppState::setPitchVariation(bool pitchVariation)
{
    const bool changed = m_pitchVariation != pitchVariation;
    m_pitchVariation = pitchVariation;
    if (changed)
        emit pitchVariationChanged();
    m_settings.setBool(Settings::pitchVariationKey, pitchVariation);
    applyConfig();
}

void AppState::setBuiltInSpeakers(bool builtInSpeakers)
{
    const bool changed = m_builtInSpeakers != builtInSpeakers;
    m_builtInSpeakers = builtInSpeakers;
    if (changed)
        emit builtInSpeakersChanged();
    m_settings.setBool(Settings::builtInSpeakersKey, builtInSpeakers);
    m_engine->setPrefersBuiltInSpeakers(builtInSpeakers);
}

void AppState::setSelectedPackID(const QString &id)
{
    const bool changed = m_selectedPackID != id;
    m_selectedPackID = id;
    if (changed)
        emit selectedPackIDChanged();
    m_settings.setString(Settings::selectedPackKey, id);
    loadSelectedPack(true);
}

void AppState::setLaunchAtLogin(bool launchAtLogin)
{
    if (m_launchAtLogin != launchAtLogin) {
        m_launchAtLogin = launchAtLogin;
        emit launchAtLoginChanged();
    }
    if (launchAtLogin == m_loginItem.isRegistered())
        return;
    if (const auto error = m_loginItem.setRegistered(launchAtLogin)) {
        log(("launch at login failed: " + *error).toStdString());
        // The switch shows what will happen at the next login, not what was asked for.
        m_launchAtLogin = m_loginItem.isRegistered();
        emit launchAtLoginChanged();
    }
}

QString AppState::muteShortcut() const
{
    for (const auto &[mode, name] : muteShortcutNames)
        if (mode == m_muteShortcut.mode())
            return QString::fromLatin1(name);
    return {};
}

void AppState::setMuteShortcut(const QString &name)
{
    const auto mode = muteShortcutMode(name);
    if (!mode)
        return;
    const bool changed = m_muteShortcut.mode() != *mode;
    m_muteShortcut.setMode(*mode);
    if (changed)
        emit muteShortcutChanged();
    m_settings.setString(Settings::muteShortcutKey, name);
}

// Each completed gesture does what the panel's switch does.
void AppState::applyMuteShortcutToggles()
{
    for (std::uint64_t toggles = m_muteShortcut.takeToggles(); toggles > 0; --toggles)
        setIsEnabled(!m_isEnabled);
}

void AppState::applyConfig()
{
    SoundEngine::Config config;
    config.enabled = m_isEnabled;
    config.volume = static_cast<float>(m_volume);
    config.playKeyUp = m_playKeyUp;
    config.stereo = m_stereo;
    config.pitchVariation = m_pitchVariation;
    m_engine->setConfig(config);
}

void AppState::loadSelectedPack(bool preview)
{
    std::optional<PackInfo> chosen = selectedPack();
    if (!chosen) {
        if (m_library->builtIn().isEmpty())
            return;
        chosen = m_library->builtIn().first();
    }
    setIsLoadingPack(true);
    if (!m_loadThread.joinable()) {
        startLoad({*chosen, preview});
        return;
    }
    // The running load already brings this pack: it only has to play the preview as well.
    if (!m_nextLoad && m_runningLoad.info == *chosen) {
        m_runningLoad.preview = m_runningLoad.preview || preview;
        return;
    }
    m_loadCancelled = true;
    const bool previewAsked = m_nextLoad && m_nextLoad->info == *chosen && m_nextLoad->preview;
    m_nextLoad = LoadRequest{*chosen, preview || previewAsked};
}

void AppState::startLoad(LoadRequest request)
{
    m_loadCancelled = false;
    m_runningLoad = std::move(request);
    m_loadThread = std::thread([this, info = m_runningLoad.info] {
        LoadedPackPtr pack;
        try {
            pack = PackLoader::load(info, nullptr, &m_loadCancelled).pack();
        } catch (...) {
            // Cancelled, or failed: the engine keeps the pack it has.
        }
        std::lock_guard lock(m_loadsMutex);
        m_finishedLoad = std::move(pack);
        QMetaObject::invokeMethod(this, "applyFinishedLoads", Qt::QueuedConnection);
    });
}

void AppState::applyFinishedLoads()
{
    std::optional<LoadedPackPtr> finished;
    {
        std::lock_guard lock(m_loadsMutex);
        finished.swap(m_finishedLoad);
    }
    if (!finished)
        return;
    m_loadThread.join();
    if (m_nextLoad) {
        // The selection moved on while this one loaded: its result is not wanted.
        LoadRequest next = std::move(*m_nextLoad);
        m_nextLoad.reset();
        startLoad(std::move(next));
        return;
    }
    finishLoad(m_runningLoad.info.id, std::move(*finished), m_runningLoad.preview);
}

void AppState::finishLoad(const QString &chosenID, LoadedPackPtr pack, bool preview)
{
    // The selection moved on while this one loaded; the newer load will finish the job.
    if (chosenID != m_selectedPackID && selectedPack())
        return;
    setIsLoadingPack(false);
    const bool loaded = pack != nullptr;
    if (loaded) {
        m_engine->setPack(std::move(pack));
        if (preview)
            m_engine->play(0, true);
        releaseRetiredPacks();
    }
    emit packLoadFinished(loaded);
}

void AppState::releaseRetiredPacks()
{
    // Replaced packs are freed on this thread, never on the keyboard thread; one a voice still
    // plays is tried again later. No timer runs once none waits.
    m_releaseScheduled = false;
    if (!m_engine->releaseRetiredPacks() || m_releaseScheduled)
        return;
    m_releaseScheduled = true;
    QTimer::singleShot(retiredPackRetryMs, this, &AppState::releaseRetiredPacks);
}

void AppState::startMonitoring()
{
    const bool granted = m_hasKeyboardAccess();
    const bool listening = granted && listenIfAllowed();
    std::string line = std::string("keyboard access granted=") + text(granted) + " listening=" + text(listening);
    if (listening && m_session->isAllowed())
        line += " source=" + std::string(m_monitor->sourceName());
    else if (listening)
        line += " (held back: the session is locked or in the background)";
    log(line);
    if (listening) {
        setHasPermission(true);
        return;
    }
    setHasPermission(false);
    delete m_permissionTimer;
    m_permissionTimer = new QTimer(this);
    m_permissionTimer->setInterval(permissionPollMs);
    connect(m_permissionTimer, &QTimer::timeout, this, &AppState::pollKeyboardAccess);
    m_permissionTimer->start();
}

void AppState::pollKeyboardAccess()
{
    if (m_hasPermission || !m_hasKeyboardAccess() || !listenIfAllowed())
        return;
    setHasPermission(true);
    if (m_permissionTimer) {
        m_permissionTimer->deleteLater();
        m_permissionTimer = nullptr;
    }
}

// True when the monitor listens, or would but for the session.
bool AppState::listenIfAllowed()
{
    return !m_session->isAllowed() || m_monitor->start();
}

void AppState::sessionAllowedChanged(bool allowed)
{
    if (!allowed) {
        m_retryTimer->stop();
        m_monitor->stop();
        log("keyboard closed: the session is locked or another session is in front");
        return;
    }
    if (!m_hasPermission)
        return; // the permission poll opens it once access is there
    if (m_monitor->start()) {
        log("keyboard reopened: the session is active and unlocked");
        return;
    }
    m_retryDelayMs = firstRetryMs;
    m_retryTimer->start(m_retryDelayMs);
}

void AppState::keySourceEnded()
{
    if (m_monitor->isListening() || !m_session->isAllowed() || m_retryTimer->isActive())
        return;
    log("keyboard input ended; trying to listen again");
    m_retryDelayMs = firstRetryMs;
    m_retryTimer->start(m_retryDelayMs);
}

void AppState::retryListening()
{
    if (!m_session->isAllowed() || m_monitor->isListening())
        return;
    if (m_monitor->start()) {
        log("keyboard listening again through " + std::string(m_monitor->sourceName()));
        return;
    }
    m_retryDelayMs = std::min(m_retryDelayMs * 2, longestRetryMs);
    m_retryTimer->start(m_retryDelayMs);
}

bool AppState::importPack(const QUrl &url)
{
    if (m_importThread.joinable())
        return false;
    const QString source = url.isLocalFile() ? url.toLocalFile() : url.toString();
    m_importCancelled = false;
    m_importProgress = 0.0;
    m_importThread = std::thread([this, source, packsFolder = m_library->folder()] {
        const auto progress = [this](int copied, int total) {
            const double share = total > 0 ? double(copied) / total : 0.0;
            QMetaObject::invokeMethod(this, [this, share] {
                m_importProgress = share;
                emit importProgressChanged();
            }, Qt::QueuedConnection);
        };
        PackLibrary::ImportError error{};
        std::optional<PackLibrary::StagedImport> staged =
            PackLibrary::stageImport(source, packsFolder, &error, &m_importCancelled, progress);
        std::lock_guard lock(m_loadsMutex);
        m_stagedImport = std::move(staged);
        m_stagingError = error;
        QMetaObject::invokeMethod(this, "finishImport", Qt::QueuedConnection);
    });
    emit importProgressChanged();
    return true;
}

void AppState::finishImport()
{
    std::optional<PackLibrary::StagedImport> staged;
    PackLibrary::ImportError error{};
    {
        std::lock_guard lock(m_loadsMutex);
        staged.swap(m_stagedImport);
        error = m_stagingError;
    }
    m_importThread.join();
    std::optional<PackInfo> imported;
    if (staged)
        imported = m_library->finishImport(std::move(*staged), &error);
    emit importProgressChanged();
    if (imported)
        setSelectedPackID(imported->id);
    else
        setImportError(error.message);
    emit importFinished(imported.has_value());
}

void AppState::deletePack(const PackInfo &pack)
{
    // The library keeps built-in packs; the selection falls back to the default either way.
    const QString id = pack.id;
    m_library->deletePack(pack);
    if (id == m_selectedPackID)
        setSelectedPackID(QString::fromLatin1(defaultPackID));
}

void AppState::deletePack(const QString &id)
{
    const QList<PackInfo> all = m_library->all();
    const auto pack = std::find_if(all.begin(), all.end(), [&id](const PackInfo &p) { return p.id == id; });
    // The copy keeps the pack alive while the library replaces its list.
    if (pack != all.end())
        deletePack(PackInfo(*pack));
}

void AppState::openInputMonitoringSettings()
{
    m_accessRequest->requestAccess();
}

void AppState::revokeKeyboardAccess()
{
    m_accessRequest->revokeAccess();
}

void AppState::relaunch()
{
    emit aboutToRelaunch();
    QProcess::startDetached(QStringLiteral("/bin/sh"),
                            {QStringLiteral("-c"), QStringLiteral("sleep 0.5; exec \"$0\""),
                             QCoreApplication::applicationFilePath()});
    QCoreApplication::quit();
}

void AppState::setOnboardingOpen(bool open)
{
    const bool before = shouldShowOnboarding();
    m_settings.setBool(Settings::onboardingOpenKey, open);
    if (shouldShowOnboarding() != before)
        emit shouldShowOnboardingChanged();
}

} // namespace plinkum
