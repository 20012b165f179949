#include "AppState.h"

#include "KeyboardAccess.h"
#include "KeyboardAccessRequest.h"
#include "Log.h"
#include "PackLoader.h"
#include "SoundServer.h"

#include <QCoreApplication>
#include <QProcess>

#include <algorithm>
#include <cmath>

namespace plinkum {

namespace {

AppState *sharedState = nullptr;

const char *text(bool value)
{
    return value ? "true" : "false";
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

    // The handler runs on the monitor's thread and touches nothing but the engine.
    SoundEngine *engine = m_engine.get();
    auto handler = [engine](KeyboardMonitor::Event event) {
        engine->play(event.keyCode, event.type == KeyboardMonitor::Event::Type::Down);
    };
    m_monitor = services.openKeySource ? std::make_unique<KeyboardMonitor>(handler, std::move(services.openKeySource))
                                       : std::make_unique<KeyboardMonitor>(handler);

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

    if (shouldShowOnboarding())
        QMetaObject::invokeMethod(this, &AppState::onboardingRequested, Qt::QueuedConnection);
}

AppState::~AppState()
{
    for (std::thread &thread : m_loadThreads)
        thread.join();
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
    if (const auto pack = selectedPack())
        return pack->name;
    return m_library->builtIn().isEmpty() ? QString() : m_library->builtIn().first().name;
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
    m_loadThreads.emplace_back([this, info = *chosen, preview] {
        LoadedPackPtr pack;
        try {
            pack = PackLoader::load(info).pack();
        } catch (...) {
            // Counts as a failed load: the engine keeps the pack it has.
        }
        std::lock_guard lock(m_loadsMutex);
        m_finishedLoads.push_back({std::this_thread::get_id(), info.id, std::move(pack), preview});
        QMetaObject::invokeMethod(this, "applyFinishedLoads", Qt::QueuedConnection);
    });
}

void AppState::applyFinishedLoads()
{
    std::vector<FinishedLoad> finished;
    {
        std::lock_guard lock(m_loadsMutex);
        finished.swap(m_finishedLoads);
    }
    for (FinishedLoad &load : finished) {
        const auto thread = std::find_if(m_loadThreads.begin(), m_loadThreads.end(),
                                         [&load](const std::thread &t) { return t.get_id() == load.thread; });
        if (thread != m_loadThreads.end()) {
            thread->join();
            m_loadThreads.erase(thread);
        }
        finishLoad(load.chosenID, std::move(load.pack), load.preview);
    }
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
    }
    emit packLoadFinished(loaded);
}

void AppState::startMonitoring()
{
    const bool granted = m_hasKeyboardAccess();
    const bool listening = granted && m_monitor->start();
    std::string line = std::string("keyboard access granted=") + text(granted) + " listening=" + text(listening);
    if (listening)
        line += " source=" + std::string(m_monitor->sourceName());
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
    if (m_hasPermission || !m_hasKeyboardAccess() || !m_monitor->start())
        return;
    setHasPermission(true);
    if (m_permissionTimer) {
        m_permissionTimer->deleteLater();
        m_permissionTimer = nullptr;
    }
}

bool AppState::importPack(const QUrl &folder)
{
    PackLibrary::ImportError error{};
    const auto imported = m_library->importPack(folder.isLocalFile() ? folder.toLocalFile() : folder.toString(), &error);
    if (!imported) {
        setImportError(error.message);
        return false;
    }
    setSelectedPackID(imported->id);
    return true;
}

void AppState::deletePack(const PackInfo &pack)
{
    // Built-in packs are never removed, so the selection has no reason to move.
    if (pack.isBuiltIn)
        return;
    const QString id = pack.id;
    m_library->deletePack(pack);
    if (id == m_selectedPackID)
        setSelectedPackID(QString::fromLatin1(defaultPackID));
}

void AppState::deletePack(const QString &id)
{
    const QList<PackInfo> custom = m_library->custom();
    const auto pack = std::find_if(custom.begin(), custom.end(), [&id](const PackInfo &p) { return p.id == id; });
    // The copy keeps the pack alive while the library replaces its list.
    if (pack != custom.end())
        deletePack(PackInfo(*pack));
}

void AppState::openInputMonitoringSettings()
{
    m_accessRequest->requestAccess();
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
