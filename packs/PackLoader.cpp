#include "PackLoader.h"

#include "DecodeError.h"
#include "DocumentReader.h"
#include "KeyTables.h"
#include "Log.h"
#include "SampleFormat.h"

#include <QDir>
#include <QFileInfo>

#include <charconv>

namespace plinkum::PackLoader {

namespace {

const QString manifestName = QStringLiteral("pack.json");
const QString configName = QStringLiteral("config.json");

QString folderPath(const PackInfo &info)
{
    return QDir::cleanPath(info.url.toLocalFile());
}

QString skipReason(const DecodeError &error)
{
    switch (error.kind()) {
    case DecodeError::Kind::Missing:
        return QStringLiteral("missing");
    case DecodeError::Kind::Unreadable:
        return QStringLiteral("unreadable: ") + error.message();
    case DecodeError::Kind::NotAudio:
        return QStringLiteral("not audio: ") + error.message();
    case DecodeError::Kind::TooLong:
        break;
    }
    return error.message();
}

// Decodes a file a pack names, confined to the pack folder. Nothing, with the reason, when the
// name leaves the folder or the file gives no samples.
std::optional<std::vector<float>> decodeInside(const QString &folder, const QString &fileName, QString &why)
{
    const std::optional<QString> path = resolveInside(folder, fileName);
    if (!path) {
        why = QStringLiteral("outside the folder");
        return std::nullopt;
    }
    try {
        return decodeFile(*path);
    } catch (const DecodeError &error) {
        why = skipReason(error);
        if (error.kind() == DecodeError::Kind::TooLong)
            log(QStringLiteral("skipped %1 in %2: %3").arg(fileName, folder, why).toStdString());
        return std::nullopt;
    }
}

// One load's shared state: the folder, the cache every map draws from, and the report.
class Loading {
public:
    Loading(QString folder, LoadReport *report) : m_folder(std::move(folder)), m_report(report) {}

    SamplePtr fileSample(const QString &fileName)
    {
        QString why;
        SamplePtr sample = m_cache.variants(
            fileName,
            [&](QString &reason) -> std::optional<std::vector<float>> {
                std::optional<std::vector<float>> samples = decodeInside(m_folder, fileName, reason);
                if (samples)
                    samples = trimLeadingSilence(std::move(*samples), 0.01f);
                return samples;
            },
            &why);
        if (!sample)
            skip(fileName, why == QLatin1String("no samples") ? QStringLiteral("silent: no samples") : why);
        return sample;
    }

    SamplePtr sliceSample(const std::optional<QString> &soundName, double start, double duration)
    {
        QString why;
        SamplePtr sample = m_cache.variants(
            sliceKey(start, duration),
            [&](QString &reason) -> std::optional<std::vector<float>> {
                const std::vector<float> *sound = recording(soundName);
                std::optional<std::vector<float>> window =
                    sliceMilliseconds(sound, start, sampleFormat.sampleRate, duration);
                if (!window)
                    reason = sound ? QStringLiteral("window out of range") : QStringLiteral("no usable sound recording");
                return window;
            },
            &why);
        if (!sample) {
            skip(QStringLiteral("slice [%1, %2] of %3").arg(start).arg(duration).arg(soundName.value_or(QStringLiteral("no sound"))),
                 why == QLatin1String("no samples") ? QStringLiteral("empty window") : why);
        }
        return sample;
    }

    void skip(const QString &what, const QString &reason)
    {
        if (m_report)
            m_report->skipped.append({what, reason});
    }

    void ignore(const QString &what, const QString &reason)
    {
        if (m_report)
            m_report->ignored.append({what, reason});
    }

private:
    // The Mechvibes `sound`, decoded once on first use, so a pack made only of files never
    // decodes a recording it does not slice.
    const std::vector<float> *recording(const std::optional<QString> &soundName)
    {
        if (!m_soundTried && soundName) {
            m_soundTried = true;
            QString why;
            m_sound = decodeInside(m_folder, *soundName, why);
            if (!m_sound)
                skip(*soundName, why);
        }
        return m_sound ? &*m_sound : nullptr;
    }

    QString m_folder;
    LoadReport *m_report;
    SampleCache m_cache;
    bool m_soundTried = false;
    std::optional<std::vector<float>> m_sound;
};

LoadedPack::CategoryMap loadCategoryMap(const Manifest::FileLists &lists, const QString &member, Loading &loading)
{
    LoadedPack::CategoryMap map;
    for (auto it = lists.begin(); it != lists.end(); ++it) {
        const std::optional<KeyCategory> category = keyCategoryFromRaw(it.key().toStdString());
        if (!category) {
            loading.ignore(DocumentReader::quote(it.key(), member), QStringLiteral("not a key category"));
            continue;
        }
        SampleList &list = map[*category];
        for (const QString &file : it.value()) {
            if (SamplePtr sample = loading.fileSample(file))
                list.push_back(std::move(sample));
        }
    }
    return map;
}

LoadedPack::KeyMap loadKeyMap(const Manifest::FileLists &lists, const QString &member, Loading &loading)
{
    LoadedPack::KeyMap map;
    for (auto it = lists.begin(); it != lists.end(); ++it) {
        const std::optional<KeyCode> keyCode = Manifest::keyCodeFromText(it.key());
        if (!keyCode) {
            loading.ignore(DocumentReader::quote(it.key(), member), QStringLiteral("not a key code"));
            continue;
        }
        SampleList list;
        for (const QString &file : it.value()) {
            if (SamplePtr sample = loading.fileSample(file))
                list.push_back(std::move(sample));
        }
        map[*keyCode] = std::move(list);
    }
    return map;
}

bool playable(const LoadedPack &pack)
{
    if (!pack.keyDown().empty())
        return true;
    return std::any_of(pack.down().begin(), pack.down().end(), [](const auto &entry) { return !entry.second.empty(); });
}

PackLoadFailure tooLarge(const QString &document)
{
    return PackLoadFailure::invalidDocument(
        QStringLiteral("%1: larger than %2 MiB").arg(document).arg(DocumentReader::maxDocumentBytes >> 20));
}

} // namespace

std::optional<PackInfo> readInfo(const QString &folder, bool isBuiltIn)
{
    // An empty path would read the documents of the working directory.
    if (folder.isEmpty())
        return std::nullopt;
    const QString path = QDir::cleanPath(QFileInfo(folder).absoluteFilePath());
    const QString folderName = QFileInfo(path).fileName();
    const QString id = PackInfo::idFor(folderName, isBuiltIn);
    const QUrl url = QUrl::fromLocalFile(path);
    const QDir dir(path);

    QByteArray data;
    if (DocumentReader::readFile(dir.filePath(manifestName), data) == DocumentReader::FileStatus::Read) {
        if (const std::optional<Manifest> manifest = Manifest::decode(data))
            return PackInfo{id, manifest->name, manifest->type, manifest->order.value_or(0), url, isBuiltIn};
    }
    if (DocumentReader::readFile(dir.filePath(configName), data) == DocumentReader::FileStatus::Read) {
        if (const std::optional<MechvibesConfig> config = MechvibesConfig::decode(data))
            return PackInfo{id, config->name.value_or(folderName), std::nullopt, 0, url, isBuiltIn};
    }
    return std::nullopt;
}

std::optional<PackInfo> readInfo(const QUrl &folder, bool isBuiltIn)
{
    return folder.isLocalFile() ? readInfo(folder.toLocalFile(), isBuiltIn) : std::nullopt;
}

LoadResult load(const PackInfo &info, LoadReport *report)
{
    if (!info.url.isLocalFile())
        return PackLoadFailure::fromError(PackLoadError::NoManifest);
    const QDir dir(folderPath(info));
    QByteArray data;
    QString error;
    LoadedPackPtr pack;

    switch (DocumentReader::readFile(dir.filePath(manifestName), data)) {
    case DocumentReader::FileStatus::TooLarge:
        return tooLarge(manifestName);
    case DocumentReader::FileStatus::Read: {
        // Once pack.json has been read, its faults are the pack's: no fallback to config.json.
        const std::optional<Manifest> manifest = Manifest::decode(data, &error);
        if (!manifest)
            return PackLoadFailure::invalidDocument(error);
        pack = loadManifest(*manifest, info, report);
        break;
    }
    case DocumentReader::FileStatus::Unreadable:
        switch (DocumentReader::readFile(dir.filePath(configName), data)) {
        case DocumentReader::FileStatus::Unreadable:
            return PackLoadFailure::fromError(PackLoadError::NoManifest);
        case DocumentReader::FileStatus::TooLarge:
            return tooLarge(configName);
        case DocumentReader::FileStatus::Read:
            break;
        }
        const std::optional<MechvibesConfig> config = MechvibesConfig::decode(data, &error);
        if (!config)
            return PackLoadFailure::invalidDocument(error);
        pack = loadMechvibes(*config, info, report);
        break;
    }

    if (!playable(*pack))
        return PackLoadFailure::fromError(PackLoadError::NoSounds);
    return pack;
}

std::optional<QString> resolveInside(const QString &folder, const QString &fileName)
{
    if (fileName.contains(QChar(u'\0')))
        return std::nullopt;
    const QString folderClean = QDir::cleanPath(QFileInfo(folder).absoluteFilePath());
    const QString folderReal = QFileInfo(folderClean).canonicalFilePath();
    if (folderReal.isEmpty())
        return std::nullopt;

    // Lexically first (so sounds/../click.wav stays inside), then through the links that exist.
    // A path that does not exist yet is resolved as far as it goes, so a missing file is not
    // mistaken for one outside.
    const QString candidate = QDir::cleanPath(folderClean + QLatin1Char('/') + fileName);
    QString resolved;
    QString rest;
    for (QString path = candidate;; path = QFileInfo(path).path()) {
        if (const QString real = QFileInfo(path).canonicalFilePath(); !real.isEmpty()) {
            resolved = real + rest;
            break;
        }
        if (path == QFileInfo(path).path())
            return std::nullopt;
        rest.prepend(QLatin1Char('/') + QFileInfo(path).fileName());
    }
    const QString prefix = folderReal.endsWith(QLatin1Char('/')) ? folderReal : folderReal + QLatin1Char('/');
    if (!resolved.startsWith(prefix))
        return std::nullopt;
    return resolved;
}

LoadedPackPtr loadManifest(const Manifest &manifest, const PackInfo &info, LoadReport *report)
{
    if (report)
        report->format = manifestName;
    Loading loading(folderPath(info), report);
    LoadedPack::CategoryMap down = loadCategoryMap(manifest.down, QStringLiteral("down"), loading);
    LoadedPack::CategoryMap up = loadCategoryMap(manifest.up.value_or(Manifest::FileLists{}), QStringLiteral("up"), loading);
    LoadedPack::KeyMap keyDown = loadKeyMap(manifest.keys.value_or(Manifest::FileLists{}), QStringLiteral("keys"), loading);
    LoadedPack::KeyMap keyUp = loadKeyMap(manifest.keysUp.value_or(Manifest::FileLists{}), QStringLiteral("keysUp"), loading);
    return std::make_shared<const LoadedPack>(info, std::move(down), std::move(up), std::move(keyDown), std::move(keyUp));
}

LoadedPackPtr loadMechvibes(const MechvibesConfig &config, const PackInfo &info, LoadReport *report)
{
    if (report) {
        report->format = config.versionTwoMulti ? QStringLiteral("Mechvibes config.json (version 2, multi)")
                                                : QStringLiteral("Mechvibes config.json");
    }
    Loading loading(folderPath(info), report);
    // In a version 2 pack `sound` is the default press file, never a recording to slice.
    const std::optional<QString> recording = config.versionTwoMulti ? std::nullopt : config.sound;
    const QString definesName = QStringLiteral("defines");

    LoadedPack::CategoryMap down;
    LoadedPack::KeyMap keyDown;
    LoadedPack::KeyMap keyUp;
    for (auto it = config.defines.begin(); it != config.defines.end(); ++it) {
        const QString &keyText = it.key();
        if (!it.value())
            continue;
        const bool release = keyText.endsWith(QLatin1String("-up"));
        const std::optional<long long> number = MechvibesConfig::codeFromText(release ? keyText.chopped(3) : keyText);
        const std::optional<KeyCode> keyCode = number ? KeyTables::mechvibesKey(*number) : std::nullopt;
        if (!keyCode) {
            loading.ignore(DocumentReader::quote(keyText, definesName),
                           number ? QStringLiteral("not a key Mechvibes knows") : QStringLiteral("not a key number"));
            continue;
        }
        const MechvibesConfig::Define &define = *it.value();
        SamplePtr sample = define.kind == MechvibesConfig::Define::Kind::File
                               ? loading.fileSample(define.file)
                               : loading.sliceSample(recording, define.start, define.duration);
        if (!sample)
            continue;
        if (release) {
            keyUp[*keyCode] = {sample};
        } else {
            keyDown[*keyCode] = {sample};
            down[keyCategory(*keyCode)].push_back(std::move(sample));
        }
    }

    LoadedPack::CategoryMap up;
    if (config.versionTwoMulti) {
        if (config.sound) {
            for (const QString &file : MechvibesConfig::expandRange(*config.sound)) {
                if (SamplePtr sample = loading.fileSample(file))
                    down[KeyCategory::Standard].push_back(std::move(sample));
            }
        }
        if (config.soundUp) {
            SampleList releases;
            for (const QString &file : MechvibesConfig::expandRange(*config.soundUp)) {
                if (SamplePtr sample = loading.fileSample(file))
                    releases.push_back(std::move(sample));
            }
            if (!releases.empty())
                up[KeyCategory::Standard] = std::move(releases);
        }
    }
    return std::make_shared<const LoadedPack>(info, std::move(down), std::move(up), std::move(keyDown), std::move(keyUp));
}

QString sliceKey(double start, double duration)
{
    const auto shortest = [](double value) {
        char text[32];
        const auto result = std::to_chars(text, text + sizeof text, value);
        QString written = QString::fromLatin1(text, result.ptr - text);
        if (!written.contains(QLatin1Char('.')) && !written.contains(QLatin1Char('e')) && std::isfinite(value))
            written += QLatin1String(".0");
        return written;
    };
    return shortest(start) + QLatin1Char('-') + shortest(duration);
}

} // namespace plinkum::PackLoader
