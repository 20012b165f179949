#pragma once

#include <algorithm>
#include <cstddef>
#include <memory>
#include <vector>

namespace plinkum {

// One playable buffer: mono 32-bit float at 48000 Hz, its length is its frame count.
// Never changed after loading, so the audio thread may read it without a lock.
class AudioBuffer {
public:
    explicit AudioBuffer(std::vector<float> frames) : m_frames(std::move(frames)) {}

    const float *data() const { return m_frames.data(); }
    std::size_t frameCount() const { return m_frames.size(); }
    const std::vector<float> &frames() const { return m_frames; }

private:
    std::vector<float> m_frames;
};

// One recording as its pitch variants (ratios 0.96, 0.98, 1.0, 1.02, 1.04, in that order; a
// variant that could not be made is left out). Never empty.
struct Sample {
    std::vector<AudioBuffer> variants;

    // The variant played when pitch variation is off: index 2, or the last one when fewer.
    const AudioBuffer &unshifted() const { return variants[std::min<std::size_t>(2, variants.size() - 1)]; }
};

// Samples are shared between map entries when a pack names the same file twice.
using SamplePtr = std::shared_ptr<const Sample>;
using SampleList = std::vector<SamplePtr>;

} // namespace plinkum
