#include "app/LoginItem.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStandardPaths>

namespace plinkum {

namespace {

// Exec= arguments are quoted by the desktop entry rules: inside double quotes the characters
// ", `, $ and backslash take a backslash and a literal % is doubled; then the value's own string
// escaping doubles every backslash once more.
QString quotedExecArgument(const QString &argument)
{
    QString quoted;
    for (const QChar c : argument) {
        if (c == u'"' || c == u'`' || c == u'$' || c == u'\\')
            quoted += u'\\';
        if (c == u'%')
            quoted += u'%';
        quoted += c;
    }
    quoted.replace(QStringLiteral("\\"), QStringLiteral("\\\\"));
    return u'"' + quoted + u'"';
}

// The program an Exec= value starts: string escapes undone, then the first argument unquoted.
QString execProgram(const QString &value)
{
    QString unescaped;
    for (qsizetype i = 0; i < value.size(); ++i) {
        if (value[i] != u'\\' || i + 1 == value.size()) {
            unescaped += value[i];
            continue;
        }
        const QChar next = value[++i];
        unescaped += next == u's' ? QChar(u' ') : next == u'n' ? QChar(u'\n') : next == u't' ? QChar(u'\t')
                   : next == u'r' ? QChar(u'\r') : next;
    }
    if (!unescaped.startsWith(u'"'))
        return unescaped.section(u' ', 0, 0).replace(QStringLiteral("%%"), QStringLiteral("%"));
    QString program;
    for (qsizetype i = 1; i < unescaped.size() && unescaped[i] != u'"'; ++i) {
        if (unescaped[i] == u'\\' && i + 1 < unescaped.size())
            ++i;
        program += unescaped[i];
    }
    return program.replace(QStringLiteral("%%"), QStringLiteral("%"));
}

} // namespace

QString LoginItem::defaultPath()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation)
        + QStringLiteral("/autostart/plinkum.desktop");
}

LoginItem::LoginItem(QString entryPath, QString executable)
    : m_path(std::move(entryPath))
    , m_executable(executable.isEmpty() ? QCoreApplication::applicationFilePath() : std::move(executable))
{
}

bool LoginItem::isRegistered() const
{
    QFile file(m_path);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
        return false;
    bool inEntry = false;
    bool startsThis = false;
    while (!file.atEnd()) {
        const QString line = QString::fromUtf8(file.readLine()).trimmed();
        if (line.startsWith(u'[')) {
            inEntry = line == u"[Desktop Entry]";
            continue;
        }
        if (!inEntry)
            continue;
        const qsizetype eq = line.indexOf(u'=');
        if (eq < 0)
            continue;
        const QString key = line.left(eq).trimmed();
        const QString value = line.mid(eq + 1).trimmed();
        if (key == u"Hidden" && value == u"true")
            return false;
        if (key == u"X-GNOME-Autostart-enabled" && value == u"false")
            return false;
        if (key == u"Exec")
            startsThis = launches(execProgram(value));
    }
    return startsThis;
}

bool LoginItem::launches(const QString &program) const
{
    if (program == m_executable)
        return true;
    // A bare name is looked up in PATH at login; links and relative parts may name us too.
    const QString found = program.contains(u'/') ? program : QStandardPaths::findExecutable(program);
    const QString resolved = QFileInfo(found).canonicalFilePath();
    return !found.isEmpty() && !resolved.isEmpty() && resolved == QFileInfo(m_executable).canonicalFilePath();
}

std::optional<QString> LoginItem::setRegistered(bool registered)
{
    if (registered)
        return write();
    if (!QFile::exists(m_path))
        return std::nullopt;
    QFile file(m_path);
    if (!file.remove())
        return file.errorString();
    return std::nullopt;
}

std::optional<QString> LoginItem::write() const
{
    if (!QDir().mkpath(QFileInfo(m_path).absolutePath()))
        return QStringLiteral("could not create the folder of %1").arg(m_path);
    QSaveFile file(m_path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Text))
        return file.errorString();
    const QString entry = QStringLiteral(
                              "[Desktop Entry]\n"
                              "Type=Application\n"
                              "Name=Plinkum\n"
                              "Comment=Mechanical keyboard sounds while you type\n"
                              "Exec=%1\n"
                              "Icon=io.github.plinkum.Plinkum\n"
                              "Terminal=false\n"
                              "X-GNOME-Autostart-enabled=true\n")
                              .arg(quotedExecArgument(m_executable));
    file.write(entry.toUtf8());
    if (!file.commit())
        return file.errorString();
    return std::nullopt;
}

} // namespace plinkum
