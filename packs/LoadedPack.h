#pragma once

#include "keys/InputEvent.h"
#include "keys/KeyCategory.h"
#include "packs/PackInfo.h"
#include "packs/Sample.h"

#include <array>
#include <memory>
#include <unordered_map>

namespace plinkum {

// The decoded, playable form of one pack. Immutable after construction, so it is read from any
// thread without a lock; it is freed when its last holder lets go of it.
class LoadedPack {
public:
    using CategoryMap = std::unordered_map<KeyCategory, SampleList>;
    using KeyMap = std::unordered_map<KeyCode, SampleList>;
    // By PointerButton value.
    using ButtonMap = std::array<SampleList, pointerButtonCount>;

    LoadedPack(PackInfo info, CategoryMap down, CategoryMap up, KeyMap keyDown, KeyMap keyUp, ButtonMap buttonDown = {},
               ButtonMap buttonUp = {});

    const PackInfo &info() const { return m_info; }
    const CategoryMap &down() const { return m_down; }
    const CategoryMap &up() const { return m_up; }
    const KeyMap &keyDown() const { return m_keyDown; }
    const KeyMap &keyUp() const { return m_keyUp; }
    const ButtonMap &buttonDown() const { return m_buttonDown; }
    const ButtonMap &buttonUp() const { return m_buttonUp; }

    // The samples to choose from for one event: the key's own list, else its category's, else the
    // standard list; a button's own list. Never falls back from release to press. Allocates nothing.
    const SampleList &samples(InputEvent event) const;
    // What a click plays: the button's own list; for a button the pack has no sound for, its left
    // button's (a button it has, press only, stays silent on release). Allocates nothing.
    const SampleList &clickSamples(InputEvent event) const;
    // Whether any button has a press sound.
    bool hasButtonSounds() const { return m_hasButtonSounds; }

private:
    PackInfo m_info;
    CategoryMap m_down;
    CategoryMap m_up;
    KeyMap m_keyDown;
    KeyMap m_keyUp;
    ButtonMap m_buttonDown;
    ButtonMap m_buttonUp;
    bool m_hasButtonSounds = false;
};

using LoadedPackPtr = std::shared_ptr<const LoadedPack>;

} // namespace plinkum
