#include "packs/DocumentReader.h"

#include "packs/JsonRepair.h"

#include <QFile>
#include <QJsonDocument>
#include <QJsonParseError>
#include <QScopeGuard>
#include <QVariant>

#include <cerrno>
#include <cmath>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace plinkum::PackLoader {

DocumentReader::FileStatus DocumentReader::readFile(const QString &path, QByteArray &data)
{
    // Opened once and checked on the descriptor: what is checked is what is read. O_NONBLOCK
    // keeps a FIFO named like a document from blocking the open.
    return readFile(::open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK), data);
}

DocumentReader::FileStatus DocumentReader::readFile(int fd, QByteArray &data)
{
    if (fd < 0)
        return FileStatus::Unreadable;
    const auto closeFd = qScopeGuard([fd] { ::close(fd); });
    struct stat status {};
    if (::fstat(fd, &status) != 0 || !S_ISREG(status.st_mode))
        return FileStatus::Unreadable;
    if (status.st_size > maxDocumentBytes)
        return FileStatus::TooLarge;
    // The file may grow after fstat; one byte more than the limit tells.
    data.resize(maxDocumentBytes + 1);
    qsizetype filled = 0;
    while (filled < data.size()) {
        const ssize_t got = ::read(fd, data.data() + filled, static_cast<std::size_t>(data.size() - filled));
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0) {
            data.clear();
            return FileStatus::Unreadable;
        }
        if (got == 0)
            break;
        filled += got;
    }
    data.truncate(filled);
    return filled > maxDocumentBytes ? FileStatus::TooLarge : FileStatus::Read;
}

std::optional<QJsonObject> DocumentReader::parse(const QByteArray &data)
{
    QJsonParseError error{};
    const QJsonDocument document = QJsonDocument::fromJson(data, &error);
    if (error.error != QJsonParseError::NoError) {
        failDocument(QStringLiteral("not valid JSON (%1 at byte %2)").arg(error.errorString()).arg(error.offset));
        return std::nullopt;
    }
    if (!document.isObject()) {
        failDocument(QStringLiteral("the document must be a JSON object"));
        return std::nullopt;
    }
    return document.object();
}

std::optional<QJsonValue> DocumentReader::member(const QJsonObject &object, const QString &name, bool required)
{
    const QJsonValue value = object.value(name);
    if (value.isUndefined() || value.isNull()) {
        if (required)
            fail(quote(name), QStringLiteral("is missing"));
        return std::nullopt;
    }
    return value;
}

std::optional<QString> DocumentReader::string(const QJsonObject &object, const QString &name, bool required)
{
    const std::optional<QJsonValue> value = member(object, name, required);
    if (!value)
        return std::nullopt;
    if (!value->isString()) {
        fail(quote(name), QStringLiteral("must be a string"));
        return std::nullopt;
    }
    return value->toString();
}

std::optional<qint64> DocumentReader::integer(const QJsonObject &object, const QString &name)
{
    const std::optional<QJsonValue> value = member(object, name, false);
    if (!value)
        return std::nullopt;
    const std::optional<qint64> integral = integralValue(*value);
    if (!integral)
        fail(quote(name), QStringLiteral("must be an integer"));
    return integral;
}

std::optional<QJsonObject> DocumentReader::object(const QJsonObject &object, const QString &name, bool required)
{
    const std::optional<QJsonValue> value = member(object, name, required);
    if (!value)
        return std::nullopt;
    if (!value->isObject()) {
        fail(quote(name), QStringLiteral("must be an object"));
        return std::nullopt;
    }
    return value->toObject();
}

std::optional<QJsonObject> DocumentReader::parseRepairing(const QByteArray &data, QStringList *warnings)
{
    const JsonRepair repair(data);
    std::optional<QJsonObject> document = parse(repair.repaired());
    if (document && warnings && !repair.repairs().isEmpty()) {
        warnings->append(QStringLiteral("%1: not strict JSON, read as its program reads it (%2)")
                             .arg(m_fileName, repair.repairs().join(QStringLiteral(", "))));
    }
    return document;
}

void DocumentReader::fail(const QString &member, const QString &problem)
{
    if (m_error.isEmpty())
        m_error = QStringLiteral("%1: member %2 %3").arg(m_fileName, member, problem);
}

void DocumentReader::failDocument(const QString &problem)
{
    if (m_error.isEmpty())
        m_error = QStringLiteral("%1: %2").arg(m_fileName, problem);
}

QString DocumentReader::quote(const QString &name)
{
    return QLatin1Char('"') + name + QLatin1Char('"');
}

QString DocumentReader::quote(const QString &name, const QString &parent)
{
    return quote(name) + QStringLiteral(" of ") + quote(parent);
}

std::optional<qint64> DocumentReader::integralValue(const QJsonValue &value)
{
    if (!value.isDouble())
        return std::nullopt;
    // Qt keeps a number written as an integer that fits 64 bits as one, exactly.
    const QVariant variant = value.toVariant();
    if (variant.typeId() == QMetaType::LongLong)
        return variant.toLongLong();
    const double d = value.toDouble();
    if (d != std::trunc(d) || d < -9223372036854775808.0 || d >= 9223372036854775808.0)
        return std::nullopt;
    return static_cast<qint64>(d);
}

} // namespace plinkum::PackLoader
