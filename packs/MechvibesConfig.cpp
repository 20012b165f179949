#include "packs/MechvibesConfig.h"

#include "packs/DocumentReader.h"

#include <QJsonArray>

#include <algorithm>
#include <limits>

namespace plinkum::PackLoader {

namespace {

// Digits only, value at most `limit`.
std::optional<unsigned long long> decimal(QStringView digits, unsigned long long limit)
{
    if (digits.isEmpty())
        return std::nullopt;
    unsigned long long value = 0;
    for (const QChar c : digits) {
        if (c < u'0' || c > u'9')
            return std::nullopt;
        const unsigned digit = c.unicode() - u'0';
        if (value > (limit - digit) / 10)
            return std::nullopt;
        value = value * 10 + digit;
    }
    return value;
}

} // namespace

std::optional<MechvibesConfig> MechvibesConfig::decode(const QByteArray &json, QString *error, QStringList *repairs)
{
    DocumentReader reader(QStringLiteral("config.json"));
    if (const std::optional<QJsonObject> document = reader.parseRepairing(json, repairs))
        return decode(*document, error);
    if (error)
        *error = reader.error();
    return std::nullopt;
}

std::optional<MechvibesConfig> MechvibesConfig::decode(const QJsonObject &document, QString *error)
{
    DocumentReader reader(QStringLiteral("config.json"));
    MechvibesConfig config;
    config.name = reader.string(document, QStringLiteral("name"), false);
    config.sound = reader.string(document, QStringLiteral("sound"), false);
    config.versionTwo = isVersionTwo(document);
    const QJsonValue defineType = document.value(QStringLiteral("key_define_type"));
    config.versionTwoMulti = config.versionTwo && defineType.isString() && defineType.toString() == QLatin1String("multi");
    if (config.versionTwoMulti)
        config.soundUp = reader.string(document, QStringLiteral("soundup"), false);

    const QString definesName = QStringLiteral("defines");
    if (const std::optional<QJsonObject> defines = reader.object(document, definesName, true)) {
        for (auto it = defines->begin(); it != defines->end() && !reader.failed(); ++it) {
            const QJsonValue value = it.value();
            if (value.isNull()) {
                config.defines.insert(it.key(), std::nullopt);
            } else if (value.isString()) {
                config.defines.insert(it.key(), Define::fileNamed(value.toString()));
            } else {
                const QJsonArray window = value.toArray();
                const bool numbers = value.isArray() && std::all_of(window.begin(), window.end(), [](const QJsonValue &v) {
                                         return v.isDouble();
                                     });
                if (!numbers) {
                    reader.fail(DocumentReader::quote(it.key(), definesName),
                                QStringLiteral("must be a file name, an array of numbers or null"));
                    break;
                }
                config.defines.insert(it.key(), Define::slice(window.size() > 0 ? window.at(0).toDouble() : 0.0,
                                                              window.size() > 1 ? window.at(1).toDouble() : 0.0));
            }
        }
    }
    if (!reader.failed())
        return config;
    if (error)
        *error = reader.error();
    return std::nullopt;
}

bool MechvibesConfig::isVersionTwo(const QJsonObject &document)
{
    const QJsonValue version = document.value(QStringLiteral("version"));
    return version.isDouble() && version.toDouble() == 2.0;
}

std::optional<MechvibesConfig::KeyText> MechvibesConfig::keyFromText(QStringView text)
{
    KeyText key;
    if (text.endsWith(QLatin1String("-up"))) {
        key.release = true;
        text.chop(3);
    } else if (text.size() > 2 && text.startsWith(QLatin1String("00"))) {
        // A fork of Mechvibes writes a key's release sound as its number after two zeros.
        key.release = true;
    }
    const std::optional<long long> number = codeFromText(text);
    if (!number)
        return std::nullopt;
    key.number = *number;
    return key;
}

std::optional<long long> MechvibesConfig::codeFromText(QStringView text)
{
    constexpr auto max = static_cast<unsigned long long>(std::numeric_limits<long long>::max());
    bool negative = false;
    if (text.startsWith(u'+') || text.startsWith(u'-')) {
        negative = text.front() == u'-';
        text = text.mid(1);
    }
    const std::optional<unsigned long long> value = decimal(text, negative ? max + 1 : max);
    if (!value)
        return std::nullopt;
    if (negative)
        return *value == max + 1 ? std::numeric_limits<long long>::min() : -static_cast<long long>(*value);
    return static_cast<long long>(*value);
}

QStringList MechvibesConfig::expandRange(const QString &fileName)
{
    // The first text of the form {digits-digits}; a brace that does not open one is plain text.
    for (qsizetype open = fileName.indexOf(u'{'); open >= 0; open = fileName.indexOf(u'{', open + 1)) {
        const qsizetype dash = fileName.indexOf(u'-', open + 1);
        const qsizetype close = dash < 0 ? -1 : fileName.indexOf(u'}', dash + 1);
        if (close < 0)
            break;
        constexpr unsigned long long limit = std::numeric_limits<unsigned long long>::max();
        const auto from = decimal(QStringView(fileName).mid(open + 1, dash - open - 1), limit);
        const auto to = decimal(QStringView(fileName).mid(dash + 1, close - dash - 1), limit);
        if (!from || !to)
            continue;
        if (*from > *to || *to - *from >= 100)
            return {fileName};
        QStringList names;
        for (unsigned long long i = 0; i <= *to - *from; ++i)
            names.append(fileName.left(open) + QString::number(*from + i) + fileName.mid(close + 1));
        return names;
    }
    return {fileName};
}

} // namespace plinkum::PackLoader
