#include "packs/PackLoader.h"

#include "packs/DocumentReader.h"
#include "packs/FolderResolver.h"
#include "keys/KeyTables.h"
#include "packs/LoadSession.h"
#include "packs/PackFormat.h"
#include "packs/PackLevel.h"

#include <QDir>
#include <QFileInfo>

#include <charconv>
#include <limits>


namespace plinkum::PackLoader {

namespace {

QString folderPath(const PackInfo &info)
{
    return QDir::cleanPath(info.url.toLocalFile());
}

LoadedPack::CategoryMap loadCategoryMap(const Manifest::FileLists &lists, const QString &member, LoadSession &loading)
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

LoadedPack::KeyMap loadKeyMap(const Manifest::FileLists &lists, const QString &member, LoadSession &loading)
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
    return std::any_of(pack.down().begin(), pack.down().end(), [](const auto &entry) { return !entry.second.empty(); })
        || pack.hasButtonSounds();
}

LoadedPack::ButtonMap loadButtonMap(const Manifest::FileLists &lists, const QString &member, LoadSession &loading)
{
    LoadedPack::ButtonMap map;
    for (auto it = lists.begin(); it != lists.end(); ++it) {
        const std::optional<PointerButton> button = pointerButtonFromRaw(it.key().toStdString());
        if (!button) {
            loading.ignore(DocumentReader::quote(it.key(), member), QStringLiteral("not a mouse button"));
            continue;
        }
        SampleList &list = map[static_cast<std::size_t>(*button)];
        for (const QString &file : it.value()) {
            if (SamplePtr sample = loading.fileSample(file))
                list.push_back(std::move(sample));
        }
    }
    return map;
}

// The file of a document in `folder`: its own name, or for a lenient document any spelling of it
// (Mechvibes finds Config.json).
QString documentFile(const QString &folder, const QString &document)
{
    if (!PackFormat::lenientDocument(document) || QFileInfo::exists(folder + u'/' + document))
        return document;
    const QStringList entries = QDir(folder).entryList(QDir::Files | QDir::Hidden | QDir::System, QDir::Name);
    const auto it = std::find_if(entries.begin(), entries.end(),
                                 [&](const QString &entry) { return entry.compare(document, Qt::CaseInsensitive) == 0; });
    return it == entries.end() ? document : *it;
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

    QByteArray data;
    for (const QString &document : PackFormat::documents()) {
        if (readDocument(path, document, data) != DocumentReader::FileStatus::Read)
            continue;
        const std::optional<QJsonObject> parsed = PackFormat::parseDocument(document, data, nullptr, nullptr);
        if (!parsed)
            continue;
        const PackFormat &format = PackFormat::reading(document, *parsed);
        if (const std::optional<PackDescription> description = format.describe(*parsed, nullptr)) {
            PackInfo info{PackInfo::idFor(folderName, isBuiltIn), description->name.value_or(folderName),
                          description->type, description->order, QUrl::fromLocalFile(path), isBuiltIn,
                          description->source, description->credit, format.name};
            info.keyboard = description->keyboard;
            info.mouse = description->mouse;
            info.ownGain = description->ownGain;
            if (!isBuiltIn) {
                const PackLevel level = PackLevel::read(path);
                info.loudnessGainDb = level.gainDb;
                info.trimDb = level.trimDb.value_or(PackLevel::startingTrim(info.ownGain));
            }
            return info;
        }
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

    // The first document that can be read is the pack's: its faults are final, with no fallback to
    // the next document.
    for (const QString &document : PackFormat::documents()) {
        switch (readDocument(folder, document, data)) {
        case DocumentReader::FileStatus::Unreadable:
            continue;
        case DocumentReader::FileStatus::TooLarge:
            return tooLarge(document);
        case DocumentReader::FileStatus::Read:
            break;
        }
        const std::optional<QJsonObject> parsed = PackFormat::parseDocument(document, data, &error, report ? &report->warnings : nullptr);
        if (!parsed)
            return PackLoadFailure::invalidDocument(error);
        const PackFormat &format = PackFormat::reading(document, *parsed);
        if (report)
            report->format = format.name;
        const LoadedPackPtr pack = format.load(*parsed, info, report, cancelled, &error);
        if (!pack)
            return PackLoadFailure::invalidDocument(error);
        if (!playable(*pack))
            return PackLoadFailure::fromError(PackLoadError::NoSounds);
        return PackLevel::applied(pack, info.loudnessGainDb.value_or(0.0) + info.trimDb);
    }
    return PackLoadFailure::fromError(PackLoadError::NoManifest);
}

DocumentReader::FileStatus readDocument(const QString &folder, const QString &name, QByteArray &data)
{
    FolderResolver resolver(folder);
    const std::optional<FolderResolver::Resolved> resolved = resolver.resolve(documentFile(folder, name));
    return resolved ? DocumentReader::readFile(resolver.open(resolved->relative), data)
                    : DocumentReader::FileStatus::Unreadable;
}

std::optional<QString> resolveInside(const QString &folder, const QString &fileName)
{
    FolderResolver resolver(folder);
    const std::optional<FolderResolver::Resolved> resolved = resolver.resolve(fileName);
    return resolved ? std::optional(resolver.realFolder() + u'/' + resolved->relative) : std::nullopt;
}

LoadedPackPtr loadManifest(const Manifest &manifest, const PackInfo &info, LoadReport *report,
                           const std::atomic<bool> *cancelled)
{
    LoadSession loading(folderPath(info), LoadSession::Names::Exact, report, cancelled);
    LoadedPack::CategoryMap down = loadCategoryMap(manifest.down, QStringLiteral("down"), loading);
    LoadedPack::CategoryMap up = loadCategoryMap(manifest.up.value_or(Manifest::FileLists{}), QStringLiteral("up"), loading);
    LoadedPack::KeyMap keyDown = loadKeyMap(manifest.keys.value_or(Manifest::FileLists{}), QStringLiteral("keys"), loading);
    LoadedPack::KeyMap keyUp = loadKeyMap(manifest.keysUp.value_or(Manifest::FileLists{}), QStringLiteral("keysUp"), loading);
    LoadedPack::ButtonMap buttonDown = loadButtonMap(manifest.mouse.value_or(Manifest::FileLists{}), QStringLiteral("mouse"), loading);
    LoadedPack::ButtonMap buttonUp = loadButtonMap(manifest.mouseUp.value_or(Manifest::FileLists{}), QStringLiteral("mouseUp"), loading);
    return std::make_shared<const LoadedPack>(info, std::move(down), std::move(up), std::move(keyDown), std::move(keyUp),
                                              std::move(buttonDown), std::move(buttonUp));
}

LoadedPackPtr loadMechvibes(const MechvibesConfig &config, const PackInfo &info, LoadReport *report,
                            const std::atomic<bool> *cancelled)
{
    LoadSession loading(folderPath(info), LoadSession::Names::AsMechvibes, report, cancelled);
    // In a version 2 pack `sound` is the default press file, never a recording to slice.
    const std::optional<QString> recording = config.versionTwoMulti ? std::nullopt : config.sound;
    const QString definesName = QStringLiteral("defines");

    LoadedPack::CategoryMap down;
    LoadedPack::KeyMap keyDown;
    LoadedPack::KeyMap keyUp;
    bool slices = false;
    for (auto it = config.defines.begin(); it != config.defines.end(); ++it) {
        if (!it.value())
            continue;
        const MechvibesConfig::Define &define = *it.value();
        slices = slices || define.kind == MechvibesConfig::Define::Kind::Slice;
        const std::optional<MechvibesConfig::KeyText> key = MechvibesConfig::keyFromText(it.key());
        const std::optional<KeyCode> keyCode = key ? KeyTables::mechvibesKey(key->number) : std::nullopt;
        if (!keyCode) {
            QString why = QStringLiteral("not a key number");
            if (key) {
                why = KeyTables::isWindowsOnlyMechvibesKey(key->number)
                          ? QStringLiteral("a key number Mechvibes uses on Windows only")
                          : QStringLiteral("not a key Mechvibes knows");
            }
            loading.ignore(DocumentReader::quote(it.key(), definesName), why);
            // Kept with the pack all the same, for a reader that knows the key.
            if (define.kind == MechvibesConfig::Define::Kind::File)
                loading.keepFile(define.file);
            continue;
        }
        SamplePtr sample = define.kind == MechvibesConfig::Define::Kind::File
                               ? loading.fileSample(define.file)
                               : loading.sliceSample(recording, define.start, define.duration);
        if (!sample)
            continue;
        if (key->release) {
            keyUp[*keyCode] = {sample};
        } else {
            keyDown[*keyCode] = {sample};
            down[keyCategory(*keyCode)].push_back(std::move(sample));
        }
    }
    if (slices && recording)
        loading.keepFile(*recording);

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
    loading.finish();
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
