#include "packs/SampleDecoding.h"

#include "packs/DecodeError.h"
#include "packs/SampleFormat.h"

#include <QFile>
#include <QScopeGuard>

#include <sndfile.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>
#include <memory>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace plinkum::PackLoader {

namespace {

constexpr double maxFrameCount = std::numeric_limits<std::uint32_t>::max();

// Output length of resampling `count` samples at `ratio`, or 0 when there is none or it does
// not fit a frame count.
std::size_t resampledLength(std::size_t count, double ratio)
{
    const double length = std::trunc(static_cast<double>(count) / ratio);
    if (!(length >= 1.0) || length > maxFrameCount)
        return 0;
    return static_cast<std::size_t>(length);
}

// The same interpolation as `resample`, fed chunk by chunk while the file is read, so that a
// file at another rate never has to be held whole at its own rate (a 192 kHz file would take
// four times the memory of its result).
class StreamResampler {
public:
    explicit StreamResampler(double ratio) : m_ratio(ratio) {}

    void reserve(std::size_t sourceFrames)
    {
        if (const std::size_t length = resampledLength(sourceFrames, m_ratio))
            m_out.reserve(length);
    }

    void feed(const float *chunk, std::size_t count)
    {
        if (count == 0)
            return;
        if (m_ratio == 1.0) {
            m_out.insert(m_out.end(), chunk, chunk + count);
            m_consumed += count;
            return;
        }
        const std::uint64_t available = m_consumed + count;
        const auto consumed = static_cast<std::int64_t>(m_consumed);
        for (auto next = static_cast<std::int64_t>(m_next);; ++next) {
            const double p = m_ratio * static_cast<double>(next);
            const auto k = static_cast<std::int64_t>(p);
            if (static_cast<std::uint64_t>(k) + 1 >= available) {
                m_next = static_cast<std::uint64_t>(next);
                break;
            }
            const float a = k >= consumed ? chunk[k - consumed] : m_previous;
            const float b = chunk[k + 1 - consumed];
            const auto f = static_cast<float>(p - static_cast<double>(k));
            m_out.push_back(a + (b - a) * f);
        }
        m_previous = chunk[count - 1];
        m_consumed += count;
    }

    std::vector<float> finish()
    {
        if (m_ratio == 1.0)
            return std::move(m_out);
        if (m_consumed < 2)
            return m_consumed == 1 ? std::vector<float>{m_previous} : std::vector<float>{};
        // Every output still missing lies past the last source sample, which is held.
        const std::size_t length = resampledLength(m_consumed, m_ratio);
        m_out.resize(length, m_previous);
        return std::move(m_out);
    }

    std::uint64_t consumed() const { return m_consumed; }
    std::uint64_t produced() const { return m_out.size(); }

private:
    double m_ratio;
    std::vector<float> m_out;
    std::uint64_t m_consumed = 0;
    std::uint64_t m_next = 0;
    float m_previous = 0.0f;
};

// The file as libsndfile reads it, counting the bytes it takes: the load is charged for what is
// read, not for a size that a sparse file can make anything.
struct CountedFile {
    int fd;
    sf_count_t size;
    sf_count_t position;
    std::uint64_t taken;
    std::uint64_t maxBytes;
    bool overBudget;
    std::uint64_t *readOut;

    static sf_count_t length(void *self) { return static_cast<CountedFile *>(self)->size; }
    static sf_count_t tell(void *self) { return static_cast<CountedFile *>(self)->position; }
    static sf_count_t write(const void *, sf_count_t, void *) { return 0; }
    static sf_count_t seek(sf_count_t offset, int whence, void *self)
    {
        auto *file = static_cast<CountedFile *>(self);
        const sf_count_t base = whence == SEEK_CUR ? file->position : whence == SEEK_END ? file->size : 0;
        if (offset > std::numeric_limits<sf_count_t>::max() - base || base + offset < 0)
            return -1;
        file->position = base + offset;
        return file->position;
    }
    static sf_count_t read(void *buffer, sf_count_t count, void *self)
    {
        auto *file = static_cast<CountedFile *>(self);
        if (count <= 0 || file->position >= file->size)
            return 0;
        if (file->taken >= file->maxBytes) {
            file->overBudget = true;
            return 0;
        }
        const auto wanted = static_cast<std::size_t>(std::min<std::uint64_t>(static_cast<std::uint64_t>(count), file->maxBytes - file->taken));
        ssize_t got;
        do
            got = ::pread(file->fd, buffer, wanted, file->position);
        while (got < 0 && errno == EINTR);
        if (got <= 0)
            return 0;
        file->position += got;
        file->taken += static_cast<std::uint64_t>(got);
        if (file->readOut)
            *file->readOut = file->taken;
        return got;
    }
};

struct SndfileCloser {
    void operator()(SNDFILE *file) const { sf_close(file); }
};

DecodeError::Kind errorKind(int sfError)
{
    return sfError == SF_ERR_SYSTEM ? DecodeError::Kind::Unreadable : DecodeError::Kind::NotAudio;
}

} // namespace

std::vector<float> decodeFile(const QString &path, const DecodeLimits &limits, std::uint64_t *bytes)
{
    // O_NONBLOCK: opening a FIFO named like a sound would otherwise wait for a writer forever.
    return decodeDescriptor(::open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK),
                            limits, bytes);
}

std::vector<float> decodeDescriptor(int fd, const DecodeLimits &limits, std::uint64_t *bytes)
{
    if (fd < 0) {
        if (errno == ENOENT || errno == ENOTDIR)
            throw DecodeError(DecodeError::Kind::Missing, QStringLiteral("no such file"));
        if (errno == ELOOP)
            throw DecodeError(DecodeError::Kind::Unreadable, QStringLiteral("a symbolic link"));
        throw DecodeError(DecodeError::Kind::Unreadable, QString::fromLocal8Bit(std::strerror(errno)));
    }
    // Checked on the descriptor, so what is checked is what is read.
    CountedFile counted{fd, 0, 0, 0, limits.maxBytes, false, bytes};
    const auto closeFd = qScopeGuard([fd] { ::close(fd); });
    struct stat status {};
    if (::fstat(fd, &status) != 0 || !S_ISREG(status.st_mode))
        throw DecodeError(DecodeError::Kind::Unreadable, QStringLiteral("not a regular file"));
    counted.size = status.st_size;
    if (bytes)
        *bytes = 0;
    const auto overBudget = [] {
        return DecodeError(DecodeError::Kind::TooLarge, QStringLiteral("a larger file than the load can still read"));
    };

    SF_INFO info{};
    SF_VIRTUAL_IO io{CountedFile::length, CountedFile::seek, CountedFile::read, CountedFile::write, CountedFile::tell};
    std::unique_ptr<SNDFILE, SndfileCloser> file(sf_open_virtual(&io, SFM_READ, &info, &counted));
    if (!file) {
        if (counted.overBudget)
            throw overBudget();
        const int error = sf_error(nullptr);
        throw DecodeError(errorKind(error), QString::fromUtf8(sf_error_number(error)));
    }
    if (info.samplerate <= 0 || info.channels <= 0)
        throw DecodeError(DecodeError::Kind::NotAudio, QStringLiteral("no sample rate or no channels"));
    if (info.samplerate < minSampleRate) {
        throw DecodeError(DecodeError::Kind::NotAudio, QStringLiteral("a sample rate of %1 Hz (at least %2 Hz is needed)")
                                                           .arg(info.samplerate)
                                                           .arg(minSampleRate));
    }

    const auto maxSourceFrames = static_cast<std::uint64_t>(maxFileSeconds) * static_cast<std::uint64_t>(info.samplerate);
    const auto tooLong = [] {
        return DecodeError(DecodeError::Kind::TooLong,
                           QStringLiteral("longer than %1 minutes").arg(maxFileSeconds / 60));
    };
    const auto tooLarge = [] {
        return DecodeError(DecodeError::Kind::TooLarge, QStringLiteral("more audio than the load can still take"));
    };
    const bool lengthKnown = info.frames != SF_COUNT_MAX && info.frames > 0;
    if (lengthKnown && static_cast<std::uint64_t>(info.frames) > maxSourceFrames)
        throw tooLong();
    // Judged on the header before anything is decoded; the rate is at least minSampleRate and
    // the length at most ten minutes, so this cannot overflow.
    const double ratio = static_cast<double>(info.samplerate) / sampleFormat.sampleRate;
    if (lengthKnown && static_cast<double>(info.frames) / ratio > static_cast<double>(limits.maxFrames))
        throw tooLarge();

    const int channels = info.channels;
    const int subtype = info.format & SF_FORMAT_SUBMASK;
    // Only float encodings can hold NaN or infinity, which would poison every voice mixed with them.
    const bool mayHoldNonFinite = subtype == SF_FORMAT_FLOAT || subtype == SF_FORMAT_DOUBLE;
    const sf_count_t chunkFrames = std::max(1, 16384 / channels);
    // Scratch space reused by every decode on this thread: fresh memory for each file would cost
    // page faults and zeroing that a pack of many short files pays again and again.
    thread_local std::vector<float> interleaved;
    thread_local std::vector<float> mono;
    interleaved.resize(static_cast<std::size_t>(chunkFrames) * static_cast<std::size_t>(channels));
    mono.resize(static_cast<std::size_t>(chunkFrames));

    StreamResampler resampler(ratio);
    if (lengthKnown)
        resampler.reserve(static_cast<std::size_t>(info.frames));

    const float divisor = static_cast<float>(channels);
    for (;;) {
        if (limits.cancelled && limits.cancelled->load(std::memory_order_relaxed))
            throw DecodeError(DecodeError::Kind::Cancelled, QStringLiteral("cancelled"));
        const sf_count_t read = sf_readf_float(file.get(), interleaved.data(), chunkFrames);
        if (read <= 0)
            break;
        const auto frames = static_cast<std::size_t>(read);
        if (mayHoldNonFinite) {
            for (std::size_t i = 0; i < frames * static_cast<std::size_t>(channels); ++i)
                if (!std::isfinite(interleaved[i]))
                    interleaved[i] = 0.0f;
        }
        if (channels == 1) {
            resampler.feed(interleaved.data(), frames);
        } else {
            if (channels == 2) {
                // Halving is exact, so this is the same average as dividing, only faster.
                for (std::size_t i = 0; i < frames; ++i)
                    mono[i] = (0.0f + interleaved[2 * i] * 0.5f) + interleaved[2 * i + 1] * 0.5f;
            } else {
                for (std::size_t i = 0; i < frames; ++i) {
                    const float *frame = interleaved.data() + i * static_cast<std::size_t>(channels);
                    float sum = 0.0f;
                    for (int c = 0; c < channels; ++c)
                        sum += frame[c] / divisor;
                    mono[i] = sum;
                }
            }
            resampler.feed(mono.data(), frames);
        }
        // The header may understate the length; the limit holds for what is actually read.
        if (resampler.consumed() > maxSourceFrames)
            throw tooLong();
        if (resampler.produced() > limits.maxFrames)
            throw tooLarge();
    }
    if (counted.overBudget)
        throw overBudget();
    if (const int error = sf_error(file.get()); error != SF_ERR_NO_ERROR)
        throw DecodeError(DecodeError::Kind::Unreadable, QString::fromUtf8(sf_error_number(error)));
    return resampler.finish();
}

std::vector<float> resample(const std::vector<float> &samples, double ratio)
{
    if (ratio == 1.0 || samples.size() < 2)
        return samples;
    const std::size_t length = resampledLength(samples.size(), ratio);
    if (length == 0)
        return {};

    // Filled in place without zeroing first: the output is fresh memory and each page is then
    // touched once instead of twice.
    std::vector<float> out;
    out.reserve(length);
    const std::size_t last = samples.size() - 1;
    const float *s = samples.data();
    // Up to `inner` both neighbours exist, so the hot loop needs no clamping.
    std::size_t inner = std::min(length, static_cast<std::size_t>(static_cast<double>(last) / ratio));
    while (inner > 0 && static_cast<std::size_t>(ratio * static_cast<double>(inner - 1)) + 1 > last)
        --inner;
    // Signed conversions are single instructions; every index here fits (lengths fit 32 bits).
    for (std::int64_t i = 0; i < static_cast<std::int64_t>(inner); ++i) {
        const double p = ratio * static_cast<double>(i);
        const auto k = static_cast<std::int64_t>(p);
        const auto f = static_cast<float>(p - static_cast<double>(k));
        out.push_back(s[k] + (s[k + 1] - s[k]) * f);
    }
    for (std::size_t i = inner; i < length; ++i) {
        const double p = ratio * static_cast<double>(i);
        const auto k = static_cast<std::size_t>(p);
        const std::size_t a = std::min(k, last);
        const std::size_t b = std::min(k + 1, last);
        const auto f = static_cast<float>(p - static_cast<double>(k));
        out.push_back(s[a] + (s[b] - s[a]) * f);
    }
    return out;
}

std::vector<float> trimLeadingSilence(std::vector<float> samples, float threshold)
{
    constexpr std::size_t leadIn = 48;
    const auto onset = std::find_if(samples.begin(), samples.end(),
                                    [threshold](float s) { return std::fabs(s) > threshold; });
    if (onset == samples.end())
        return samples;
    const auto index = static_cast<std::size_t>(onset - samples.begin());
    if (index > leadIn)
        samples.erase(samples.begin(), onset - leadIn);
    return samples;
}

std::optional<Window> sliceWindow(std::size_t count, double start, double rate, double duration)
{
    const double firstFrame = std::trunc(start / 1000.0 * rate);
    const double frameCount = std::trunc(rate * (duration / 1000.0));
    const auto fitsInt64 = [](double v) { return v >= -9223372036854775808.0 && v < 9223372036854775808.0; };
    if (!fitsInt64(firstFrame) || !fitsInt64(frameCount))
        return std::nullopt;

    const auto total = static_cast<std::int64_t>(count);
    const std::int64_t first = std::clamp(static_cast<std::int64_t>(firstFrame), std::int64_t{0}, total);
    const auto frames = static_cast<std::int64_t>(frameCount);
    const std::int64_t end = frames <= 0 ? first : (frames >= total - first ? total : first + frames);
    return Window{static_cast<std::size_t>(first), static_cast<std::size_t>(end)};
}

std::optional<std::vector<float>> sliceMilliseconds(const std::vector<float> *samples, double start,
                                                    double rate, double duration)
{
    if (!samples)
        return std::nullopt;
    const std::optional<Window> window = sliceWindow(samples->size(), start, rate, duration);
    if (!window)
        return std::nullopt;
    if (window->first == 0 && window->end == samples->size())
        return trimLeadingSilence(*samples, 0.01f);
    const auto begin = samples->begin();
    return trimLeadingSilence(std::vector<float>(begin + static_cast<std::ptrdiff_t>(window->first),
                                                 begin + static_cast<std::ptrdiff_t>(window->end)),
                              0.01f);
}

std::vector<AudioBuffer> makeVariants(std::vector<float> samples)
{
    // The shifted variants are made first so the unshifted one can take the samples without a copy.
    std::array<std::vector<float>, pitchRatios.size()> made;
    for (std::size_t i = 0; i < pitchRatios.size(); ++i) {
        if (pitchRatios[i] != 1.0)
            made[i] = resample(samples, pitchRatios[i]);
    }
    for (std::size_t i = 0; i < pitchRatios.size(); ++i) {
        if (pitchRatios[i] == 1.0)
            made[i] = std::move(samples);
    }
    std::vector<AudioBuffer> variants;
    variants.reserve(pitchRatios.size());
    for (std::vector<float> &variant : made) {
        if (!variant.empty())
            variants.emplace_back(std::move(variant));
    }
    return variants;
}

std::size_t variantBytes(std::size_t frameCount)
{
    std::size_t bytes = 0;
    for (double ratio : pitchRatios)
        bytes += (ratio == 1.0 || frameCount < 2 ? frameCount : resampledLength(frameCount, ratio)) * sizeof(float);
    return bytes;
}

std::size_t maxFramesFor(std::size_t bytes)
{
    // trunc(n / ratio) <= n / ratio, so n times the sum of the inverse ratios bounds the frames.
    double framesPerFrame = 0.0;
    for (double ratio : pitchRatios)
        framesPerFrame += 1.0 / ratio;
    auto frames = static_cast<std::size_t>(static_cast<double>(bytes) / (sizeof(float) * framesPerFrame));
    while (frames > 0 && variantBytes(frames) > bytes)
        --frames;
    return frames;
}

} // namespace plinkum::PackLoader
