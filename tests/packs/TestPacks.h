#pragma once

#include <QByteArray>
#include <QString>

#include <sndfile.h>

#include <vector>

// Writes the small audio files and pack folders the pack tests load.
namespace TestPacks {

// `frames` interleaved samples of `channels` channels at `rate`, in WAV with `subtype`.
bool writeWav(const QString &path, const std::vector<float> &interleaved, int channels, int rate,
              int subtype = SF_FORMAT_PCM_16);

// A mono 48000 Hz WAV of `count` samples, every one at `level` (loud enough not to be trimmed).
bool writeTone(const QString &path, std::size_t count, float level = 0.5f);

bool writeText(const QString &path, const QByteArray &text);

} // namespace TestPacks
