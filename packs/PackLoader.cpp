#include "PackLoader.h"

#include "DecodeError.h"
#include "DocumentReader.h"
#include "KeyTables.h"
#include "Log.h"
#include "SampleFormat.h"

#include <QDir>
#include <QFileInfo>

#include <charconv>
#include <limits>

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
    case DecodeError::Kind::TooLarge:
    case DecodeError::Kind::Cancelled:
        break;
    }
    return error.message();
}

// One load's shared state: the folder, the cache every map draws from, the report, and what the
// load may still spend. The limits hold for any document: a pack naming one file through
// thousands of spellings, or thousands of files, loads or fails in a few seconds.
class Loading {
public:
    // Files opened, bytes read and frames decoded per load, beyond the cache's memory budget:
    // work that leaves nothing in the pack (a silent file, a window of silence) costs time too.
    static constexpr int maxFiles = 4096;
    static constexpr std::uint64_t maxBytes = std::uint64_t{1} << 30;
    // Logged skips per load; the report, for a pack author, keeps them all.
    static constexpr int maxLoggedSkips = 8;

    Loading(QString folder, LoadReport *report, const std::atomic<bool> *cancelled)
        : m_folder(std::move(folder)), m_report(report), m_cancelled(cancelled)
        , m_framesLeft(2 * std::uint64_t{maxFramesFor(m_cache.byteBudget())})
    {
    }

    ~Loading()
    {
        if (m_unloggedSkips > 0)
            log(QStringLiteral("skipped %1 more files in %2").arg(m_unloggedSkips).arg(m_folder).toStdString());
    }

    SamplePtr fileSample(const QString &fileName)
    {
        checkCancelled();
        // Keyed by the file the name resolves to, so `a.wav`, `./a.wav` and `x/../a.wav` decode
        // once. Resolving walks the file system; names that clean to the same path do it once.
        const QString cleaned = fileName.contains(QChar(u'\0')) ? QString() : QDir::cleanPath(m_folder + u'/' + fileName);
        auto resolved = m_resolved.constFind(cleaned);
        if (resolved == m_resolved.constEnd())
            resolved = m_resolved.insert(cleaned, cleaned.isEmpty() ? QString() : resolveInside(m_folder, fileName).value_or(QString()));
        if (resolved->isEmpty()) {
            skip(fileName, QStringLiteral("outside the folder"));
            return nullptr;
        }
        const QString path = *resolved;
        QString why;
        SamplePtr sample = m_cache.variants(
            path,
            [&](std::size_t maxFrames, QString &reason) -> std::optional<std::vector<float>> {
                std::optional<std::vector<float>> samples = decode(path, maxFrames, reason);
                if (samples)
                    samples = trimLeadingSilence(std::move(*samples), 0.01f);
                return samples;
            },
            &why);
        if (!sample)
            skip(fileName, why == QLatin1String("no samples") ? QStringLiteral("silent: no samples") : why);
        else
            used(cleaned, path);
        return sample;
    }

    SamplePtr sliceSample(const std::optional<QString> &soundName, double start, double duration)
    {
        checkCancelled();
        QString why;
        SamplePtr sample = m_cache.variants(
            sliceKey(start, duration),
            [&](std::size_t maxFrames, QString &reason) -> std::optional<std::vector<float>> {
                const std::vector<float> *sound = recording(soundName);
                const std::optional<Window> window =
                    sound ? sliceWindow(sound->size(), start, sampleFormat.sampleRate, duration) : std::nullopt;
                if (!window) {
                    reason = sound ? QStringLiteral("window out of range") : QStringLiteral("no usable sound recording");
                    return std::nullopt;
                }
                // Refused before the copy: a window is as long as the recording at most.
                const std::size_t frames = window->end - window->first;
                if (frames > maxFrames || frames > m_framesLeft) {
                    reason = frames > maxFrames ? m_cache.budgetMessage() : workMessage();
                    logSkip(QStringLiteral("slice [%1, %2]").arg(start).arg(duration), reason);
                    return std::nullopt;
                }
                m_framesLeft -= frames;
                return sliceMilliseconds(sound, start, sampleFormat.sampleRate, duration);
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
    void used(const QString &cleaned, const QString &path)
    {
        if (m_report)
            m_report->files.insert(QDir(m_folder).relativeFilePath(cleaned), path);
    }

    void checkCancelled() const
    {
        if (m_cancelled && m_cancelled->load(std::memory_order_relaxed))
            throw DecodeError(DecodeError::Kind::Cancelled, QStringLiteral("cancelled"));
    }

    static QString workMessage()
    {
        return QStringLiteral("the pack asks for more decoding than a pack of key sounds needs");
    }

    // Skips a user would want to know about (a file too long or too large) go to the log, a
    // few per load: a hostile pack could otherwise fill the journal.
    void logSkip(const QString &what, const QString &reason)
    {
        if (m_loggedSkips >= maxLoggedSkips) {
            ++m_unloggedSkips;
            return;
        }
        ++m_loggedSkips;
        log(QStringLiteral("skipped %1 in %2: %3").arg(what, m_folder, reason).toStdString());
    }

    // Decodes a resolved file within what the load may still spend.
    std::optional<std::vector<float>> decode(const QString &path, std::size_t maxFrames, QString &why)
    {
        if (m_filesOpened >= maxFiles || m_bytesLeft == 0 || m_framesLeft == 0) {
            why = workMessage();
            logSkip(QFileInfo(path).fileName(), why);
            return std::nullopt;
        }
        ++m_filesOpened;
        const DecodeLimits limits{std::min<std::uint64_t>(maxFrames, m_framesLeft), m_bytesLeft, m_cancelled};
        std::uint64_t bytes = 0;
        try {
            std::vector<float> samples = decodeFile(path, limits, &bytes);
            m_bytesLeft -= std::min(bytes, m_bytesLeft);
            m_framesLeft -= std::min<std::uint64_t>(samples.size(), m_framesLeft);
            return samples;
        } catch (const DecodeError &error) {
            const bool overWork = bytes > m_bytesLeft || maxFrames > m_framesLeft;
            m_bytesLeft -= std::min(bytes, m_bytesLeft);
            switch (error.kind()) {
            case DecodeError::Kind::Cancelled:
                throw;
            case DecodeError::Kind::TooLarge:
                why = overWork ? workMessage() : m_cache.budgetMessage();
                logSkip(QFileInfo(path).fileName(), why);
                break;
            case DecodeError::Kind::TooLong:
                why = skipReason(error);
                logSkip(QFileInfo(path).fileName(), why);
                break;
            default:
                why = skipReason(error);
                break;
            }
            return std::nullopt;
        }
    }

    // The Mechvibes `sound`, decoded once on first use, so a pack made only of files never
    // decodes a recording it does not slice. It is not held by the budget: only its slices are.
    const std::vector<float> *recording(const std::optional<QString> &soundName)
    {
        if (!m_soundTried && soundName) {
            m_soundTried = true;
            QString why;
            const std::optional<QString> path = resolveInside(m_folder, *soundName);
            if (path)
                m_sound = decode(*path, std::numeric_limits<std::size_t>::max(), why);
            else
                why = QStringLiteral("outside the folder");
            if (!m_sound)
                skip(*soundName, why);
            else
                used(QDir::cleanPath(m_folder + u'/' + *soundName), *path);
        }
        return m_sound ? &*m_sound : nullptr;
    }

    QString m_folder;
    LoadReport *m_report;
    const std::atomic<bool> *m_cancelled;
    SampleCache m_cache;
    QHash<QString, QString> m_resolved;
    int m_filesOpened = 0;
    std::uint64_t m_bytesLeft = maxBytes;
    std::uint64_t m_framesLeft;
    int m_loggedSkips = 0;
    int m_unloggedSkips = 0;
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

// A pack document, confined to the folder like the sounds it names: a pack.json that is a link
// to a file elsewhere is not read.
DocumentReader::FileStatus readDocument(const QString &folder, const QString &name, QByteArray &data)
{
    const std::optional<QString> path = resolveInside(folder, name);
    return path ? DocumentReader::readFile(*path, data) : DocumentReader::FileStatus::Unreadable;
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

    QByteArray data;
    if (readDocument(path, manifestName, data) == DocumentReader::FileStatus::Read) {
        if (const std::optional<Manifest> manifest = Manifest::decode(data))
            return PackInfo{id, manifest->name, manifest->type, manifest->order.value_or(0), url, isBuiltIn};
    }
    if (readDocument(path, configName, data) == DocumentReader::FileStatus::Read) {
        if (const std::optional<MechvibesConfig> config = MechvibesConfig::decode(data))
            return PackInfo{id, config->name.value_or(folderName), std::nullopt, 0, url, isBuiltIn};
    }
    return std::nullopt;
}

std::optional<PackInfo> readInfo(const QUrl &folder, bool isBuiltIn)
{
    return folder.isLocalFile() ? readInfo(folder.toLocalFile(), isBuiltIn) : std::nullopt;
}

LoadResult load(const PackInfo &info, LoadReport *report, const std::atomic<bool> *cancelled)
{
    if (!info.url.isLocalFile())
        return PackLoadFailure::fromError(PackLoadError::NoManifest);
    const QString folder = folderPath(info);
    QByteArray data;
    QString error;
    LoadedPackPtr pack;

    switch (readDocument(folder, manifestName, data)) {
    case DocumentReader::FileStatus::TooLarge:
        return tooLarge(manifestName);
    case DocumentReader::FileStatus::Read: {
        // Once pack.json has been read, its faults are the pack's: no fallback to config.json.
        const std::optional<Manifest> manifest = Manifest::decode(data, &error);
        if (!manifest)
            return PackLoadFailure::invalidDocument(error);
        pack = loadManifest(*manifest, info, report, cancelled);
        break;
    }
    case DocumentReader::FileStatus::Unreadable:
        switch (readDocument(folder, configName, data)) {
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
        pack = loadMechvibes(*config, info, report, cancelled);
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

LoadedPackPtr loadManifest(const Manifest &manifest, const PackInfo &info, LoadReport *report,
                           const std::atomic<bool> *cancelled)
{
    if (report)
        report->format = manifestName;
    Loading loading(folderPath(info), report, cancelled);
    LoadedPack::CategoryMap down = loadCategoryMap(manifest.down, QStringLiteral("down"), loading);
    LoadedPack::CategoryMap up = loadCategoryMap(manifest.up.value_or(Manifest::FileLists{}), QStringLiteral("up"), loading);
    LoadedPack::KeyMap keyDown = loadKeyMap(manifest.keys.value_or(Manifest::FileLists{}), QStringLiteral("keys"), loading);
    LoadedPack::KeyMap keyUp = loadKeyMap(manifest.keysUp.value_or(Manifest::FileLists{}), QStringLiteral("keysUp"), loading);
    return std::make_shared<const LoadedPack>(info, std::move(down), std::move(up), std::move(keyDown), std::move(keyUp));
}

LoadedPackPtr loadMechvibes(const MechvibesConfig &config, const PackInfo &info, LoadReport *report,
                            const std::atomic<bool> *cancelled)
{
    if (report) {
        report->format = config.versionTwoMulti ? QStringLiteral("Mechvibes config.json (version 2, multi)")
                                                : QStringLiteral("Mechvibes config.json");
    }
    Loading loading(folderPath(info), report, cancelled);
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
