#include "SingleInstance.h"

#include "Log.h"

#include <QDir>
#include <QLocalServer>
#include <QLocalSocket>
#include <QLockFile>

#include <unistd.h>

namespace plinkum {

namespace {
constexpr QByteArrayView reopenMessage = "reopen\n";
constexpr int connectTimeoutMs = 1000;
} // namespace

QString SingleInstance::defaultName()
{
    QString folder = qEnvironmentVariable("XDG_RUNTIME_DIR");
    if (folder.isEmpty() || !QDir(folder).exists())
        folder = QDir::tempPath();
    return QStringLiteral("%1/plinkum-%2.socket").arg(folder).arg(getuid());
}

SingleInstance::SingleInstance(QString name, QObject *parent)
    : QObject(parent)
    , m_name(std::move(name))
{
}

SingleInstance::~SingleInstance() = default;

bool SingleInstance::claim()
{
    if (m_server)
        return true;
    // Two processes started together must not both decide that nobody is there.
    QLockFile lock(m_name + QStringLiteral(".lock"));
    lock.tryLock(5000);

    if (askRunningInstanceToReopen())
        return false;

    // Nobody answered: a socket file left by a killed instance is stale and in the way.
    QLocalServer::removeServer(m_name);
    auto *server = new QLocalServer(this);
    server->setSocketOptions(QLocalServer::UserAccessOption);
    if (!server->listen(m_name)) {
        log(("cannot keep a single instance: " + server->errorString()).toStdString());
        delete server;
        return true;
    }
    connect(server, &QLocalServer::newConnection, this, [this, server] {
        while (QLocalSocket *socket = server->nextPendingConnection()) {
            connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
            connect(socket, &QLocalSocket::readyRead, this, [this, socket] {
                if (!socket->canReadLine())
                    return;
                const bool reopen = socket->readLine(64) == reopenMessage;
                socket->disconnectFromServer();
                if (reopen)
                    emit reopenRequested();
            });
        }
    });
    m_server = server;
    return true;
}

void SingleInstance::release()
{
    delete m_server;
    m_server = nullptr;
}

bool SingleInstance::askRunningInstanceToReopen() const
{
    QLocalSocket socket;
    socket.connectToServer(m_name);
    if (!socket.waitForConnected(connectTimeoutMs))
        return false;
    socket.write(reopenMessage.data(), reopenMessage.size());
    socket.waitForBytesWritten(connectTimeoutMs);
    socket.waitForDisconnected(connectTimeoutMs);
    return true;
}

} // namespace plinkum
