#include "app/AppState.h"

#include "app/KeyListening.h"
#include "input/KeyboardAccess.h"
#include "app/KeyboardAccessRequest.h"
#include "common/Log.h"
#include "app/PackImportJob.h"
#include "app/PackSwitcher.h"
#include "app/PeerPackImport.h"
#include "audio/SoundServer.h"
#include "packs/PackLevel.h"
#include "packs/UserPackWatcher.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QSocketNotifier>

#include <algorithm>
#include <utility>

namespace plinkum {

namespace {

constexpr std::pair<MuteShortcut::Mode, const char *> muteShortcutNames[]{
    {MuteShortcut::Mode::BothShifts, "bothShifts"},
    {MuteShortcut::Mode::ScrollLockTwice, "scrollLockTwice"},
    {MuteShortcut::Mode::Off, "off"},
};

// For each stored setting a view changes: the signal that tells the views, and what makes it
// take effect.
struct SettingHooks {
    void (AppModel::*changed)();
    void (AppState::*apply)();
};

// The output for the session's sound server, named once in the log for whoever reads it.
std::unique_ptr<AudioOutput> systemOutput()
{
    const SoundServer::Kind kind = SoundServer::detect();
    log(std::string("audio output: ") + SoundServer::name(kind));
    return SoundServer::makeOutput(kind);
}

QString orDefault(const QString &value, const QString &fallback)
{
    return value.isEmpty() ? fallback : value;
}

} // namespace

AppState::AppState(Services services, QObject *parent)
    : AppModel(parent)
    , m_engine(std::make_unique<SoundEngine>(
          voiceCount, services.output ? std::move(services.output) : systemOutput()))
    , m_library(services.builtInPacksFolder.isEmpty() && services.userPacksFolder.isEmpty()
                    ? new PackLibrary(this)
                    : new PackLibrary(orDefault(services.builtInPacksFolder, PackLibrary::defaultBuiltInFolder()),
                                      orDefault(services.userPacksFolder, PackLibrary::defaultUserFolder()), this))
    , m_settings(orDefault(services.settingsPath, Settings::defaultPath()))
    , m_loginItem(orDefault(services.autostartPath, LoginItem::defaultPath()))
    , m_packs(std::make_unique<PackSwitcher>(*m_engine))
    , m_mousePacks(std::make_unique<PackSwitcher>(*m_engine, PackSwitcher::Slot::Mouse))
    , m_import(std::make_unique<PackImportJob>(*m_library))
    , m_peerImport(std::make_unique<PeerPackImport>(*m_import, m_library->folder()))
{
    m_firstStart = !QFileInfo::exists(m_settings.path());
    m_library->sweepStaleImports();
    new UserPackWatcher(*m_library, this);
    m_launchAtLogin = m_loginItem.isRegistered();
    for (int key = 0; key < Settings::keyCount; ++key)
        m_values[std::size_t(key)] = m_settings.value(Settings::Key(key));

    if (!selectedPack()) {
        m_values[std::size_t(Settings::Key::SelectedPack)] = QString::fromLatin1(defaultPackID);
        m_settings.store(Settings::Key::SelectedPack, selectedPackID());
        loadSelectedPack(true);
    }

    applyMuteShortcut();
    if (m_muteShortcut.toggleNotifier() >= 0) {
        auto *toggles = new QSocketNotifier(m_muteShortcut.toggleNotifier(), QSocketNotifier::Read, this);
        connect(toggles, &QSocketNotifier::activated, this, &AppState::applyMuteShortcutToggles);
    }

    // The handler runs on the monitor's thread and touches nothing but the engine and the shortcut.
    SoundEngine *engine = m_engine.get();
    MuteShortcut *shortcut = &m_muteShortcut;
    const std::atomic<bool> *clicksOn = &m_clicksOn;
    auto handler = [engine, shortcut, clicksOn](InputEvent event) {
        if (shortcut->handle(event, MuteShortcut::Clock::now())
            && (event.isKey() || clicksOn->load(std::memory_order_relaxed)))
            engine->play(event);
    };
    m_monitor = services.openKeySource ? std::make_unique<KeyboardMonitor>(handler, std::move(services.openKeySource))
                                       : std::make_unique<KeyboardMonitor>(handler);
    m_listening = new KeyListening(
        *m_monitor,
        services.hasKeyboardAccess ? std::move(services.hasKeyboardAccess) : [] { return KeyboardAccess::canListen(); },
        std::move(services.systemBus),
        orDefault(services.pkexec, QString::fromLatin1(KeyboardAccessRequest::systemPkexec)), this);
    connect(m_listening, &KeyListening::hasAccessChanged, this, [this] {
        emit hasPermissionChanged();
        emit shouldShowOnboardingChanged();
        emit keyboardAccessChanged();
    });
    connect(m_listening, &KeyListening::accessRequestChanged, this, &AppModel::accessRequestChanged);
    connect(m_listening, &KeyListening::accessSourceChanged, this, &AppModel::keyboardAccessChanged);
    connect(m_packs.get(), &PackSwitcher::isLoadingChanged, this, &AppModel::isLoadingPackChanged);
    connect(m_library, &PackLibrary::customChanged, this, &AppModel::mousePackChoicesChanged);
    connect(m_import.get(), &PackImportJob::progressChanged, this, &AppModel::importProgressChanged);
    connect(m_import.get(), &PackImportJob::finished, this,
            [this](const QString &packID, const QString &error, const QStringList &warnings) {
        if (m_peerImport->isImporting())
            return m_peerImport->importFinished(packID, error, warnings);
        if (packID.isEmpty())
            setImportError(error);
        else
            setSelectedPackID(packID);
        setImportWarnings(warnings);
        emit importFinished(!packID.isEmpty());
    });
    connect(m_peerImport.get(), &PeerPackImport::foundChanged, this, &AppModel::peerPacksChanged);
    connect(m_peerImport.get(), &PeerPackImport::progressChanged, this, &AppModel::importProgressChanged);
    connect(m_peerImport.get(), &PeerPackImport::finished, this, [this](const QStringList &errors, const QStringList &warnings) {
        setImportError(errors.join(u'\n'));
        setImportWarnings(warnings);
        emit importFinished(errors.isEmpty());
    });

    applyConfig();

    // Device changes are reported on the output's thread; the engine restarts on this one.
    m_engine->setDevicesChangedHandler([this] {
        QMetaObject::invokeMethod(this, [this] { m_engine->start(); }, Qt::QueuedConnection);
    });
    applySpeakers();
    m_engine->start();

    loadSelectedPack(false);
    loadMousePack(false);
    m_listening->start();

    if (shouldShowOnboarding())
        QMetaObject::invokeMethod(this, &AppState::onboardingRequested, Qt::QueuedConnection);
}

AppState::~AppState()
{
    m_engine->setDevicesChangedHandler({});
}

void AppState::write(Settings::Key key, const QVariant &value)
{
    static const SettingHooks hooks[Settings::keyCount]{
        {&AppModel::isEnabledChanged, &AppState::applyConfig},
        {&AppModel::volumeChanged, &AppState::applyConfig},
        {&AppModel::playKeyUpChanged, &AppState::applyConfig},
        {&AppModel::stereoChanged, &AppState::applyConfig},
        {&AppModel::pitchVariationChanged, &AppState::applyConfig},
        {&AppModel::selectedPackIDChanged, &AppState::previewSelectedPack},
        {&AppModel::builtInSpeakersChanged, &AppState::applySpeakers},
        {&AppModel::muteShortcutChanged, &AppState::applyMuteShortcut},
        {nullptr, nullptr}, // onboardingOpen: see setOnboardingOpen
        {&AppModel::mouseClicksChanged, &AppState::applyMouse},
        {&AppModel::mousePackIDChanged, &AppState::previewMousePack},
        {&AppModel::mouseVolumeChanged, &AppState::applyConfig},
    };
    const SettingHooks &hook = hooks[std::size_t(key)];
    const QVariant valid = Settings::validated(key, value);
    if (!valid.isValid() || !hook.changed)
        return;
    const bool changed = m_values[std::size_t(key)] != valid;
    m_values[std::size_t(key)] = valid;
    if (changed)
        emit(this->*hook.changed)();
    m_settings.store(key, valid);
    (this->*hook.apply)();
}

bool AppState::hasPermission() const
{
    return m_listening->hasAccess();
}

bool AppState::isLoadingPack() const
{
    return m_packs->isLoading();
}

bool AppState::isImporting() const
{
    return m_import->isRunning() || m_peerImport->isImporting();
}

double AppState::importProgress() const
{
    return m_peerImport->isImporting() ? m_peerImport->progress() : m_import->progress();
}

std::optional<PackInfo> AppState::packWithID(const QString &id) const
{
    for (const PackInfo &pack : m_library->all())
        if (pack.id == id)
            return pack;
    return std::nullopt;
}

std::optional<PackInfo> AppState::selectedPack() const
{
    const std::optional<PackInfo> pack = packWithID(selectedPackID());
    return pack && pack->keyboard ? pack : std::nullopt;
}

void AppState::setSelectedPackID(const QString &id)
{
    if (const std::optional<PackInfo> pack = packWithID(id); !pack || pack->keyboard) {
        write(Settings::Key::SelectedPack, id);
        return;
    }
    // Whoever picks click sounds wants to hear them: on first, so the new pick plays its preview.
    setMouseClicks(true);
    write(Settings::Key::MousePack, id);
}

std::optional<PackInfo> AppState::mousePack() const
{
    const QString chosen = value(Settings::Key::MousePack).toString();
    if (chosen == QLatin1String(Settings::sameAsKeyboard))
        return std::nullopt;
    std::optional<PackInfo> first;
    for (const PackInfo &pack : m_library->all()) {
        if (!pack.mouse)
            continue;
        if (pack.id == chosen)
            return pack;
        if (!first)
            first = pack;
    }
    // Nothing chosen yet, or the chosen pack is gone: the first, built-in packs first.
    return first;
}

QString AppState::mousePackID() const
{
    if (const auto pack = mousePack())
        return pack->id;
    return value(Settings::Key::MousePack).toString() == QLatin1String(Settings::sameAsKeyboard)
        ? QString::fromLatin1(Settings::sameAsKeyboard)
        : QString();
}

QString AppState::mousePackName() const
{
    const auto pack = mousePack();
    return pack ? pack->name : QString();
}

QVariantList AppState::mousePackChoices() const
{
    QVariantList choices{QVariantMap{{QStringLiteral("value"), QString::fromLatin1(Settings::sameAsKeyboard)},
                                     {QStringLiteral("text"), tr("Same as keyboard")}}};
    for (const PackInfo &pack : m_library->all())
        if (pack.mouse)
            choices.append(QVariantMap{{QStringLiteral("value"), pack.id}, {QStringLiteral("text"), pack.name}});
    return choices;
}

void AppState::setMousePackID(const QString &id)
{
    const std::optional<PackInfo> pack = packWithID(id);
    if (id == QLatin1String(Settings::sameAsKeyboard) || (pack && pack->mouse))
        write(Settings::Key::MousePack, id);
}

// Only while clicks are on is a mouse pack held in memory.
void AppState::loadMousePack(bool preview)
{
    const std::optional<PackInfo> pack = mouseClicks() ? mousePack() : std::nullopt;
    if (pack)
        m_mousePacks->load(*pack, preview);
    else
        m_engine->setMousePack(nullptr);
    if (!pack && preview && mouseClicks())
        previewMouse();
}

void AppState::previewMouse()
{
    m_engine->play(InputEvent::button(PointerButton::Left, true));
}

QString AppState::selectedPackName() const
{
    const auto pack = selectedPack();
    return pack ? pack->name : QString();
}

bool AppState::shouldShowOnboarding() const
{
    return !hasPermission() || m_firstStart || value(Settings::Key::OnboardingOpen).toBool();
}

void AppState::setHasTrayHost(bool present)
{
    if (m_hasTrayHost == present)
        return;
    m_hasTrayHost = present;
    emit hasTrayHostChanged();
}

QString AppState::accessRequest() const
{
    switch (m_listening->accessRequest().state()) {
    case KeyboardAccessRequest::State::NotAsked:
        break;
    case KeyboardAccessRequest::State::Asking:
        return QStringLiteral("asking");
    case KeyboardAccessRequest::State::Granted:
        return QStringLiteral("granted");
    case KeyboardAccessRequest::State::Refused:
        return QStringLiteral("refused");
    }
    return QStringLiteral("notAsked");
}

bool AppState::accessRuleInstalled() const
{
    return KeyboardAccess::ruleInstalled();
}

QString AppState::accessThrough() const
{
    if (!hasPermission())
        return {};
    if (std::string_view(m_monitor->sourceName()) == "XInput2")
        return QStringLiteral("x11");
    if (KeyboardAccess::ruleInstalled())
        return QStringLiteral("rule");
    if (KeyboardAccess::inInputGroup())
        return QStringLiteral("group");
    return QStringLiteral("other");
}

void AppState::setOnboardingOpen(bool open)
{
    // Not written through the hooks: what the views see is shouldShowOnboarding, not the flag.
    const bool before = shouldShowOnboarding();
    m_firstStart = false; // from now on the stored flag says whether the window is open
    m_values[std::size_t(Settings::Key::OnboardingOpen)] = open;
    m_settings.store(Settings::Key::OnboardingOpen, open);
    if (shouldShowOnboarding() != before)
        emit shouldShowOnboardingChanged();
}

void AppState::setImportError(const QString &error)
{
    if (m_importError == error)
        return;
    m_importError = error;
    emit importErrorChanged();
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
    config.enabled = isEnabled();
    config.volume = static_cast<float>(volume());
    config.playKeyUp = playKeyUp();
    config.stereo = stereo();
    config.pitchVariation = pitchVariation();
    config.mouseVolume = static_cast<float>(mouseVolume());
    config.mouseFromKeyboardPack = !mousePack();
    // The keyboard's own key sound stands in for clicks only when the user asked for that.
    config.lendKeySound = value(Settings::Key::MousePack).toString() == QLatin1String(Settings::sameAsKeyboard);
    m_engine->setConfig(config);
    m_clicksOn.store(mouseClicks(), std::memory_order_relaxed);
}

void AppState::applySpeakers()
{
    m_engine->setPrefersBuiltInSpeakers(builtInSpeakers());
}

void AppState::applyMuteShortcut()
{
    const QString name = muteShortcut();
    for (const auto &[mode, known] : muteShortcutNames)
        if (name == QLatin1String(known))
            m_muteShortcut.setMode(mode);
}

// Each completed gesture does what the panel's switch does.
void AppState::applyMuteShortcutToggles()
{
    for (std::uint64_t toggles = m_muteShortcut.takeToggles(); toggles > 0; --toggles)
        setIsEnabled(!isEnabled());
}

void AppState::loadSelectedPack(bool preview)
{
    std::optional<PackInfo> chosen = selectedPack();
    for (const PackInfo &pack : m_library->builtIn())
        if (!chosen && pack.keyboard)
            chosen = pack;
    if (!chosen)
        return;
    m_packs->load(*chosen, preview);
}

void AppState::preview()
{
    m_engine->play(InputEvent::keyDown(0));
}

bool AppState::importPack(const QUrl &source)
{
    return source.isLocalFile() && !m_peerImport->isImporting() && m_import->start(source.toLocalFile());
}

void AppState::setImportWarnings(const QStringList &warnings)
{
    if (m_importWarnings == warnings)
        return;
    m_importWarnings = warnings;
    emit importWarningsChanged();
}

QVariantList AppState::peerPacks() const
{
    return m_peerImport->foundAsMaps();
}

bool AppState::isFindingPeerPacks() const
{
    return m_peerImport->isFinding();
}

void AppState::findPeerPacks()
{
    m_peerImport->find();
}

bool AppState::importPeerPacks(const QStringList &paths)
{
    return !m_import->isRunning() && m_peerImport->importPaths(paths);
}

void AppState::deletePack(const QString &id)
{
    // A copy: the library replaces its list while it removes the pack.
    const std::optional<PackInfo> pack = packWithID(id);
    if (!pack)
        return;
    m_library->deletePack(*pack);
    if (id == selectedPackID())
        setSelectedPackID(QString::fromLatin1(defaultPackID));
    if (id == value(Settings::Key::MousePack).toString())
        write(Settings::Key::MousePack, QString());
}

void AppState::setPackTrim(const QString &id, double trimDb)
{
    const std::optional<PackInfo> pack = packWithID(id);
    if (!pack || pack->isBuiltIn)
        return;
    const QString folder = pack->url.toLocalFile();
    PackLevel level = PackLevel::read(folder);
    level.trimDb = PackLevel::clampTrim(trimDb);
    if (!level.write(folder)) {
        log("could not store the level of a sound pack in " + folder.toStdString());
        return;
    }
    // Lists the pack with its new trim, then plays it that way.
    m_library->reloadCustom();
    if (id == selectedPackID())
        loadSelectedPack(true);
    if (const std::optional<PackInfo> mouse = mousePack(); mouse && mouse->id == id)
        loadMousePack(id != selectedPackID());
}

void AppState::requestKeyboardAccess()
{
    m_listening->requestAccess();
}

void AppState::revokeKeyboardAccess()
{
    m_listening->revokeAccess();
}

} // namespace plinkum
