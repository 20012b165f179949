#include "tools/plinkum-pack/PeerImportCommand.h"

#include "tools/plinkum-pack/JsonOutput.h"
#include "tools/plinkum-pack/LibraryCommands.h"
#include "packs/PackLibrary.h"
#include "packs/PeerPackFinder.h"

#include <QDir>
#include <QFileInfo>
#include <QJsonArray>

#include <cstdio>

namespace plinkum::PeerImportCommand {

namespace {

constexpr const char *usage = "plinkum-pack import --from-apps [--list] [--pretty] [NAME|DIR ...]";

QJsonObject foundJson(const PeerPackFinder::Found &found)
{
    QJsonObject json{{QStringLiteral("program"), found.program}, {QStringLiteral("path"), found.path},
                     {QStringLiteral("name"), found.name},       {QStringLiteral("format"), found.format},
                     {QStringLiteral("imported"), found.imported}};
    if (!found.problem.isEmpty())
        json.insert(QStringLiteral("problem"), found.problem);
    return json;
}

// The packs the user named, by name or by folder, or every one not imported yet.
QList<PeerPackFinder::Found> chosen(const QList<PeerPackFinder::Found> &found, const QStringList &names, QStringList *unknown)
{
    if (names.isEmpty()) {
        QList<PeerPackFinder::Found> fresh;
        std::copy_if(found.begin(), found.end(), std::back_inserter(fresh), [](const auto &f) { return f.importable(); });
        return fresh;
    }
    QList<PeerPackFinder::Found> picked;
    for (const QString &name : names) {
        const QString path = QDir::cleanPath(QFileInfo(name).absoluteFilePath());
        bool known = false;
        for (const PeerPackFinder::Found &f : found) {
            if (f.name != name && f.path != path)
                continue;
            known = true;
            if (!picked.contains(f))
                picked.append(f);
        }
        if (!known)
            unknown->append(name);
    }
    return picked;
}

QJsonObject importOne(PackLibrary &library, const PeerPackFinder::Found &found, bool *failed)
{
    QJsonObject result{{QStringLiteral("path"), found.path}};
    if (found.imported) {
        result.insert(QStringLiteral("skipped"), QStringLiteral("alreadyImported"));
        return result;
    }
    if (!found.problem.isEmpty()) {
        *failed = true;
        result.insert(QStringLiteral("error"), QStringLiteral("unreadable"));
        result.insert(QStringLiteral("message"), found.problem);
        return result;
    }
    PackLibrary::ImportError error;
    QStringList warnings;
    const std::optional<PackInfo> imported = LibraryCommands::importMeasured(library, found.path, &error, &warnings);
    if (!imported) {
        *failed = true;
        result.insert(QStringLiteral("error"), LibraryCommands::importErrorKind(error.kind));
        result.insert(QStringLiteral("message"), error.message);
        return result;
    }
    const QJsonObject info = JsonOutput::info(*imported);
    for (auto it = info.begin(); it != info.end(); ++it)
        result.insert(it.key(), it.value());
    result.insert(QStringLiteral("warnings"), QJsonArray::fromStringList(warnings));
    return result;
}

// For people: what was found, one line each, then what became of each import.
void printPretty(const QList<PeerPackFinder::Found> &found, const QJsonArray &results, bool listing)
{
    if (found.isEmpty())
        std::printf("No packs of other programs were found.\n");
    for (const PeerPackFinder::Found &f : found) {
        const QString state = !f.problem.isEmpty() ? QStringLiteral("cannot be read: ") + f.problem
                              : f.imported          ? QStringLiteral("imported already")
                                                    : QStringLiteral("not imported");
        std::printf("  %s  [%s, %s]  %s\n    %s\n", qPrintable(f.name), qPrintable(f.program),
                    qPrintable(f.format.isEmpty() ? QStringLiteral("unknown format") : f.format), qPrintable(state),
                    qPrintable(f.path));
    }
    if (listing)
        return;
    if (results.isEmpty())
        std::printf("\nNothing to import.\n");
    else
        std::printf("\n");
    for (const QJsonValue &r : results) {
        const QString outcome = r[QLatin1String("id")].isString()      ? QStringLiteral("imported as ") + r[QLatin1String("id")].toString()
                                : r[QLatin1String("skipped")].isString() ? QStringLiteral("imported already, skipped")
                                                                         : QStringLiteral("failed: ") + r[QLatin1String("message")].toString();
        std::printf("  %s: %s\n", qPrintable(r[QLatin1String("path")].toString()), qPrintable(outcome));
        for (const QJsonValue &warning : r[QLatin1String("warnings")].toArray())
            std::printf("    warning: %s\n", qPrintable(warning.toString()));
    }
}

} // namespace

int run(const QStringList &arguments)
{
    bool listing = false;
    bool pretty = false;
    bool unknownOption = false;
    QStringList names;
    for (const QString &argument : arguments) {
        if (argument == QLatin1String("--list"))
            listing = true;
        else if (argument == QLatin1String("--pretty"))
            pretty = true;
        else if (argument.startsWith(u'-'))
            unknownOption = true;
        else
            names.append(argument);
    }
    // Listing imports nothing, so names with it are a mistake.
    if (unknownOption || (listing && !names.isEmpty())) {
        std::fprintf(stderr, "usage: %s\n", usage);
        return JsonOutput::UsageError;
    }

    PackLibrary library;
    library.sweepStaleImports();
    const QList<PeerPackFinder::Found> found = PeerPackFinder().find(library.folder());
    QJsonArray foundArray;
    for (const PeerPackFinder::Found &f : found)
        foundArray.append(foundJson(f));
    QJsonObject output{{QStringLiteral("found"), foundArray}};
    bool failed = false;
    QJsonArray results;
    if (!listing) {
        QStringList unknown;
        for (const PeerPackFinder::Found &f : chosen(found, names, &unknown))
            results.append(importOne(library, f, &failed));
        for (const QString &name : unknown) {
            failed = true;
            results.append(QJsonObject{{QStringLiteral("path"), name}, {QStringLiteral("error"), QStringLiteral("notFound")},
                                       {QStringLiteral("message"), QStringLiteral("No pack of another program is named “%1”.").arg(name)}});
        }
        output.insert(QStringLiteral("results"), results);
    }
    if (pretty)
        printPretty(found, results, listing);
    else
        JsonOutput::print(output);
    return failed ? JsonOutput::PackError : JsonOutput::Success;
}

} // namespace plinkum::PeerImportCommand
