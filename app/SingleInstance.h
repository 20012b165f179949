#pragma once

#include <QObject>
#include <QString>

class QLocalServer;

namespace plinkum {

// Keeps one Plinkum per user. The first process listens on a local socket whose name includes
// the user id; a later one finds it there, asks it to reopen and steps aside.
class SingleInstance : public QObject {
    Q_OBJECT

public:
    // The socket of the user running Plinkum: in $XDG_RUNTIME_DIR when there is one (private to
    // the user), else in privateTempFolder(). Empty when neither can be had.
    static QString defaultName();

    // `tempFolder`/plinkum-<uid>, made 0700 when absent. A shared temporary folder lets anyone
    // create that name first, so it is used only when it is a real folder (not a link) owned by
    // this user, and tightened to 0700 if it is not yet; otherwise empty.
    static QString privateTempFolder(const QString &tempFolder);

    // Whether a Plinkum listens on the name, asking nothing of it (for --diagnose).
    static bool isRunning(const QString &name = defaultName());

    explicit SingleInstance(QString name = defaultName(), QObject *parent = nullptr);
    ~SingleInstance() override;

    // True when this process is now the one instance. False when another instance answered; it
    // has been asked to reopen.
    bool claim();

signals:
    void reopenRequested();

private:
    bool askRunningInstanceToReopen() const;

    QString m_name;
    QLocalServer *m_server = nullptr;
};

} // namespace plinkum
