#pragma once

#include "audio/ClockedOutput.h"

#include <string>

typedef struct sf_private_tag SNDFILE;

namespace plinkum {

// Runs the mixer in real time and records what it plays into a stereo float WAV file at the
// mixer's rate.
class WavFileOutput : public ClockedOutput {
public:
    explicit WavFileOutput(std::string path);
    ~WavFileOutput() override;

protected:
    std::optional<std::string> open() override;
    void deliver(const float *interleaved, std::size_t frames) override;
    void close() override;

private:
    std::string m_path;
    SNDFILE *m_file = nullptr;
};

} // namespace plinkum
