#pragma once

#include <QByteArray>
#include <QObject>

struct xcb_connection_t;
class QSocketNotifier;

namespace plinkum {

// Follows the X server's screen saver (the MIT-SCREEN-SAVER extension) on its own connection to
// the display: active while the screen saver is on. Lockers of their own, such as xss-lock's,
// start with it and often tell nobody else. A display that goes away leaves the last state.
// Main thread only.
class XScreenSaverWatcher : public QObject {
    Q_OBJECT

public:
    // Connects to `display` (as $DISPLAY names it); without a server or the extension there is
    // nothing to follow and it stays inactive. Waits for the server's first answer.
    explicit XScreenSaverWatcher(const QByteArray &display, QObject *parent = nullptr);
    ~XScreenSaverWatcher() override;

    bool isActive() const { return m_active; }

signals:
    void activeChanged(bool active);

private:
    void readEvents();
    void set(bool active);

    xcb_connection_t *m_connection = nullptr;
    QSocketNotifier *m_notifier = nullptr;
    int m_notifyEvent = -1;
    bool m_active = false;
};

} // namespace plinkum
