#include "packs/LoadedPack.h"

#include <algorithm>

namespace plinkum {

LoadedPack::LoadedPack(PackInfo info, CategoryMap down, CategoryMap up, KeyMap keyDown, KeyMap keyUp, ButtonMap buttonDown,
                       ButtonMap buttonUp)
    : m_info(std::move(info)), m_down(std::move(down)), m_up(std::move(up)),
      m_keyDown(std::move(keyDown)), m_keyUp(std::move(keyUp)),
      m_buttonDown(std::move(buttonDown)), m_buttonUp(std::move(buttonUp)),
      m_hasButtonSounds(std::any_of(m_buttonDown.begin(), m_buttonDown.end(), [](const SampleList &list) { return !list.empty(); }))
{
}

const SampleList &LoadedPack::clickSamples(InputEvent event) const
{
    static const SampleList none;
    const auto index = static_cast<std::size_t>(event.code);
    if (event.isKey() || index >= pointerButtonCount)
        return none;
    const ButtonMap &buttons = event.down ? m_buttonDown : m_buttonUp;
    if (!buttons[index].empty())
        return buttons[index];
    if (!m_buttonDown[index].empty())
        return none;
    return buttons[static_cast<std::size_t>(PointerButton::Left)];
}

const SampleList &LoadedPack::samples(InputEvent event) const
{
    static const SampleList none;
    if (!event.isKey()) {
        const auto index = static_cast<std::size_t>(event.code);
        if (index >= pointerButtonCount)
            return none;
        return (event.down ? m_buttonDown : m_buttonUp)[index];
    }
    const KeyCode keyCode = event.code;
    const bool down = event.down;

    const KeyMap &perKey = down ? m_keyDown : m_keyUp;
    if (const auto it = perKey.find(keyCode); it != perKey.end() && !it->second.empty())
        return it->second;

    const CategoryMap &byCategory = down ? m_down : m_up;
    if (const auto it = byCategory.find(keyCategory(keyCode)); it != byCategory.end() && !it->second.empty())
        return it->second;
    if (byCategory.empty())
        return none;
    const auto standard = byCategory.find(KeyCategory::Standard);
    return standard == byCategory.end() ? none : standard->second;
}

} // namespace plinkum
