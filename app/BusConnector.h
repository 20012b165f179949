#pragma once

#include <QDBusConnection>
#include <QObject>
#include <QString>

class QLocalSocket;
class QTimer;

namespace plinkum {

// Keeps a connection to a message bus (the system bus, where logind is) without ever waiting on
// it. Qt's D-Bus thread serves every connection of the process and would hang in the handshake
// of one to a bus that accepts and never answers (a paused or stuck dbus-daemon), taking the
// session bus and the tray with it. So the bus's socket is knocked on first, with the opening
// words of that handshake, which a live bus answers at once; only a bus that answered is
// connected to. A bus that did not, or that goes away later, is knocked on again, less often
// each time. Main thread only.
class BusConnector : public QObject {
    Q_OBJECT

public:
    // `address` in D-Bus's form ("unix:path=…;…"); empty: the system bus's, from
    // $DBUS_SYSTEM_BUS_ADDRESS or its usual place.
    explicit BusConnector(QString address = {}, QObject *parent = nullptr);
    ~BusConnector() override;

    // Begins knocking; `connected` follows once the bus answers.
    void start();

signals:
    void connected(const QDBusConnection &bus);
    void disconnected();

private slots:
    void lost();

private:
    void knock();
    void knocked(bool answered);
    void retryLater();
    void close();

    QString m_address;
    QString m_socketName;
    bool m_abstract = false;
    QLocalSocket *m_socket = nullptr;
    QTimer *m_deadline = nullptr;
    QTimer *m_retry = nullptr;
    int m_retryMs = 0;
    QString m_connectionName;
};

} // namespace plinkum
