#pragma once

#include <QJsonObject>
#include <QJsonValue>
#include <QString>
#include <QStringList>

#include <optional>

namespace plinkum::PackLoader {

// Reads one pack document and checks its members' JSON types, keeping the first fault as a
// message that names the file and the member (`pack.json: member "down" must be an object`).
// Absent and null optional members are the same; a missing required member or a member of the
// wrong type fails the whole document.
class DocumentReader {
public:
    // Pack documents are a few kilobytes; anything this large is not one.
    static constexpr qint64 maxDocumentBytes = 4 << 20;

    enum class FileStatus { Read, Unreadable, TooLarge };

    // The whole file, read only when it is a regular file of at most maxDocumentBytes and `path`
    // does not end in a symbolic link (resolve it first, within the pack folder).
    static FileStatus readFile(const QString &path, QByteArray &data);
    // The same from `fd`, opened for reading, which it closes; -1 is unreadable.
    static FileStatus readFile(int fd, QByteArray &data);

    explicit DocumentReader(QString fileName) : m_fileName(std::move(fileName)) {}

    // The document's top-level object; Qt's parser refuses nesting deeper than 1024 levels.
    std::optional<QJsonObject> parse(const QByteArray &data);
    // The same for a document of another program, which is often edited by hand: what JsonRepair
    // undoes is read anyway and, when `warnings` is given, reported there in one line.
    std::optional<QJsonObject> parseRepairing(const QByteArray &data, QStringList *warnings);

    // A member's value, nothing when absent or null. `required` makes absence a fault.
    std::optional<QJsonValue> member(const QJsonObject &object, const QString &name, bool required);

    std::optional<QString> string(const QJsonObject &object, const QString &name, bool required);
    std::optional<qint64> integer(const QJsonObject &object, const QString &name);
    std::optional<QJsonObject> object(const QJsonObject &object, const QString &name, bool required);

    // "name", and "name" of "parent" for a member inside another.
    static QString quote(const QString &name);
    static QString quote(const QString &name, const QString &parent);

    // Records a fault about `member`, already quoted.
    void fail(const QString &member, const QString &problem);
    void failDocument(const QString &problem);

    bool failed() const { return !m_error.isEmpty(); }
    const QString &error() const { return m_error; }

    // An integral JSON number within 64 bits: 3, -7, 3.0 and 1e2 are, 2.5 and 1e19 are not.
    static std::optional<qint64> integralValue(const QJsonValue &value);

private:
    QString m_fileName;
    QString m_error;
};

} // namespace plinkum::PackLoader
