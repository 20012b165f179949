#include "TestPacks.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace TestPacks {

bool writeWav(const QString &path, const std::vector<float> &interleaved, int channels, int rate, int subtype)
{
    QDir().mkpath(QFileInfo(path).path());
    SF_INFO info{};
    info.channels = channels;
    info.samplerate = rate;
    info.format = SF_FORMAT_WAV | subtype;
    SNDFILE *file = sf_open(QFile::encodeName(path).constData(), SFM_WRITE, &info);
    if (!file)
        return false;
    // Keep float samples as written; the default would clip NaN and large values.
    sf_command(file, SFC_SET_CLIPPING, nullptr, SF_FALSE);
    const sf_count_t frames = static_cast<sf_count_t>(interleaved.size()) / channels;
    const bool written = sf_writef_float(file, interleaved.data(), frames) == frames;
    return sf_close(file) == 0 && written;
}

bool writeTone(const QString &path, std::size_t count, float level)
{
    return writeWav(path, std::vector<float>(count, level), 1, 48000);
}

bool writeText(const QString &path, const QByteArray &text)
{
    QDir().mkpath(QFileInfo(path).path());
    QFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(text) == text.size();
}

} // namespace TestPacks
