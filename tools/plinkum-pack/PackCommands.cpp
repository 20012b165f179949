#include "tools/plinkum-pack/PackCommands.h"

#include "tools/plinkum-pack/JsonOutput.h"
#include "tools/plinkum-pack/PackArgument.h"
#include "packs/PackFolderSearch.h"
#include "packs/PackLoader.h"

#include <QFileInfo>
#include <QHash>
#include <QJsonArray>

#include <cstdio>

namespace plinkum::PackCommands {

namespace {

struct FolderArguments {
    QString folder;
    bool isBuiltIn = false;
    QString typed; // the pack as the user named it
};

// DIR or ID and, where allowed, --builtin; nothing (after a message on stderr) when they do not fit.
std::optional<FolderArguments> folderArguments(const QStringList &arguments, bool builtInAllowed, const char *usage)
{
    FolderArguments parsed;
    for (const QString &argument : arguments) {
        if (builtInAllowed && argument == QLatin1String("--builtin")) {
            parsed.isBuiltIn = true;
        } else if (parsed.folder.isEmpty() && !argument.startsWith(QLatin1String("--"))) {
            parsed.folder = argument;
        } else {
            std::fprintf(stderr, "usage: %s\n", usage);
            return std::nullopt;
        }
    }
    if (parsed.folder.isEmpty()) {
        std::fprintf(stderr, "usage: %s\n", usage);
        return std::nullopt;
    }
    parsed.typed = parsed.folder;
    const PackArgument::Folder named = PackArgument::folder(parsed.folder, parsed.isBuiltIn);
    parsed.folder = named.path;
    parsed.isBuiltIn = named.isBuiltIn;
    return parsed;
}

QJsonObject sampleJson(const Sample &sample)
{
    QJsonArray frames;
    for (const AudioBuffer &variant : sample.variants)
        frames.append(static_cast<qint64>(variant.frameCount()));
    double energy = 0.0;
    for (float s : sample.unshifted().frames())
        energy += static_cast<double>(s) * static_cast<double>(s);
    return {{QStringLiteral("frames"), frames}, {QStringLiteral("energy"), energy}};
}

// Each sample described once however many entries share it: a pack may name one file thousands
// of times.
using SampleJsonCache = QHash<const Sample *, QJsonObject>;

template<typename Map, typename Name>
QJsonObject mapJson(const Map &map, Name name, bool samplesInFull, SampleJsonCache *described = nullptr)
{
    QJsonObject object;
    for (const auto &[key, list] : map) {
        if (samplesInFull) {
            QJsonArray samples;
            for (const SamplePtr &sample : list) {
                auto it = described->constFind(sample.get());
                if (it == described->constEnd())
                    it = described->insert(sample.get(), sampleJson(*sample));
                samples.append(*it);
            }
            object.insert(name(key), samples);
        } else {
            object.insert(name(key), static_cast<qint64>(list.size()));
        }
    }
    return object;
}

QString categoryName(KeyCategory category)
{
    const std::string_view raw = rawValue(category);
    return QString::fromLatin1(raw.data(), static_cast<qsizetype>(raw.size()));
}

QString keyCodeName(KeyCode keyCode)
{
    return QString::number(keyCode);
}

QJsonArray entriesJson(const QList<PackLoader::LoadReport::Entry> &entries, const QString &whatName)
{
    QJsonArray array;
    for (const auto &entry : entries)
        array.append(QJsonObject{{whatName, entry.what}, {QStringLiteral("reason"), entry.reason}});
    return array;
}

} // namespace

int info(const QStringList &arguments)
{
    const auto parsed = folderArguments(arguments, true, "plinkum-pack info DIR|ID [--builtin]");
    if (!parsed)
        return JsonOutput::UsageError;
    const std::optional<PackInfo> info = PackLoader::readInfo(parsed->folder, parsed->isBuiltIn);
    if (!info) {
        const QString message = QFileInfo(parsed->folder).isDir()
            ? QStringLiteral("“%1” holds no pack.json, config.json or profile.yaml that describes a pack.").arg(parsed->typed)
            : PackArgument::notFoundMessage(parsed->typed);
        JsonOutput::print({{QStringLiteral("error"), QStringLiteral("notAPack")}, {QStringLiteral("message"), message}});
        return JsonOutput::PackError;
    }
    JsonOutput::print(JsonOutput::info(*info));
    return JsonOutput::Success;
}

int load(const QStringList &arguments)
{
    const auto parsed = folderArguments(arguments, true, "plinkum-pack load DIR|ID [--builtin]");
    if (!parsed)
        return JsonOutput::UsageError;
    const PackLoader::LoadResult result = PackLoader::load(PackArgument::describe({parsed->folder, parsed->isBuiltIn}));
    if (!result.ok())
        return JsonOutput::printFailure(result.failure());
    const LoadedPack &pack = *result.pack();
    SampleJsonCache described;
    JsonOutput::print({
        {QStringLiteral("info"), JsonOutput::info(pack.info())},
        {QStringLiteral("down"), mapJson(pack.down(), categoryName, true, &described)},
        {QStringLiteral("up"), mapJson(pack.up(), categoryName, true, &described)},
        {QStringLiteral("keyDown"), mapJson(pack.keyDown(), keyCodeName, true, &described)},
        {QStringLiteral("keyUp"), mapJson(pack.keyUp(), keyCodeName, true, &described)},
    });
    return JsonOutput::Success;
}

int check(const QStringList &arguments)
{
    const auto parsed = folderArguments(arguments, false, "plinkum-pack check DIR|ID");
    if (!parsed)
        return JsonOutput::UsageError;
    // A pack a folder or two down is checked where it is, as an import would find it.
    FolderArguments located = *parsed;
    QStringList warnings;
    if (const PackFolderSearch search(parsed->folder); search.packFolder() && !search.relativePath().isEmpty()) {
        located.folder = *search.packFolder();
        warnings.append(search.deeperWarning());
    }
    const PackInfo info = PackArgument::describe({located.folder, located.isBuiltIn});
    PackLoader::LoadReport report;
    const PackLoader::LoadResult result = PackLoader::load(info, &report);

    QJsonObject document{
        {QStringLiteral("folder"), info.url.toLocalFile()},
        {QStringLiteral("format"), report.format.isEmpty() ? QJsonValue(QJsonValue::Null) : QJsonValue(report.format)},
        {QStringLiteral("name"), info.name},
        {QStringLiteral("loads"), result.ok()},
        {QStringLiteral("skipped"), entriesJson(report.skipped, QStringLiteral("file"))},
        {QStringLiteral("ignored"), entriesJson(report.ignored, QStringLiteral("entry"))},
        {QStringLiteral("warnings"), QJsonArray::fromStringList(warnings + report.warnings)},
    };
    if (result.ok()) {
        const LoadedPack &pack = *result.pack();
        // Sample counts: what each category and key got.
        document.insert(QStringLiteral("down"), mapJson(pack.down(), categoryName, false));
        document.insert(QStringLiteral("up"), mapJson(pack.up(), categoryName, false));
        document.insert(QStringLiteral("keyDown"), mapJson(pack.keyDown(), keyCodeName, false));
        document.insert(QStringLiteral("keyUp"), mapJson(pack.keyUp(), keyCodeName, false));
    } else {
        document.insert(QStringLiteral("error"), QJsonObject{{QStringLiteral("error"), result.failure().kindName()},
                                                            {QStringLiteral("message"), result.failure().message}});
    }
    JsonOutput::print(document, true);
    return result.ok() ? JsonOutput::Success : JsonOutput::PackError;
}

} // namespace plinkum::PackCommands
