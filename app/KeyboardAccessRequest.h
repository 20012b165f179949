#pragma once

#include <QObject>
#include <QString>

class QProcess;

namespace plinkum {

// Helps the user give Plinkum read access to keyboards, and take it back. Where pkexec and the
// root helpers are installed, one authenticated step installs (or removes) a udev rule for the
// user at the seat; otherwise, or when a helper fails, a help page explains the udev rule and
// the input group. One request runs at a time, so repeated clicks open one password prompt.
class KeyboardAccessRequest : public QObject {
    Q_OBJECT

public:
    static constexpr const char *systemPkexec = "/usr/bin/pkexec";
    static constexpr const char *grantHelperName = "plinkum-grant-keyboard-access";
    static constexpr const char *revokeHelperName = "plinkum-revoke-keyboard-access";

    // pkexec is run by its absolute path, never looked up through PATH.
    explicit KeyboardAccessRequest(QObject *parent = nullptr, const QString &pkexec = QString::fromLatin1(systemPkexec));

    // Where the request for access stands: nothing asked yet, the password prompt is up, the
    // helper gave access, or the prompt was dismissed or the helper failed. Taking access back
    // starts over at NotAsked.
    enum class State { NotAsked, Asking, Granted, Refused };

    void requestAccess();
    void revokeAccess();
    bool isBusy() const { return m_process != nullptr; }
    State state() const { return m_state; }

    // The installed helpers' folder, fixed when the build is configured.
    static QString installedHelperFolder();
    // A helper in that folder, else beside this executable (a build tree); empty when there is none.
    static QString helperPath(const char *name = grantHelperName);
    static QString helpPagePath();

signals:
    // The helper has run; keyboards become readable (or stop being) within moments.
    void granted();
    void revoked();
    void stateChanged();

private:
    void run(const char *helperName, void (KeyboardAccessRequest::*succeeded)());
    void openHelpPage();
    void setState(State state);

    QString m_pkexec;
    QProcess *m_process = nullptr;
    State m_state = State::NotAsked;
};

} // namespace plinkum
