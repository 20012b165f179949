#include "packs/MechvibesDxConfig.h"

#include "packs/DocumentReader.h"

#include <QJsonArray>

#include <algorithm>
#include <cmath>

namespace plinkum::PackLoader {

namespace {

// config_version as MechvibesDX writes it: the string "2", in hand-made packs also the number.
std::optional<double> configVersion(const QJsonObject &document)
{
    const QJsonValue value = document.value(QStringLiteral("config_version"));
    if (value.isDouble())
        return value.toDouble();
    if (!value.isString())
        return std::nullopt;
    bool ok = false;
    const double version = value.toString().trimmed().toDouble(&ok);
    return ok ? std::optional<double>(version) : std::nullopt;
}

// The first of `names` present, so an alias reads like the member it stands for.
QString present(const QJsonObject &document, std::initializer_list<const char *> names)
{
    for (const char *name : names) {
        if (document.contains(QLatin1String(name)))
            return QLatin1String(name);
    }
    return QLatin1String(*names.begin());
}

std::optional<MechvibesDxConfig::Definition> readDefinition(DocumentReader &reader, const QJsonValue &value,
                                                             const QString &member)
{
    if (!value.isObject()) {
        reader.fail(member, QStringLiteral("must be an object"));
        return std::nullopt;
    }
    const QJsonObject object = value.toObject();
    MechvibesDxConfig::Definition definition;
    definition.file = reader.string(object, QStringLiteral("audio_file"), false);
    const QJsonValue timing = object.value(QStringLiteral("timing"));
    if (timing.isUndefined() || timing.isNull())
        return definition;
    const auto isPair = [](const QJsonValue &pair) {
        const QJsonArray numbers = pair.toArray();
        return pair.isArray() && numbers.size() == 2 && numbers.at(0).isDouble() && numbers.at(1).isDouble();
    };
    const QJsonArray pairs = timing.toArray();
    if (!timing.isArray() || !std::all_of(pairs.begin(), pairs.end(), isPair)) {
        reader.fail(QStringLiteral("\"timing\" of ") + member, QStringLiteral("must be a list of [start, end] pairs"));
        return std::nullopt;
    }
    for (const QJsonValue &pair : pairs)
        definition.timing.append({pair.toArray().at(0).toDouble(), pair.toArray().at(1).toDouble()});
    return definition;
}

} // namespace

bool MechvibesDxConfig::claims(const QJsonObject &document)
{
    const std::optional<double> version = configVersion(document);
    return version && *version >= 2.0;
}

std::optional<MechvibesDxConfig> MechvibesDxConfig::decode(const QJsonObject &document, QString *error)
{
    DocumentReader reader(QStringLiteral("config.json"));
    MechvibesDxConfig config;
    if (const std::optional<double> version = configVersion(document); version && *version > 2.0) {
        reader.failDocument(QStringLiteral("made for a newer version of MechvibesDX (config_version %1)").arg(*version));
    } else {
        config.name = reader.string(document, QStringLiteral("name"), true).value_or(QString());
        config.author = reader.string(document, present(document, {"author", "m_author"}), false);
        const std::optional<QString> method = reader.string(document, QStringLiteral("definition_method"), false);
        config.multi = method == QLatin1String("multi");
        config.audioFile = reader.string(document, QStringLiteral("audio_file"), false);
        if (const std::optional<QJsonObject> options = reader.object(document, QStringLiteral("options"), false)) {
            const QJsonValue volume = options->value(QStringLiteral("recommended_volume"));
            if (volume.isDouble() && std::isfinite(volume.toDouble()))
                config.recommendedVolume = std::clamp(volume.toDouble(), 0.0, 2.0);
            config.randomPitch = options->value(QStringLiteral("random_pitch")).toBool();
        }
        const QString definitionsName = present(document, {"definitions", "defs"});
        if (const std::optional<QJsonObject> definitions = reader.object(document, definitionsName, true)) {
            for (auto it = definitions->begin(); it != definitions->end() && !reader.failed(); ++it) {
                if (std::optional<Definition> definition =
                        readDefinition(reader, it.value(), DocumentReader::quote(it.key(), definitionsName)))
                    config.definitions.insert(it.key(), std::move(*definition));
            }
        }
    }
    if (!reader.failed())
        return config;
    if (error)
        *error = reader.error();
    return std::nullopt;
}

} // namespace plinkum::PackLoader
