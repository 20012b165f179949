#pragma once

#include <QString>

#include <optional>
#include <vector>

namespace plinkum {

// Mono sound files through libsndfile.
class AudioFile {
public:
    struct Audio {
        std::vector<float> frames;
        int sampleRate = 0;
    };

    // Any format libsndfile reads; several channels are averaged to one.
    static std::optional<Audio> read(const QString &path);

    // 16-bit FLAC with seeded triangular dither, so the same input gives the same bytes.
    static bool writeFlac(const QString &path, const std::vector<float> &frames, int sampleRate);
};

} // namespace plinkum
