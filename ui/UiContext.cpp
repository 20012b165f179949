#include "ui/UiContext.h"

#include "ui/DesktopActions.h"
#include "ui/PackCatalog.h"
#include "ui/VersionInfo.h"

#include <QCoreApplication>

namespace plinkum {

UiContext::UiContext(AppModel *state, PackCatalog *catalog, QObject *parent)
    : QObject(parent)
    , m_state(state)
    , m_catalog(catalog)
    , m_desktop(new DesktopActions(this))
{
}

QString UiContext::versionText() { return VersionInfo::current(); }

bool UiContext::gnomeShell()
{
    const QStringList desktops = qEnvironmentVariable("XDG_CURRENT_DESKTOP").split(u':', Qt::SkipEmptyParts);
    return desktops.contains(QStringLiteral("GNOME"), Qt::CaseInsensitive);
}

void UiContext::removePack(const QString &id)
{
    if (!m_catalog || !m_state)
        return;
    if (const auto pack = m_catalog->find(id); pack && !pack->isBuiltIn)
        m_state->deletePack(pack->id);
}

// Queued: the view that asked is still on the stack.
void UiContext::quit() { QMetaObject::invokeMethod(qApp, &QCoreApplication::quit, Qt::QueuedConnection); }
void UiContext::showSettings() { emit settingsRequested(); }

void UiContext::openHelp() { DesktopActions::openHelp(); }
void UiContext::openAcknowledgements() { DesktopActions::openAcknowledgements(); }

void UiContext::revealPacksFolder()
{
    if (m_catalog)
        m_desktop->revealFolder(m_catalog->folder());
}

} // namespace plinkum
