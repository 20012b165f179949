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
    const auto optional = [](const std::optional<QString> &text) {
        return text ? QJsonValue(*text) : QJsonValue(QJsonValue::Null);
    };
    return {
        {QStringLiteral("id"), info.id},
        {QStringLiteral("name"), info.name},
        {QStringLiteral("type"), optional(info.type)},
        {QStringLiteral("order"), QJsonValue(info.order)},
        {QStringLiteral("isBuiltIn"), info.isBuiltIn},
        {QStringLiteral("format"), info.format},
        {QStringLiteral("source"), optional(info.source)},
        {QStringLiteral("credit"), optional(info.credit)},
    };
}

} // namespace plinkum::JsonOutput
