#pragma once

#include "packs/DocumentReader.h"
#include "packs/LoadReport.h"
#include "packs/LoadedPack.h"
#include "packs/PackInfo.h"

#include <QJsonObject>
#include <QString>
#include <QStringList>

#include <atomic>
#include <optional>
#include <span>

namespace plinkum::PackLoader {

// What a pack document says about its pack, read without any audio.
struct PackDescription {
    std::optional<QString> name; // the folder's name when absent
    std::optional<QString> type;
    qint64 order = 0;
    std::optional<QString> source;
    std::optional<QString> credit;
    bool keyboard = true;
    bool mouse = false;
    std::optional<double> ownGain;
};

// One pack format: the document it lives in, how it is told from the other formats of that
// document, and how it is described and loaded. Every part of Plinkum that knows formats (the
// loader, the library, the archive import, the catalogue, plinkum-pack) reads this table, so a
// new format is one row.
struct PackFormat {
    QString name;     // as users know it: "pack.json", "Mechvibes v1"
    QString document; // the file name, found whatever its case when `lenient`
    // A document of another program, often edited by hand: read as that program reads it (a byte
    // order mark, comments and trailing commas are accepted, with a warning).
    bool lenient = false;
    // Whether the format reads this parsed document; the first row of the document that does, does.
    bool (*claims)(const QJsonObject &document) = nullptr;
    // The descriptor's fields; nothing, with `error`, when the document does not decode.
    std::optional<PackDescription> (*describe)(const QJsonObject &document, QString *error) = nullptr;
    // The pack, not yet checked for playability; null, with `error`, when the document does not decode.
    LoadedPackPtr (*load)(const QJsonObject &document, const PackInfo &info, LoadReport *report,
                          const std::atomic<bool> *cancelled, QString *error) = nullptr;
    // How the document's bytes become the object the functions above read: JSON, strict or as
    // its program reads it when `lenient`, unless the row says otherwise (keyboardsounds: YAML).
    std::optional<QJsonObject> (*parse)(DocumentReader &reader, const QByteArray &data, bool lenient,
                                        QStringList *warnings) = parseJson;

    static std::optional<QJsonObject> parseJson(DocumentReader &reader, const QByteArray &data, bool lenient,
                                                QStringList *warnings);

    // Every format, in the order their documents are looked for.
    static std::span<const PackFormat> all();
    // The document names, each once, in the order they are looked for.
    static QStringList documents();
    // Whether documents of that name are read leniently.
    static bool lenientDocument(const QString &document);
    // Whether a file of that name is a document of some format, under any spelling it accepts.
    static bool isDocument(const QString &fileName);
    // The document `data` of file `documentName`, parsed as its rows read it; nothing, with
    // `error`, when it does not parse. Warnings of a lenient read go to `warnings`.
    static std::optional<QJsonObject> parseDocument(const QString &documentName, const QByteArray &data, QString *error,
                                                    QStringList *warnings);
    // The format reading `document` (of file `documentName`).
    static const PackFormat &reading(const QString &documentName, const QJsonObject &document);
};

} // namespace plinkum::PackLoader
