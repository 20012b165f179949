#include "tools/plinkum-pack/JsonOutput.h"

#include <QJsonDocument>

#include <cstdio>

namespace plinkum::JsonOutput {

void print(const QJsonObject &document, bool indented)
{
    const QByteArray text = QJsonDocument(document).toJson(indented ? QJsonDocument::Indented : QJsonDocument::Compact);
    std::fwrite(text.constData(), 1, static_cast<std::size_t>(text.size()), stdout);
    if (!text.endsWith('\n'))
        std::fputc('\n', stdout);
    std::fflush(stdout);
}

int printFailure(const PackLoadFailure &failure)
{
    print({{QStringLiteral("error"), failure.kindName()}, {QStringLiteral("message"), failure.message}});
    return PackError;
}

QJsonObject info(const PackInfo &info)
{
    QJsonObject json{
        {QStringLiteral("id"), info.id},
        {QStringLiteral("name"), info.name},
        {QStringLiteral("type"), info.type ? QJsonValue(*info.type) : QJsonValue(QJsonValue::Null)},
        {QStringLiteral("order"), QJsonValue(info.order)},
        {QStringLiteral("isBuiltIn"), info.isBuiltIn},
        {QStringLiteral("format"), info.format},
    };
    // Only packs that say where their sounds come from carry these.
    if (info.source)
        json.insert(QStringLiteral("source"), *info.source);
    if (info.credit)
        json.insert(QStringLiteral("credit"), *info.credit);
    // The level Plinkum gives an imported pack (PackLevel).
    if (!info.isBuiltIn) {
        json.insert(QStringLiteral("gainDb"), info.loudnessGainDb ? QJsonValue(*info.loudnessGainDb) : QJsonValue(QJsonValue::Null));
        json.insert(QStringLiteral("trimDb"), info.trimDb);
    }
    return json;
}

} // namespace plinkum::JsonOutput
