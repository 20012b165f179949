#include "tests/support/TestPacks.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QJsonDocument>
#include <QProcess>

#include <archive.h>
#include <archive_entry.h>

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

QByteArray readFile(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

std::vector<float> readWav(const QString &path, SF_INFO &info)
{
    SNDFILE *file = sf_open(QFile::encodeName(path).constData(), SFM_READ, &info);
    if (!file)
        return {};
    std::vector<float> samples(static_cast<std::size_t>(info.frames * info.channels));
    sf_readf_float(file, samples.data(), info.frames);
    sf_close(file);
    return samples;
}

bool writeFolder(const QString &folder, const Files &files)
{
    bool ok = QDir().mkpath(folder);
    for (auto it = files.begin(); it != files.end(); ++it) {
        const QString path = folder + u'/' + it.key();
        ok = (it.value() == wav ? writeTone(path, 2400) : writeText(path, it.value())) && ok;
    }
    return ok;
}

QByteArray manifest(const QByteArray &name, const QByteArray &type, int order)
{
    QByteArray json = "{\"name\":\"" + name + "\",\"order\":" + QByteArray::number(order);
    if (!type.isEmpty())
        json += ",\"type\":\"" + type + "\"";
    return json + ",\"down\":{\"standard\":[\"click.wav\"]}}";
}

Files validPack(const QByteArray &name, const QByteArray &type, int order)
{
    return {{QStringLiteral("pack.json"), manifest(name, type, order)}, {QStringLiteral("click.wav"), wav}};
}

QStringList contents(const QString &folder)
{
    QStringList found;
    QDirIterator it(folder, QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                    QDirIterator::Subdirectories);
    while (it.hasNext())
        found << it.next().mid(folder.size() + 1);
    found.sort();
    return found;
}

Run run(const QString &program, const QStringList &arguments, const QProcessEnvironment &environment)
{
    QProcess process;
    process.setProcessEnvironment(environment);
    process.start(program, arguments);
    Run result;
    if (!process.waitForFinished(60000) || process.exitStatus() != QProcess::NormalExit)
        return result;
    result.exitCode = process.exitCode();
    result.out = process.readAllStandardOutput();
    result.err = process.readAllStandardError();
    result.json = QJsonDocument::fromJson(result.out).object();
    return result;
}

plinkum::SamplePtr constant(std::initializer_list<float> variantLevels, std::size_t frames)
{
    auto sample = std::make_shared<plinkum::Sample>();
    for (float level : variantLevels)
        sample->variants.emplace_back(std::vector<float>(frames, level));
    return sample;
}

plinkum::LoadedPackPtr uniform(std::size_t frames)
{
    using plinkum::LoadedPack;
    const plinkum::SamplePtr sample = constant({1.0f}, frames);
    return std::make_shared<LoadedPack>(plinkum::PackInfo{}, LoadedPack::CategoryMap{{plinkum::KeyCategory::Standard, {sample}}},
                                        LoadedPack::CategoryMap{{plinkum::KeyCategory::Standard, {sample}}},
                                        LoadedPack::KeyMap{}, LoadedPack::KeyMap{});
}

QStringList ids(const QList<plinkum::PackInfo> &packs)
{
    QStringList result;
    for (const plinkum::PackInfo &info : packs)
        result << info.id;
    return result;
}

bool writeZip(const QString &zipPath, const ZipEntries &entries)
{
    archive *zip = archive_write_new();
    archive_write_set_format_zip(zip);
    bool ok = archive_write_open_filename(zip, QFile::encodeName(zipPath).constData()) == ARCHIVE_OK;
    const QByteArray block(1 << 20, '\0');
    for (const ZipEntry &e : entries) {
        archive_entry *entry = archive_entry_new();
        archive_entry_set_pathname(entry, e.path.toUtf8().constData());
        archive_entry_set_perm(entry, 0644);
        if (!e.link.isEmpty()) {
            archive_entry_set_filetype(entry, AE_IFLNK);
            archive_entry_set_symlink(entry, e.link.toUtf8().constData());
        } else if (e.path.endsWith(u'/')) {
            archive_entry_set_filetype(entry, AE_IFDIR);
        } else {
            archive_entry_set_filetype(entry, AE_IFREG);
            archive_entry_set_size(entry, e.data.size() + e.zeros);
        }
        ok = archive_write_header(zip, entry) == ARCHIVE_OK && ok;
        if (!e.data.isEmpty())
            ok = archive_write_data(zip, e.data.constData(), e.data.size()) == e.data.size() && ok;
        for (qint64 left = e.zeros; left > 0; left -= block.size())
            ok = archive_write_data(zip, block.constData(), std::min<qint64>(left, block.size())) > 0 && ok;
        archive_entry_free(entry);
    }
    ok = archive_write_close(zip) == ARCHIVE_OK && ok;
    archive_write_free(zip);
    return ok;
}

ZipEntries zipEntriesOf(const QString &folder, const QString &prefix)
{
    ZipEntries entries;
    for (const QString &relative : contents(folder)) {
        const QFileInfo info(folder + u'/' + relative);
        if (info.isDir())
            entries.append({prefix + relative + u'/', {}});
        else
            entries.append({prefix + relative, readFile(info.filePath())});
    }
    return entries;
}

bool zipFolder(const QString &folder, const QString &zipPath)
{
    return writeZip(zipPath, zipEntriesOf(folder, QFileInfo(folder).fileName() + u'/'));
}

} // namespace TestPacks
