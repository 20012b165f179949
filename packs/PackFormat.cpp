#include "packs/PackFormat.h"

#include "keys/KeyTables.h"
#include "packs/KeyboardSoundsProfile.h"
#include "packs/Manifest.h"
#include "packs/MechvibesConfig.h"
#include "packs/MechvibesDxConfig.h"
#include "packs/MechvibesDxLoader.h"
#include "packs/PackLoader.h"
#include "packs/YamlDocument.h"

namespace plinkum::PackLoader {

namespace {

bool always(const QJsonObject &)
{
    return true;
}

std::optional<PackDescription> describeManifest(const QJsonObject &document, QString *error)
{
    const std::optional<Manifest> manifest = Manifest::decode(document, error);
    if (!manifest)
        return std::nullopt;
    PackDescription description;
    description.name = manifest->name;
    description.type = manifest->type;
    description.order = manifest->order.value_or(0);
    description.source = manifest->source;
    description.credit = manifest->credit;
    description.keyboard = !manifest->mouse || !manifest->down.isEmpty() || (manifest->keys && !manifest->keys->isEmpty());
    description.mouse = manifest->mouse.has_value();
    return description;
}

LoadedPackPtr loadManifestDocument(const QJsonObject &document, const PackInfo &info, LoadReport *report,
                                   const std::atomic<bool> *cancelled, QString *error)
{
    const std::optional<Manifest> manifest = Manifest::decode(document, error);
    return manifest ? loadManifest(*manifest, info, report, cancelled) : nullptr;
}

std::optional<PackDescription> describeMechvibes(const QJsonObject &document, QString *error)
{
    const std::optional<MechvibesConfig> config = MechvibesConfig::decode(document, error);
    if (!config)
        return std::nullopt;
    PackDescription description;
    description.name = config->name;
    return description;
}

LoadedPackPtr loadMechvibesDocument(const QJsonObject &document, const PackInfo &info, LoadReport *report,
                                    const std::atomic<bool> *cancelled, QString *error)
{
    const std::optional<MechvibesConfig> config = MechvibesConfig::decode(document, error);
    return config ? loadMechvibes(*config, info, report, cancelled) : nullptr;
}

std::optional<PackDescription> describeMechvibesDx(const QJsonObject &document, QString *error)
{
    const std::optional<MechvibesDxConfig> config = MechvibesDxConfig::decode(document, error);
    if (!config)
        return std::nullopt;
    PackDescription description;
    description.name = config->name;
    description.credit = config->author;
    description.ownGain = config->recommendedVolume;
    const QStringList names = config->definitions.keys();
    description.mouse = std::any_of(names.begin(), names.end(), [](const QString &name) { return mechvibesDxButton(name).has_value(); });
    description.keyboard = !description.mouse || std::any_of(names.begin(), names.end(), [](const QString &name) {
        return KeyTables::w3cKey(name.toStdString()).has_value();
    });
    return description;
}

LoadedPackPtr loadMechvibesDxDocument(const QJsonObject &document, const PackInfo &info, LoadReport *report,
                                      const std::atomic<bool> *cancelled, QString *error)
{
    const std::optional<MechvibesDxConfig> config = MechvibesDxConfig::decode(document, error);
    return config ? loadMechvibesDx(*config, info, report, cancelled) : nullptr;
}

std::optional<PackDescription> describeKeyboardSounds(const QJsonObject &document, QString *error)
{
    const std::optional<KeyboardSoundsProfile> profile = KeyboardSoundsProfile::decode(document, error);
    if (!profile)
        return std::nullopt;
    PackDescription description;
    description.name = profile->name;
    description.keyboard = !profile->mouse;
    description.mouse = profile->mouse;
    return description;
}

LoadedPackPtr loadKeyboardSoundsDocument(const QJsonObject &document, const PackInfo &info, LoadReport *report,
                                         const std::atomic<bool> *cancelled, QString *error)
{
    const std::optional<KeyboardSoundsProfile> profile = KeyboardSoundsProfile::decode(document, error);
    return profile ? profile->load(info, report, cancelled) : nullptr;
}

std::optional<QJsonObject> parseYaml(DocumentReader &reader, const QByteArray &data, bool, QStringList *)
{
    return YamlDocument::parse(reader, data);
}

const PackFormat formats[] = {
    {QStringLiteral("pack.json"), QStringLiteral("pack.json"), false, always, describeManifest, loadManifestDocument},
    {QStringLiteral("MechvibesDX v2"), QStringLiteral("config.json"), true, MechvibesDxConfig::claims, describeMechvibesDx,
     loadMechvibesDxDocument},
    {QStringLiteral("Mechvibes v2"), QStringLiteral("config.json"), true, MechvibesConfig::isVersionTwo, describeMechvibes,
     loadMechvibesDocument},
    {QStringLiteral("Mechvibes v1"), QStringLiteral("config.json"), true, always, describeMechvibes, loadMechvibesDocument},
    {QStringLiteral("keyboardsounds profile"), QStringLiteral("profile.yaml"), false, always, describeKeyboardSounds,
     loadKeyboardSoundsDocument, parseYaml},
};

} // namespace

std::span<const PackFormat> PackFormat::all()
{
    return formats;
}

QStringList PackFormat::documents()
{
    QStringList names;
    for (const PackFormat &format : formats) {
        if (!names.contains(format.document))
            names.append(format.document);
    }
    return names;
}

bool PackFormat::lenientDocument(const QString &document)
{
    return std::any_of(std::begin(formats), std::end(formats),
                       [&](const PackFormat &format) { return format.document == document && format.lenient; });
}

bool PackFormat::isDocument(const QString &fileName)
{
    return std::any_of(std::begin(formats), std::end(formats), [&](const PackFormat &format) {
        return fileName.compare(format.document, format.lenient ? Qt::CaseInsensitive : Qt::CaseSensitive) == 0;
    });
}

std::optional<QJsonObject> PackFormat::parseJson(DocumentReader &reader, const QByteArray &data, bool lenient,
                                                 QStringList *warnings)
{
    return lenient ? reader.parseRepairing(data, warnings) : reader.parse(data);
}

std::optional<QJsonObject> PackFormat::parseDocument(const QString &documentName, const QByteArray &data, QString *error,
                                                     QStringList *warnings)
{
    // The rows of one document read it alike: the first says how.
    const auto row = std::find_if(std::begin(formats), std::end(formats),
                                  [&](const PackFormat &format) { return format.document == documentName; });
    if (row == std::end(formats))
        return std::nullopt;
    DocumentReader reader(documentName);
    std::optional<QJsonObject> parsed = row->parse(reader, data, row->lenient, warnings);
    if (!parsed && error)
        *error = reader.error();
    return parsed;
}

const PackFormat &PackFormat::reading(const QString &documentName, const QJsonObject &document)
{
    for (const PackFormat &format : formats) {
        if (format.document == documentName && format.claims(document))
            return format;
    }
    // Every document's last row claims whatever the others leave.
    Q_UNREACHABLE();
    return formats[0];
}

} // namespace plinkum::PackLoader
