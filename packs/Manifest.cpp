#include "packs/Manifest.h"

#include "packs/DocumentReader.h"

#include <QJsonArray>

namespace plinkum::PackLoader {

namespace {

std::optional<Manifest::FileLists> fileLists(DocumentReader &reader, const QJsonObject &document,
                                             const QString &name, bool required)
{
    const std::optional<QJsonObject> object = reader.object(document, name, required);
    if (!object)
        return std::nullopt;
    Manifest::FileLists lists;
    // Every member must hold file names, including those the loader will not use (unknown
    // categories, unparsable key codes): a wrong type anywhere fails the document.
    for (auto it = object->begin(); it != object->end(); ++it) {
        const QString member = DocumentReader::quote(it.key(), name);
        if (!it.value().isArray()) {
            reader.fail(member, QStringLiteral("must be an array of file names"));
            return std::nullopt;
        }
        QStringList files;
        for (const QJsonValue &file : it.value().toArray()) {
            if (!file.isString()) {
                reader.fail(member, QStringLiteral("must hold only strings"));
                return std::nullopt;
            }
            files.append(file.toString());
        }
        lists.insert(it.key(), files);
    }
    return lists;
}

} // namespace

std::optional<Manifest> Manifest::decode(const QByteArray &json, QString *error)
{
    DocumentReader reader(QStringLiteral("pack.json"));
    if (const std::optional<QJsonObject> document = reader.parse(json))
        return decode(*document, error);
    if (error)
        *error = reader.error();
    return std::nullopt;
}

std::optional<Manifest> Manifest::decode(const QJsonObject &document, QString *error)
{
    DocumentReader reader(QStringLiteral("pack.json"));
    Manifest manifest;
    const std::optional<QString> name = reader.string(document, QStringLiteral("name"), true);
    manifest.type = reader.string(document, QStringLiteral("type"), false);
    manifest.order = reader.integer(document, QStringLiteral("order"));
    // Descriptive members only: a pack whose text is of another type still plays.
    for (auto [member, field] : {std::pair{QStringLiteral("source"), &manifest.source}, {QStringLiteral("credit"), &manifest.credit}}) {
        if (const QJsonValue value = document.value(member); value.isString())
            *field = value.toString();
    }
    manifest.mouse = fileLists(reader, document, QStringLiteral("mouse"), false);
    manifest.mouseUp = fileLists(reader, document, QStringLiteral("mouseUp"), false);
    const std::optional<FileLists> down = fileLists(reader, document, QStringLiteral("down"), !manifest.mouse);
    manifest.up = fileLists(reader, document, QStringLiteral("up"), false);
    manifest.keys = fileLists(reader, document, QStringLiteral("keys"), false);
    manifest.keysUp = fileLists(reader, document, QStringLiteral("keysUp"), false);
    if (!reader.failed()) {
        manifest.name = *name;
        manifest.down = down.value_or(FileLists{});
        return manifest;
    }
    if (error)
        *error = reader.error();
    return std::nullopt;
}

std::optional<KeyCode> Manifest::keyCodeFromText(QStringView text)
{
    bool negative = false;
    if (text.startsWith(u'+')) {
        text = text.mid(1);
    } else if (text.startsWith(u'-')) {
        negative = true;
        text = text.mid(1);
    }
    if (text.isEmpty())
        return std::nullopt;
    unsigned value = 0;
    for (const QChar c : text) {
        if (c < u'0' || c > u'9')
            return std::nullopt;
        value = value * 10 + static_cast<unsigned>(c.unicode() - u'0');
        if (value > 0xFFFF)
            return std::nullopt;
    }
    if (negative && value != 0)
        return std::nullopt;
    return static_cast<KeyCode>(value);
}

} // namespace plinkum::PackLoader
