#pragma once

#include <QObject>
#include <QString>

namespace plinkum {

// Helps the user give Plinkum read access to keyboards. Where pkexec and the grant helper are
// installed, one authenticated step installs a udev rule for the user at the seat; otherwise,
// or when the helper fails, a help page explains the udev rule and the input group.
class KeyboardAccessRequest : public QObject {
    Q_OBJECT

public:
    explicit KeyboardAccessRequest(QObject *parent = nullptr);

    void requestAccess();

    // The grant helper beside this executable (build tree) or in its libexec folder (installed);
    // empty when there is none.
    static QString helperPath();
    static QString helpPagePath();

signals:
    // The helper has run; keyboards become readable within moments, which the access poll notices.
    void granted();

private:
    void openHelpPage();
};

} // namespace plinkum
