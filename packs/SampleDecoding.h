#pragma once

#include "Sample.h"

#include <QString>

#include <optional>
#include <vector>

namespace plinkum::PackLoader {

// Longest file accepted as a key sound; anything longer is not one, and refusing it bounds the
// memory a single file can take (at most ten minutes at 48000 Hz once converted).
inline constexpr int maxFileSeconds = 600;

// Decodes an audio file to mono float samples at 48000 Hz: channels averaged, amplitudes as
// decoded, the file's rate converted by `resample`. Throws DecodeError when the file is
// missing, unreadable, not audio, or longer than maxFileSeconds.
std::vector<float> decodeFile(const QString &path);

// Linear interpolation at `ratio` source samples per output sample, the last sample held at the
// end; the result has trunc(count / ratio) samples. Ratio 1 and fewer than two samples return
// the input. A result whose length does not fit a 32-bit frame count is empty.
std::vector<float> resample(const std::vector<float> &samples, double ratio);

// Drops the quiet lead-in before the first sample louder than `threshold`, keeping 48 samples
// (1 ms) before it. A recording quiet throughout stays whole.
std::vector<float> trimLeadingSilence(std::vector<float> samples, float threshold);

// A window of `samples` (start and duration in milliseconds), trimmed of its lead-in. Nothing
// when there is no recording or the window's frame positions do not fit 64 bits.
std::optional<std::vector<float>> sliceMilliseconds(const std::vector<float> *samples, double start,
                                                    double rate, double duration);

// The pitch variants of one recording, in pitchRatios order; a ratio that gives no samples
// leaves no gap, so the list holds zero to five buffers.
std::vector<AudioBuffer> makeVariants(std::vector<float> samples);

// Bytes the variants of `frameCount` samples will take, to check a budget before making them.
std::size_t variantBytes(std::size_t frameCount);

} // namespace plinkum::PackLoader
