#pragma once

#include "packs/LoadedPack.h"

#include <QByteArray>
#include <QJsonObject>
#include <QList>
#include <QMap>
#include <QMetaType>
#include <QProcessEnvironment>
#include <QString>
#include <QStringList>

#include <sndfile.h>

#include <initializer_list>
#include <vector>

// Audio files and pack folders written on the spot, packs in memory, the JSON of the tools.
namespace TestPacks {

// Interleaved samples of `channels` channels at `rate`, in WAV with `subtype`.
bool writeWav(const QString &path, const std::vector<float> &interleaved, int channels, int rate,
              int subtype = SF_FORMAT_PCM_16);

// A mono 48000 Hz WAV of `count` samples, every one at `level` (loud enough not to be trimmed).
bool writeTone(const QString &path, std::size_t count, float level = 0.5f);

bool writeText(const QString &path, const QByteArray &text);
QByteArray readFile(const QString &path);

// The interleaved samples of an audio file and its format; empty when it cannot be read.
std::vector<float> readWav(const QString &path, SF_INFO &info);

// Pack folders as a map of relative path to content.
using Files = QMap<QString, QByteArray>;

// The content that makes writeFolder put a short audible WAV in place.
inline const QByteArray wav = QByteArrayLiteral("<wav>");

// Creates `folder` with `files`; false when anything could not be written.
bool writeFolder(const QString &folder, const Files &files);

// A pack.json whose standard sounds are click.wav.
QByteArray manifest(const QByteArray &name, const QByteArray &type = {}, int order = 0);

// pack.json and the click.wav it names.
Files validPack(const QByteArray &name, const QByteArray &type = {}, int order = 0);

// Every path under `folder`, hidden ones included, relative and sorted.
QStringList contents(const QString &folder);

// A zip entry: a file of `data` (or `zeros` zero bytes), a folder ending in '/', or a link to `link`.
struct ZipEntry {
    ZipEntry() = default;
    ZipEntry(QString p, QByteArray d, qint64 z = 0, QString l = {})
        : path(std::move(p)), data(std::move(d)), zeros(z), link(std::move(l))
    {
    }

    QString path;
    QByteArray data;
    qint64 zeros = 0;
    QString link;
};
using ZipEntries = QList<ZipEntry>;

bool writeZip(const QString &zipPath, const ZipEntries &entries);
// Every file under `folder` as zip entries below `prefix`.
ZipEntries zipEntriesOf(const QString &folder, const QString &prefix);
// `folder` zipped inside a folder of its own name, as users share packs.
bool zipFolder(const QString &folder, const QString &zipPath);

// A finished run of a program that may print one JSON object; exit code -1 when it crashed.
struct Run {
    int exitCode = -1;
    QByteArray out;
    QByteArray err;
    QJsonObject json;
};
Run run(const QString &program, const QStringList &arguments,
        const QProcessEnvironment &environment = QProcessEnvironment::systemEnvironment());

// A sample of constant buffers, one level per variant: a rendered frame shows variant and gain.
plinkum::SamplePtr constant(std::initializer_list<float> variantLevels, std::size_t frames);

// Every key presses and releases the same one-variant sample of level 1.
plinkum::LoadedPackPtr uniform(std::size_t frames = 4800);

QStringList ids(const QList<plinkum::PackInfo> &packs);

} // namespace TestPacks

Q_DECLARE_METATYPE(TestPacks::ZipEntry)
