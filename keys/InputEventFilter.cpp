#include "KeyEventFilter.h"

#include "KeyCategory.h"

#include <utility>

namespace plinkum {

KeyEventFilter::KeyEventFilter(Handler handler)
    : m_handler(std::move(handler))
{
}

void KeyEventFilter::handleKeyDown(KeyCode keyCode, bool isRepeat)
{
    if (isRepeat || m_pressed.test(keyCode))
        return;
    m_pressed.set(keyCode);
    m_handler(KeyEvent::down(keyCode));
}

void KeyEventFilter::handleKeyUp(KeyCode keyCode)
{
    // Delivered even when the down was never seen (the key was held before listening began).
    m_pressed.reset(keyCode);
    m_handler(KeyEvent::up(keyCode));
}

void KeyEventFilter::handleFlagsChanged(KeyCode keyCode)
{
    if (!isModifierKey(keyCode))
        return;
    if (keyCode == capsLock) {
        m_handler(KeyEvent::down(keyCode));
        return;
    }
    // Each change toggles the key; left and right variants have their own codes.
    if (m_pressed.test(keyCode)) {
        m_pressed.reset(keyCode);
        m_handler(KeyEvent::up(keyCode));
    } else {
        m_pressed.set(keyCode);
        m_handler(KeyEvent::down(keyCode));
    }
}

} // namespace plinkum
