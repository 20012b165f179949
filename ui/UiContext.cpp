#include "UiContext.h"

#include "DesktopActions.h"
#include "PackCatalog.h"
#include "VersionInfo.h"

namespace plinkum {

namespace {
template <typename Function, typename... Args>
void runIfSet(const Function &function, Args &&...args)
{
    if (function)
        function(std::forward<Args>(args)...);
}
} // namespace

UiContext::UiContext(QObject *state, PackCatalog *catalog, Actions actions, QObject *parent)
    : QObject(parent)
    , m_state(state)
    , m_catalog(catalog)
    , m_actions(std::move(actions))
    , m_desktop(new DesktopActions(this))
{
}

QString UiContext::versionText() { return VersionInfo::current(); }

bool UiContext::gnomeShell()
{
    const QStringList desktops = qEnvironmentVariable("XDG_CURRENT_DESKTOP").split(u':', Qt::SkipEmptyParts);
    return desktops.contains(QStringLiteral("GNOME"), Qt::CaseInsensitive);
}

void UiContext::preview() { runIfSet(m_actions.preview); }

void UiContext::importPack(const QUrl &source)
{
    if (source.isLocalFile())
        runIfSet(m_actions.importPack, source);
}

void UiContext::removePack(const QString &id)
{
    if (!m_catalog)
        return;
    // A copy: removing the pack replaces the catalogue's list while the removal still reads it.
    if (const auto pack = m_catalog->find(id); pack && !pack->isBuiltIn)
        runIfSet(m_actions.deletePack, *pack);
}

void UiContext::openInputMonitoringSettings() { runIfSet(m_actions.openInputMonitoringSettings); }
void UiContext::revokeKeyboardAccess() { runIfSet(m_actions.revokeKeyboardAccess); }
void UiContext::quit() { runIfSet(m_actions.quit); }
void UiContext::showSettings() { emit settingsRequested(); }

void UiContext::openHelp() { DesktopActions::openHelp(); }
void UiContext::openAcknowledgements() { DesktopActions::openAcknowledgements(); }

void UiContext::revealPacksFolder()
{
    if (m_catalog)
        m_desktop->revealFolder(m_catalog->folder());
}

} // namespace plinkum
