#include "keys/InputEventFilter.h"

#include "keys/KeyCategory.h"

#include <utility>

namespace plinkum {

InputEventFilter::InputEventFilter(Handler handler)
    : m_handler(std::move(handler))
{
}

void InputEventFilter::handleKeyDown(KeyCode keyCode, bool isRepeat)
{
    if (isRepeat || m_pressed.test(keyCode))
        return;
    m_pressed.set(keyCode);
    m_handler(InputEvent::keyDown(keyCode));
}

void InputEventFilter::handleKeyUp(KeyCode keyCode)
{
    // Delivered even when the down was never seen (the key was held before listening began).
    m_pressed.reset(keyCode);
    m_handler(InputEvent::keyUp(keyCode));
}

void InputEventFilter::handleModifierChanged(KeyCode keyCode)
{
    if (!isModifierKey(keyCode))
        return;
    if (keyCode == capsLock) {
        m_handler(InputEvent::keyDown(keyCode));
        return;
    }
    // Each change toggles the key; left and right variants have their own codes.
    const bool down = !m_pressed.test(keyCode);
    m_pressed.flip(keyCode);
    m_handler(InputEvent::key(keyCode, down));
}

// The same rule as keys: two pointers holding one button are one press, and a release is heard
// even when its press came before listening began.
void InputEventFilter::handleButton(PointerButton button, bool down)
{
    const auto index = static_cast<std::size_t>(button);
    if (index >= pointerButtonCount || (down && m_pressedButtons.test(index)))
        return;
    m_pressedButtons.set(index, down);
    m_handler(InputEvent::button(button, down));
}

} // namespace plinkum
