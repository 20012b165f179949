#include "app/BusConnector.h"

#include "common/Log.h"

#include <QLocalSocket>
#include <QTimer>
#include <QUrl>

#include <algorithm>

namespace plinkum {

namespace {

// A live bus answers the knock in well under a millisecond; one busy starting up gets a second.
constexpr int knockDeadlineMs = 1000;
constexpr int firstRetryMs = 1000;
constexpr int longestRetryMs = 60000;

} // namespace

BusConnector::BusConnector(QString address, QObject *parent)
    : QObject(parent)
    , m_address(address.isEmpty()
                    ? qEnvironmentVariable("DBUS_SYSTEM_BUS_ADDRESS", QStringLiteral("unix:path=/var/run/dbus/system_bus_socket"))
                    : std::move(address))
    , m_deadline(new QTimer(this))
    , m_retry(new QTimer(this))
{
    // The first Unix socket among the addresses is the one libdbus tries first; other transports
    // cannot be knocked on and are connected to as they are.
    for (const QString &entry : m_address.split(u';', Qt::SkipEmptyParts)) {
        if (!entry.startsWith(QLatin1String("unix:")))
            continue;
        for (const QString &pair : entry.mid(5).split(u',')) {
            m_abstract = pair.startsWith(QLatin1String("abstract="));
            if (m_abstract || pair.startsWith(QLatin1String("path="))) {
                m_socketName = QUrl::fromPercentEncoding(pair.section(u'=', 1).toUtf8());
                break;
            }
        }
        if (!m_socketName.isEmpty())
            break;
    }
    m_deadline->setSingleShot(true);
    m_deadline->setInterval(knockDeadlineMs);
    connect(m_deadline, &QTimer::timeout, this, [this] { knocked(false); });
    m_retry->setSingleShot(true);
    connect(m_retry, &QTimer::timeout, this, &BusConnector::knock);
}

BusConnector::~BusConnector()
{
    close();
}

void BusConnector::start()
{
    knock();
}

void BusConnector::knock()
{
    if (m_socketName.isEmpty()) {
        knocked(true);
        return;
    }
    auto *socket = new QLocalSocket(this);
    m_socket = socket;
    if (m_abstract)
        socket->setSocketOptions(QLocalSocket::AbstractNamespaceOption);
    // An AUTH without a mechanism: any bus answers with the mechanisms it takes.
    connect(socket, &QLocalSocket::connected, socket, [socket] { socket->write(QByteArray("\0AUTH\r\n", 7)); });
    connect(socket, &QLocalSocket::readyRead, this, [this] { knocked(true); });
    connect(socket, &QLocalSocket::errorOccurred, this, [this] { knocked(false); });
    m_deadline->start();
    socket->connectToServer(m_socketName);
}

void BusConnector::knocked(bool answered)
{
    if (m_socket) {
        // Possibly inside the socket's own signal: it goes once that returns.
        m_socket->disconnect(this);
        m_socket->deleteLater();
        m_socket = nullptr;
    } else if (!m_socketName.isEmpty()) {
        return;
    }
    m_deadline->stop();
    if (!answered) {
        if (m_retryMs == 0)
            log("the system bus does not answer; trying again in the background");
        retryLater();
        return;
    }
    static int connections = 0;
    m_connectionName = QStringLiteral("plinkum-bus-%1").arg(++connections);
    QDBusConnection bus = QDBusConnection::connectToBus(m_address, m_connectionName);
    if (!bus.isConnected()) {
        close();
        retryLater();
        return;
    }
    bus.connect(QString(), QStringLiteral("/org/freedesktop/DBus/Local"), QStringLiteral("org.freedesktop.DBus.Local"),
                QStringLiteral("Disconnected"), this, SLOT(lost()));
    if (m_retryMs != 0)
        log("the system bus answers again");
    m_retryMs = 0;
    emit connected(bus);
}

void BusConnector::retryLater()
{
    m_retryMs = m_retryMs == 0 ? firstRetryMs : std::min(m_retryMs * 2, longestRetryMs);
    m_retry->start(m_retryMs);
}

void BusConnector::lost()
{
    log("the system bus went away; trying to connect again");
    close();
    emit disconnected();
    retryLater();
}

void BusConnector::close()
{
    if (m_connectionName.isEmpty())
        return;
    QDBusConnection::disconnectFromBus(m_connectionName);
    m_connectionName.clear();
}

} // namespace plinkum
