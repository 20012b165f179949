#include "app/SingleInstance.h"

#include "common/Log.h"

#include <QDir>
#include <QLocalServer>
#include <QLocalSocket>
#include <QLockFile>

#include <QFile>

#include <fcntl.h>
#include <sys/stat.h>
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
        folder = privateTempFolder(QDir::tempPath());
    return folder.isEmpty() ? QString() : QStringLiteral("%1/plinkum-%2.socket").arg(folder).arg(getuid());
}

QString SingleInstance::privateTempFolder(const QString &tempFolder)
{
    const QString folder = QStringLiteral("%1/plinkum-%2").arg(tempFolder).arg(getuid());
    const QByteArray path = QFile::encodeName(folder);
    ::mkdir(path.constData(), 0700);
    // Checked on the descriptor: O_NOFOLLOW refuses a link put in its place.
    const int fd = ::open(path.constData(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0) {
        log("no private folder for the single-instance socket: " + folder.toStdString() + " is not a folder");
        return {};
    }
    struct stat status {};
    const bool owned = ::fstat(fd, &status) == 0 && status.st_uid == getuid();
    const bool tight = owned && ((status.st_mode & 077) == 0 || ::fchmod(fd, 0700) == 0);
    ::close(fd);
    if (!owned || !tight) {
        log("no private folder for the single-instance socket: " + folder.toStdString() + " belongs to another user");
        return {};
    }
    return folder;
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
    // Without a private place for the socket, running twice is better than listening where
    // another user could answer or take the name.
    if (m_name.isEmpty())
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

bool SingleInstance::isRunning(const QString &name)
{
    if (name.isEmpty())
        return false;
    // A connection that sends nothing is closed by the instance without a reopen.
    QLocalSocket socket;
    socket.connectToServer(name);
    return socket.waitForConnected(connectTimeoutMs);
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
