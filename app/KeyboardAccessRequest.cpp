#include "KeyboardAccessRequest.h"

#include "Log.h"

#include <QCoreApplication>
#include <QDesktopServices>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QUrl>

namespace plinkum {

namespace {
constexpr auto helperName = "plinkum-grant-keyboard-access";
// pkexec's exit status when the user dismissed the authentication dialog.
constexpr int dismissedByUser = 126;
} // namespace

KeyboardAccessRequest::KeyboardAccessRequest(QObject *parent)
    : QObject(parent)
{
}

QString KeyboardAccessRequest::helperPath()
{
    const QString here = QCoreApplication::applicationDirPath();
    for (const QString &candidate : {here + QStringLiteral("/../libexec/plinkum/") + QLatin1String(helperName),
                                     here + u'/' + QLatin1String(helperName)}) {
        const QFileInfo info(candidate);
        if (info.isFile() && info.isExecutable())
            return info.canonicalFilePath();
    }
    return {};
}

QString KeyboardAccessRequest::helpPagePath()
{
    return QFileInfo(QCoreApplication::applicationDirPath()
                     + QStringLiteral("/../share/plinkum/help/keyboard-access.html"))
        .absoluteFilePath();
}

void KeyboardAccessRequest::requestAccess()
{
    const QString pkexec = QStandardPaths::findExecutable(QStringLiteral("pkexec"));
    const QString helper = helperPath();
    if (pkexec.isEmpty() || helper.isEmpty()) {
        openHelpPage();
        return;
    }
    auto *process = new QProcess(this);
    process->setProgram(pkexec);
    process->setArguments({helper});
    process->setProcessChannelMode(QProcess::ForwardedChannels);
    connect(process, &QProcess::finished, this, [this, process](int exitCode, QProcess::ExitStatus status) {
        process->deleteLater();
        if (status == QProcess::NormalExit && exitCode == 0) {
            emit granted();
            return;
        }
        if (status == QProcess::NormalExit && exitCode == dismissedByUser)
            return;
        log("could not grant keyboard access through pkexec");
        openHelpPage();
    });
    connect(process, &QProcess::errorOccurred, this, [this, process](QProcess::ProcessError error) {
        if (error != QProcess::FailedToStart)
            return;
        process->deleteLater();
        openHelpPage();
    });
    process->start();
}

void KeyboardAccessRequest::openHelpPage()
{
    if (!QDesktopServices::openUrl(QUrl::fromLocalFile(helpPagePath())))
        log(("could not open " + helpPagePath()).toStdString());
}

} // namespace plinkum
