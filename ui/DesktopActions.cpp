#include "ui/DesktopActions.h"

#include "common/Log.h"

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QDesktopServices>
#include <QDir>
#include <QFileInfo>

namespace plinkum {

namespace {

QString sharedFile(const QString &relativePath)
{
    return QDir::cleanPath(QCoreApplication::applicationDirPath() + QStringLiteral("/../share/plinkum/") + relativePath);
}

void openIfPresent(const QString &path)
{
    if (QFileInfo::exists(path))
        QDesktopServices::openUrl(QUrl::fromLocalFile(path));
}

} // namespace

QString DesktopActions::helpPagePath() { return sharedFile(QStringLiteral("help/keyboard-access.html")); }

QString DesktopActions::acknowledgementsPath() { return sharedFile(QStringLiteral("Packs/ACKNOWLEDGEMENTS.txt")); }

void DesktopActions::openHelp() { openIfPresent(helpPagePath()); }

void DesktopActions::openAcknowledgements() { openIfPresent(acknowledgementsPath()); }

void DesktopActions::revealFolder(const QUrl &folder)
{
    const QUrl parent = QUrl::fromLocalFile(QFileInfo(folder.toLocalFile()).absolutePath());
    QDBusMessage call = QDBusMessage::createMethodCall(
        QStringLiteral("org.freedesktop.FileManager1"), QStringLiteral("/org/freedesktop/FileManager1"),
        QStringLiteral("org.freedesktop.FileManager1"), QStringLiteral("ShowItems"));
    call << QStringList{folder.toString()} << QString();
    auto *watcher = new QDBusPendingCallWatcher(QDBusConnection::sessionBus().asyncCall(call), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this, [parent](QDBusPendingCallWatcher *finished) {
        finished->deleteLater();
        if (!finished->isError())
            return;
        if (!QDesktopServices::openUrl(parent))
            plinkum::log("could not open the sound packs folder");
    });
}

} // namespace plinkum
