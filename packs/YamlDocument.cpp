#include "packs/YamlDocument.h"

#include <QJsonArray>

#include <yaml-cpp/yaml.h>

#include <string>

namespace plinkum::PackLoader::YamlDocument {

namespace {

// A profile is a few hundred nodes; an alias may repeat a large part of a document, and these
// bound what repetition can cost.
constexpr int maxNodes = 1 << 16;
constexpr qsizetype maxScalarBytes = 4 * DocumentReader::maxDocumentBytes;

class Converter {
public:
    // Nothing, with `problem` set, when the document is not a tree of text.
    std::optional<QJsonValue> convert(const YAML::Node &node)
    {
        if (--m_nodesLeft < 0) {
            m_problem = QStringLiteral("its aliases expand beyond %1 values").arg(maxNodes);
            return std::nullopt;
        }
        switch (node.Type()) {
        case YAML::NodeType::Undefined:
        case YAML::NodeType::Null:
            return QJsonValue(QJsonValue::Null);
        case YAML::NodeType::Scalar:
            return scalar(node);
        case YAML::NodeType::Sequence: {
            QJsonArray array;
            for (const YAML::Node &item : node) {
                std::optional<QJsonValue> value = convert(item);
                if (!value)
                    return std::nullopt;
                array.append(*value);
            }
            return array;
        }
        case YAML::NodeType::Map: {
            QJsonObject object;
            for (const auto &entry : node) {
                if (!entry.first.IsScalar()) {
                    m_problem = QStringLiteral("a mapping key is not text (line %1)").arg(entry.first.Mark().line + 1);
                    return std::nullopt;
                }
                const std::optional<QJsonValue> key = scalar(entry.first);
                std::optional<QJsonValue> value = key ? convert(entry.second) : std::nullopt;
                if (!value)
                    return std::nullopt;
                object.insert(key->toString(), *value);
            }
            return object;
        }
        }
        return QJsonValue(QJsonValue::Null);
    }

    const QString &problem() const { return m_problem; }

private:
    std::optional<QJsonValue> scalar(const YAML::Node &node)
    {
        const std::string &text = node.Scalar();
        m_bytesLeft -= static_cast<qsizetype>(text.size());
        if (m_bytesLeft < 0) {
            m_problem = QStringLiteral("its aliases expand beyond %1 MiB of text").arg(maxScalarBytes >> 20);
            return std::nullopt;
        }
        return QString::fromStdString(text);
    }

    int m_nodesLeft = maxNodes;
    qsizetype m_bytesLeft = maxScalarBytes;
    QString m_problem;
};

} // namespace

std::optional<QJsonObject> parse(DocumentReader &reader, const QByteArray &data)
{
    try {
        const YAML::Node root = YAML::Load(data.toStdString());
        if (!root.IsMap()) {
            reader.failDocument(QStringLiteral("the document must be a YAML mapping"));
            return std::nullopt;
        }
        Converter converter;
        const std::optional<QJsonValue> document = converter.convert(root);
        if (!document) {
            reader.failDocument(QStringLiteral("not read: %1").arg(converter.problem()));
            return std::nullopt;
        }
        return document->toObject();
    } catch (const YAML::Exception &error) {
        const QString what = QString::fromStdString(error.msg);
        reader.failDocument(error.mark.is_null()
                                ? QStringLiteral("not valid YAML (%1)").arg(what)
                                : QStringLiteral("not valid YAML (line %1, column %2: %3)")
                                      .arg(error.mark.line + 1)
                                      .arg(error.mark.column + 1)
                                      .arg(what));
        return std::nullopt;
    }
}

} // namespace plinkum::PackLoader::YamlDocument
