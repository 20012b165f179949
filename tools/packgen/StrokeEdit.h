#pragma once

#include "tools/packgen/Biquad.h"

#include <initializer_list>
#include <vector>

namespace plinkum {

// The edits a derived switch is made with, each on a real recorded stroke: a change of speed,
// filters, and real events of other strokes laid over it. Nothing here makes sound of its own.
class StrokeEdit {
public:
    // The stroke played `speed` times as fast, like a tape's varispeed: below 1 it is slower and
    // lower, as the same parts sound when they are heavier or larger. Windowed-sinc interpolation.
    static std::vector<float> varispeed(const std::vector<float> &frames, double speed);

    static std::vector<float> filtered(std::vector<float> frames, std::initializer_list<Biquad> filters);

    // `event` added `offset` seconds after the start of `base`, scaled so that its peak lies
    // `belowPeak` dB under the base's; a negative offset moves the base later so that the event
    // comes first. The result is as long as both.
    static std::vector<float> layer(const std::vector<float> &base, const std::vector<float> &event, double offset,
                                    double belowPeak, int rate);

    // [from, to) seconds of a stroke, with 1 ms fades at the cuts.
    static std::vector<float> excerpt(const std::vector<float> &frames, double from, double to, int rate);

    // Scales [from, to) seconds by `gainDb`, ramping in and out over 1 ms.
    static std::vector<float> duck(std::vector<float> frames, double from, double to, double gainDb, int rate);

    // Cut again at the transient, as every recorded sound is: from 0.5 ms before the first
    // sample at 10 % of the peak, faded in over that half millisecond. Filters and speed changes
    // move where a stroke peaks, and a sound must be heard at once.
    static std::vector<float> fromOnset(const std::vector<float> &frames, int rate);

};

} // namespace plinkum
