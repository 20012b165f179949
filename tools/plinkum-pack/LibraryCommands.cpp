#include "tools/plinkum-pack/LibraryCommands.h"

#include "audio/PackLoudness.h"
#include "tools/plinkum-pack/JsonOutput.h"
#include "tools/plinkum-pack/PackArgument.h"
#include "tools/plinkum-pack/PeerImportCommand.h"
#include "packs/PackLibrary.h"

#include <QFileInfo>
#include <QJsonArray>

#include <algorithm>
#include <cstdio>

namespace plinkum::LibraryCommands {

namespace {

// The arguments when there are exactly `count` of them and none is an option.
bool fits(const QStringList &arguments, qsizetype count, const char *usage)
{
    const bool ok = arguments.size() == count
        && std::none_of(arguments.begin(), arguments.end(), [](const QString &a) { return a.startsWith(u'-'); });
    if (!ok)
        std::fprintf(stderr, "usage: %s\n", usage);
    return ok;
}

QJsonArray infos(const QList<PackInfo> &packs)
{
    QJsonArray array;
    for (const PackInfo &pack : packs)
        array.append(JsonOutput::info(pack));
    return array;
}

QString kindName(PackLibrary::ImportError::Kind kind)
{
    switch (kind) {
    case PackLibrary::ImportError::Kind::NoManifest:
        return QStringLiteral("noManifest");
    case PackLibrary::ImportError::Kind::NoSounds:
        return QStringLiteral("noSounds");
    case PackLibrary::ImportError::Kind::InvalidDocument:
        return QStringLiteral("invalidDocument");
    case PackLibrary::ImportError::Kind::Refused:
        return QStringLiteral("refused");
    case PackLibrary::ImportError::Kind::InvalidArchive:
        return QStringLiteral("invalidArchive");
    case PackLibrary::ImportError::Kind::CopyFailed:
        break;
    }
    return QStringLiteral("copyFailed");
}

int printError(const QString &kind, const QString &message)
{
    JsonOutput::print({{QStringLiteral("error"), kind}, {QStringLiteral("message"), message}});
    return JsonOutput::PackError;
}

// For people: one line per pack, its id first, as the other commands take it.
void printPretty(const PackLibrary &library)
{
    const auto printPacks = [](const QList<PackInfo> &packs, const char *none) {
        qsizetype width = 0;
        for (const PackInfo &pack : packs)
            width = std::max(width, pack.id.size());
        for (const PackInfo &pack : packs) {
            QStringList about;
            if (pack.type)
                about << *pack.type;
            if (pack.source)
                about << *pack.source;
            const QString aside = about.isEmpty() ? QString() : QStringLiteral("  (%1)").arg(about.join(QStringLiteral(", ")));
            std::printf("  %s  %s%s\n", qPrintable(pack.id.leftJustified(width)), qPrintable(pack.name), qPrintable(aside));
        }
        if (packs.isEmpty())
            std::printf("  %s\n", none);
    };
    std::printf("Built-in packs (%s)\n", qPrintable(library.builtInFolder()));
    printPacks(library.builtIn(), "none");
    std::printf("\nYour packs (%s)\n", qPrintable(library.folder()));
    printPacks(library.custom(), "none yet: plinkum-pack import DIR|ZIP adds one");
}

} // namespace

QString importErrorKind(PackLibrary::ImportError::Kind kind)
{
    return kindName(kind);
}

int list(const QStringList &arguments)
{
    const bool pretty = arguments == QStringList{QStringLiteral("--pretty")};
    if (!pretty && !fits(arguments, 0, "plinkum-pack list [--pretty]"))
        return JsonOutput::UsageError;
    PackLibrary library;
    library.sweepStaleImports();
    if (pretty) {
        printPretty(library);
        return JsonOutput::Success;
    }
    QJsonArray grouped;
    for (const PackLibrary::Group &group : library.grouped()) {
        QJsonArray ids;
        for (const PackInfo &pack : group.packs)
            ids.append(pack.id);
        grouped.append(QJsonArray{group.title, ids});
    }
    JsonOutput::print({{QStringLiteral("builtIn"), infos(library.builtIn())},
                       {QStringLiteral("custom"), infos(library.custom())},
                       {QStringLiteral("grouped"), grouped}});
    return JsonOutput::Success;
}

std::optional<PackInfo> importMeasured(PackLibrary &library, const QString &source, PackLibrary::ImportError *error,
                                       QStringList *warnings)
{
    std::optional<PackLibrary::StagedImport> staged = PackLibrary::stageImport(source, library.folder(), error);
    if (!staged)
        return std::nullopt;
    // Measured while staged, as the app does, so nobody finds the pack listed without its level.
    PackLoudness::measure(staged->staging->path());
    if (warnings)
        *warnings = staged->warnings;
    return library.finishImport(std::move(*staged), error);
}

int importPack(const QStringList &arguments)
{
    if (arguments.value(0) == QLatin1String("--from-apps"))
        return PeerImportCommand::run(arguments.mid(1));
    if (!fits(arguments, 1, "plinkum-pack import DIR|ZIP"))
        return JsonOutput::UsageError;
    // The library would speak of a folder; the user may have meant an archive.
    if (!QFileInfo::exists(arguments.first()))
        return printError(QStringLiteral("notFound"), QStringLiteral("“%1” does not exist.").arg(arguments.first()));
    PackLibrary library;
    library.sweepStaleImports();
    PackLibrary::ImportError error;
    QStringList warnings;
    const std::optional<PackInfo> imported = importMeasured(library, arguments.first(), &error, &warnings);
    if (!imported)
        return printError(kindName(error.kind), error.message);
    QJsonObject result = JsonOutput::info(*imported);
    result.insert(QStringLiteral("warnings"), QJsonArray::fromStringList(warnings));
    JsonOutput::print(result);
    return JsonOutput::Success;
}

int remove(const QStringList &arguments)
{
    if (!fits(arguments, 1, "plinkum-pack remove ID|DIR"))
        return JsonOutput::UsageError;
    const QString &named = arguments.first();
    PackLibrary library;
    const std::optional<PackInfo> pack = PackArgument::find(library, named);
    if (!pack)
        return printError(QStringLiteral("unknownPack"),
                          QFileInfo(named).isDir() ? QStringLiteral("“%1” is not a pack in Plinkum's pack folders.").arg(named)
                                                   : PackArgument::notFoundMessage(named));
    if (pack->isBuiltIn)
        return printError(QStringLiteral("builtIn"),
                          QStringLiteral("“%1” comes with Plinkum and cannot be removed.").arg(pack->name));
    library.deletePack(*pack);
    // The library ignores a failed move to the trash; a tool must not report it as done.
    if (PackArgument::find(library, pack->id))
        return printError(QStringLiteral("removeFailed"),
                          QStringLiteral("Could not move “%1” to the trash.").arg(pack->url.toLocalFile()));
    JsonOutput::print({{QStringLiteral("id"), pack->id}, {QStringLiteral("removed"), true}});
    return JsonOutput::Success;
}

} // namespace plinkum::LibraryCommands
