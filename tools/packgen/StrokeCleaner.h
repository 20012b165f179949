#pragma once

#include <QString>

#include <cstddef>
#include <optional>
#include <vector>

namespace plinkum {

// The clean-up every recorded stroke gets, whoever recorded it: clipped peaks redrawn, DC and
// rumble removed, and each sound cut at its transient with its tail pulled down into silence
// instead of ending in the recording's hiss.
class StrokeCleaner {
public:
    struct Floor {
        double rms = 0;    // linear, of 10 ms stretches
        double peakDb = 0; // of 1 ms blocks
    };

    struct Span {
        std::size_t begin = 0, end = 0;
    };

    struct Source {
        std::vector<float> frames;
        int rate = 0;
        std::vector<std::size_t> clipped; // where two samples in a row sit at full scale
    };

    // Reads a recording with its clipped peaks redrawn and its DC and rumble removed.
    static std::optional<Source> read(const QString &path);
    static void removeRumble(std::vector<float> &frames, double rate);
    // Per-block peak levels in dB over [from, to).
    static std::vector<double> levels(const std::vector<float> &frames, std::size_t from, std::size_t to,
                                      std::size_t block);
    // The recordings' quiet level.
    static Floor noiseFloor(const std::vector<const std::vector<float> *> &recordings, double rate);
    static std::vector<float> cut(const std::vector<float> &frames, Span span, double rate, const Floor &floor);
};

} // namespace plinkum
