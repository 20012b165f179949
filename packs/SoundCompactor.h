#pragma once

#include <cstdint>

namespace plinkum {

// A sound file far larger than its audio (a WAV padded with zeros, junk chunks, trailing bytes)
// would cost the user's disk for nothing: it is rewritten as its samples alone, in the same
// format and sample encoding, so nothing the pack plays changes; where that would not be lossless
// (lossy codecs) it is refused.
class SoundCompactor {
public:
    // Files up to this size are never looked at: whatever padding they hold costs little.
    static constexpr std::int64_t minBytes = std::int64_t{1} << 20;

    enum class Verdict { Keep, Rewrite, Refuse };
    // What to do with the file open on `fd`, `bytes` long: Keep for whatever is not a sound
    // libsndfile reads or holds no more than twice its samples' bytes (and minBytes) more.
    static Verdict judge(int fd, std::int64_t bytes);
    // Writes the sound open on `fd` to the empty file open on `outFd`; false when it cannot.
    static bool rewrite(int fd, int outFd);
};

} // namespace plinkum
