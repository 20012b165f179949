#pragma once

#include "packs/Sample.h"

#include <QString>

#include <atomic>
#include <cstdint>
#include <limits>
#include <optional>
#include <vector>

namespace plinkum::PackLoader {

// Longest file accepted as a key sound; anything longer is not one, and refusing it bounds the
// memory a single file can take (at most ten minutes at 48000 Hz once converted).
inline constexpr int maxFileSeconds = 600;

// Slowest sample rate taken. Nothing that slow is a key sound, and at 1 Hz a header of a few
// bytes claims hours that would decode to hundreds of megabytes at 48000 Hz.
inline constexpr int minSampleRate = 8000;

// What one decode may cost: the output frames (at 48000 Hz) and file bytes the caller can still
// take, and a flag that stops it between chunks once set.
struct DecodeLimits {
    std::uint64_t maxFrames = std::numeric_limits<std::uint64_t>::max();
    std::uint64_t maxBytes = std::numeric_limits<std::uint64_t>::max();
    const std::atomic<bool> *cancelled = nullptr;
};

// Decodes an audio file to mono float samples at 48000 Hz: channels averaged, amplitudes as
// decoded, the file's rate converted by `resample`. The file is opened once without following a
// final symbolic link and must be a regular file. Throws DecodeError when the file is missing,
// unreadable, not audio (a rate below minSampleRate included), longer than maxFileSeconds, more
// than `limits.maxFrames` (by its header, before decoding, and by what is read), needs more than
// `limits.maxBytes` read, or is cancelled. `bytes`, when given, receives the bytes read, which
// for a large file refused by its header is a few: its size costs nothing.
std::vector<float> decodeFile(const QString &path, const DecodeLimits &limits = {}, std::uint64_t *bytes = nullptr);
// As decodeFile, from `fd` opened for reading, which it takes over; -1 after a failed open, with
// errno saying why.
std::vector<float> decodeDescriptor(int fd, const DecodeLimits &limits = {}, std::uint64_t *bytes = nullptr);

// Linear interpolation at `ratio` source samples per output sample, the last sample held at the
// end; the result has trunc(count / ratio) samples. Ratio 1 and fewer than two samples return
// the input. A result whose length does not fit a 32-bit frame count is empty.
std::vector<float> resample(const std::vector<float> &samples, double ratio);

// Drops the quiet lead-in before the first sample louder than `threshold`, keeping 48 samples
// (1 ms) before it. A recording quiet throughout stays whole.
std::vector<float> trimLeadingSilence(std::vector<float> samples, float threshold);

// The frames [first, end) of a window of `count` frames (start and duration in milliseconds).
// Nothing when the window's frame positions do not fit 64 bits.
struct Window {
    std::size_t first;
    std::size_t end;
};
std::optional<Window> sliceWindow(std::size_t count, double start, double rate, double duration);

// A window of `samples` (as sliceWindow), trimmed of its lead-in. Nothing when there is no
// recording or the window's frame positions do not fit 64 bits.
std::optional<std::vector<float>> sliceMilliseconds(const std::vector<float> *samples, double start,
                                                    double rate, double duration);

// The pitch variants of one recording, in pitchRatios order; a ratio that gives no samples
// leaves no gap, so the list holds zero to five buffers.
std::vector<AudioBuffer> makeVariants(std::vector<float> samples);

// Bytes the variants of `frameCount` samples will take, to check a budget before making them.
std::size_t variantBytes(std::size_t frameCount);

// The most frames whose variants fit in `bytes`: variantBytes(maxFramesFor(b)) <= b.
std::size_t maxFramesFor(std::size_t bytes);

} // namespace plinkum::PackLoader
