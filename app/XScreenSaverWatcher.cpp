#include "app/XScreenSaverWatcher.h"

#include <QSocketNotifier>

#include <xcb/screensaver.h>
#include <xcb/xcb.h>

#include <cstdlib>

namespace plinkum {

namespace {

bool isOn(std::uint8_t state)
{
    return state == XCB_SCREENSAVER_STATE_ON || state == XCB_SCREENSAVER_STATE_CYCLE;
}

} // namespace

XScreenSaverWatcher::XScreenSaverWatcher(const QByteArray &display, QObject *parent)
    : QObject(parent)
{
    int screenNumber = 0;
    // xcb, not Xlib: a lost connection is reported, where Xlib would end the process.
    m_connection = xcb_connect(display.constData(), &screenNumber);
    if (xcb_connection_has_error(m_connection))
        return;
    const xcb_query_extension_reply_t *extension = xcb_get_extension_data(m_connection, &xcb_screensaver_id);
    if (!extension || !extension->present)
        return;
    xcb_screen_iterator_t screens = xcb_setup_roots_iterator(xcb_get_setup(m_connection));
    for (; screens.rem > 1 && screenNumber > 0; --screenNumber)
        xcb_screen_next(&screens);
    if (screens.rem == 0)
        return;
    const xcb_window_t root = screens.data->root;
    xcb_screensaver_select_input(m_connection, root, XCB_SCREENSAVER_EVENT_NOTIFY_MASK);
    xcb_screensaver_query_info_reply_t *info =
        xcb_screensaver_query_info_reply(m_connection, xcb_screensaver_query_info(m_connection, root), nullptr);
    if (!info)
        return;
    m_active = isOn(info->state);
    std::free(info);
    m_notifyEvent = extension->first_event + XCB_SCREENSAVER_NOTIFY;
    m_notifier = new QSocketNotifier(xcb_get_file_descriptor(m_connection), QSocketNotifier::Read, this);
    connect(m_notifier, &QSocketNotifier::activated, this, &XScreenSaverWatcher::readEvents);
    // Events may have come in with the answer.
    readEvents();
}

XScreenSaverWatcher::~XScreenSaverWatcher()
{
    delete m_notifier;
    xcb_disconnect(m_connection);
}

void XScreenSaverWatcher::readEvents()
{
    while (xcb_generic_event_t *event = xcb_poll_for_event(m_connection)) {
        if ((event->response_type & 0x7f) == m_notifyEvent)
            set(isOn(reinterpret_cast<const xcb_screensaver_notify_event_t *>(event)->state));
        std::free(event);
    }
    if (xcb_connection_has_error(m_connection))
        m_notifier->setEnabled(false);
}

void XScreenSaverWatcher::set(bool active)
{
    if (active == m_active)
        return;
    m_active = active;
    emit activeChanged(active);
}

} // namespace plinkum
