#pragma once

#include "LoadedPack.h"

#include <initializer_list>
#include <memory>
#include <vector>

namespace plinkum::testpacks {

// A sample whose variants are constant buffers (DC), one level per variant, so that a rendered
// frame shows which variant played and with which gain.
inline SamplePtr constant(std::initializer_list<float> variantLevels, std::size_t frames)
{
    auto sample = std::make_shared<Sample>();
    for (float level : variantLevels)
        sample->variants.emplace_back(std::vector<float>(frames, level));
    return sample;
}

// Every key presses and releases the same one-variant sample of level 1.
inline LoadedPackPtr uniform(std::size_t frames = 4800)
{
    const SamplePtr sample = constant({1.0f}, frames);
    return std::make_shared<LoadedPack>(PackInfo{}, LoadedPack::CategoryMap{{KeyCategory::Standard, {sample}}},
                                        LoadedPack::CategoryMap{{KeyCategory::Standard, {sample}}},
                                        LoadedPack::KeyMap{}, LoadedPack::KeyMap{});
}

} // namespace plinkum::testpacks
