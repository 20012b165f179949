#include "app/KeyboardAccessRequest.h"

#include "common/Log.h"

#include <QCoreApplication>
#include <QDesktopServices>
#include <QFileInfo>
#include <QProcess>
#include <QUrl>

namespace plinkum {

namespace {
// pkexec's exit status when the user dismissed the authentication dialog.
constexpr int dismissedByUser = 126;
// The helpers' exit status when the rule changed but udev could not be told; it applies the
// change at its next start.
constexpr int changedUdevNotReloaded = 3;
} // namespace

KeyboardAccessRequest::KeyboardAccessRequest(QObject *parent, const QString &pkexec)
    : QObject(parent)
    , m_pkexec(pkexec)
{
}

QString KeyboardAccessRequest::installedHelperFolder()
{
    return QStringLiteral(PLINKUM_HELPER_DIR);
}

QString KeyboardAccessRequest::helperPath(const char *name)
{
    const QString file = QLatin1String(name);
    for (const QString &candidate : {installedHelperFolder() + u'/' + file,
                                     QCoreApplication::applicationDirPath() + u'/' + file}) {
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
    run(grantHelperName, &KeyboardAccessRequest::granted);
}

void KeyboardAccessRequest::revokeAccess()
{
    run(revokeHelperName, &KeyboardAccessRequest::revoked);
}

void KeyboardAccessRequest::run(const char *helperName, void (KeyboardAccessRequest::*succeeded)())
{
    if (m_process)
        return;
    const QString helper = helperPath(helperName);
    const QFileInfo pkexec(m_pkexec);
    if (!pkexec.isFile() || !pkexec.isExecutable() || helper.isEmpty()) {
        openHelpPage();
        return;
    }
    const bool granting = succeeded == &KeyboardAccessRequest::granted;
    const State before = m_state;
    m_process = new QProcess(this);
    m_process->setProgram(m_pkexec);
    m_process->setArguments({helper});
    m_process->setProcessChannelMode(QProcess::ForwardedChannels);
    connect(m_process, &QProcess::finished, this, [this, succeeded, granting, before](int exitCode, QProcess::ExitStatus status) {
        m_process->deleteLater();
        m_process = nullptr;
        const bool normal = status == QProcess::NormalExit;
        if (normal && exitCode == changedUdevNotReloaded)
            log("the keyboard access rule changed, but udev could not be told; it applies at the next start");
        if (normal && (exitCode == 0 || exitCode == changedUdevNotReloaded)) {
            setState(granting ? State::Granted : State::NotAsked);
            emit(this->*succeeded)();
            return;
        }
        setState(granting ? State::Refused : before);
        if (normal && exitCode == dismissedByUser)
            return;
        log("could not change keyboard access through pkexec");
        openHelpPage();
    });
    connect(m_process, &QProcess::errorOccurred, this, [this, granting, before](QProcess::ProcessError error) {
        if (error != QProcess::FailedToStart)
            return;
        m_process->deleteLater();
        m_process = nullptr;
        setState(granting ? State::Refused : before);
        openHelpPage();
    });
    if (granting)
        setState(State::Asking);
    m_process->start();
}

void KeyboardAccessRequest::setState(State state)
{
    if (m_state == state)
        return;
    m_state = state;
    emit stateChanged();
}

void KeyboardAccessRequest::openHelpPage()
{
    if (!QDesktopServices::openUrl(QUrl::fromLocalFile(helpPagePath())))
        log(("could not open " + helpPagePath()).toStdString());
}

} // namespace plinkum
