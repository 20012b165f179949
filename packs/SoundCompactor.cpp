#include "packs/SoundCompactor.h"

#include <sndfile.h>

#include <memory>
#include <vector>

#include <unistd.h>

namespace plinkum {

namespace {

struct SndfileCloser {
    void operator()(SNDFILE *file) const { sf_close(file); }
};
using Sndfile = std::unique_ptr<SNDFILE, SndfileCloser>;

Sndfile openRead(int fd, SF_INFO &info)
{
    info = {};
    if (::lseek(fd, 0, SEEK_SET) != 0)
        return nullptr;
    return Sndfile(sf_open_fd(fd, SFM_READ, &info, SF_FALSE));
}

// Bytes per sample of the encodings read back exactly as integers or floats; 0 for the rest.
int losslessSampleBytes(int format)
{
    switch (format & SF_FORMAT_SUBMASK) {
    case SF_FORMAT_PCM_S8:
    case SF_FORMAT_PCM_U8:
        return 1;
    case SF_FORMAT_PCM_16:
        return 2;
    case SF_FORMAT_PCM_24:
        return 3;
    case SF_FORMAT_PCM_32:
    case SF_FORMAT_FLOAT:
        return 4;
    case SF_FORMAT_DOUBLE:
        return 8;
    default:
        return 0;
    }
}

bool isFloat(int format)
{
    const int subtype = format & SF_FORMAT_SUBMASK;
    return subtype == SF_FORMAT_FLOAT || subtype == SF_FORMAT_DOUBLE;
}

template <typename Sample, typename Read, typename Write>
bool copyFrames(SNDFILE *in, SNDFILE *out, int channels, sf_count_t frames, Read read, Write write)
{
    constexpr sf_count_t chunk = 4096;
    std::vector<Sample> buffer(static_cast<std::size_t>(chunk * channels));
    for (sf_count_t left = frames; left > 0;) {
        const sf_count_t got = read(in, buffer.data(), std::min(chunk, left));
        if (got <= 0 || write(out, buffer.data(), got) != got)
            return false;
        left -= got;
    }
    return true;
}

} // namespace

SoundCompactor::Verdict SoundCompactor::judge(int fd, std::int64_t bytes)
{
    if (bytes <= minBytes)
        return Verdict::Keep;
    SF_INFO info;
    const Sndfile in = openRead(fd, info);
    if (!in || info.frames <= 0 || info.channels <= 0)
        return Verdict::Keep;
    const int sampleBytes = losslessSampleBytes(info.format);
    // Compressed encodings are measured against 32-bit samples: their audio is never larger.
    const std::int64_t audioBytes = std::int64_t{info.frames} * info.channels * (sampleBytes ? sampleBytes : 4);
    if (audioBytes > (bytes - minBytes) / 2)
        return Verdict::Keep;
    return sampleBytes && sf_format_check(&info) ? Verdict::Rewrite : Verdict::Refuse;
}

bool SoundCompactor::rewrite(int fd, int outFd)
{
    SF_INFO info;
    const Sndfile in = openRead(fd, info);
    if (!in)
        return false;
    SF_INFO outInfo{0, info.samplerate, info.channels, info.format, 0, 0};
    Sndfile out(sf_open_fd(outFd, SFM_WRITE, &outInfo, SF_FALSE));
    if (!out)
        return false;
    // Integers travel as 32-bit integers and floats as doubles: both hold every sample exactly.
    const bool copied = isFloat(info.format)
        ? copyFrames<double>(in.get(), out.get(), info.channels, info.frames, sf_readf_double, sf_writef_double)
        : copyFrames<int>(in.get(), out.get(), info.channels, info.frames, sf_readf_int, sf_writef_int);
    // Closing writes the header's final sizes.
    return copied && sf_close(out.release()) == 0;
}

} // namespace plinkum
