#pragma once

#include <QObject>

class QSocketNotifier;

namespace plinkum {

// Turns SIGINT and SIGTERM into a signal on the main thread, where quitting is safe.
class SignalWatcher : public QObject {
    Q_OBJECT

public:
    explicit SignalWatcher(QObject *parent = nullptr);
    ~SignalWatcher() override;

signals:
    void terminationRequested();

private:
    QSocketNotifier *m_notifier = nullptr;
};

} // namespace plinkum
