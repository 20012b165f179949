#include "packs/StagingFolder.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QScopeGuard>

#include <cerrno>
#include <cstdlib>
#include <cstring>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace plinkum {

const QString StagingFolder::prefix = QStringLiteral(".import-");

namespace {

QString tr(const char *text)
{
    return QCoreApplication::translate("PackLibrary", text);
}

QString megabytes(std::int64_t bytes)
{
    return QString::number(bytes >> 20);
}

} // namespace

StagingFolder::StagingFolder(const QString &packsFolder)
{
    QByteArray pattern = QFile::encodeName(packsFolder + u'/' + prefix + QStringLiteral("XXXXXX"));
    // mkdtemp creates the folder 0700.
    if (::mkdtemp(pattern.data()))
        m_path = QFile::decodeName(pattern);
    else
        m_error = tr("The user packs folder “%1” cannot be written.").arg(packsFolder);
}

StagingFolder::~StagingFolder()
{
    if (!m_path.isEmpty())
        QDir(m_path).removeRecursively();
}

bool StagingFolder::fail(const QString &error)
{
    m_error = error;
    return false;
}

bool StagingFolder::makeParents(const QString &relativePath)
{
    const QStringList parts = relativePath.split(u'/');
    QString folder = m_path;
    for (qsizetype i = 0; i + 1 < parts.size(); ++i) {
        folder += u'/' + parts[i];
        if (::mkdir(QFile::encodeName(folder).constData(), 0700) == 0)
            continue;
        // Only a folder this import made may be reused; a link here was never made by it.
        struct stat status {};
        if (errno != EEXIST || ::lstat(QFile::encodeName(folder).constData(), &status) != 0 || !S_ISDIR(status.st_mode))
            return fail(tr("Could not create the folder “%1”.").arg(parts.mid(0, i + 1).join(u'/')));
    }
    return true;
}

bool StagingFolder::addFile(const QString &relativePath, int fd, const std::atomic<bool> *cancelled)
{
    struct stat status {};
    if (::fstat(fd, &status) != 0 || !S_ISREG(status.st_mode))
        return fail(tr("“%1” is not a regular file.").arg(relativePath));
    const auto read = [fd](char *buffer, std::size_t size) -> std::int64_t {
        ssize_t got;
        do
            got = ::read(fd, buffer, size);
        while (got < 0 && errno == EINTR);
        return got;
    };
    return addFile(relativePath, status.st_size, read, cancelled);
}

bool StagingFolder::addFile(const QString &relativePath, std::int64_t declaredSize, const Reader &read,
                            const std::atomic<bool> *cancelled)
{
    if (m_path.isEmpty())
        return fail(m_error);
    if (relativePath.isEmpty() || QDir::isAbsolutePath(relativePath) || QDir::cleanPath(relativePath) != relativePath
        || relativePath == u".." || relativePath.startsWith(QStringLiteral("../")) || relativePath.contains(QChar(u'\0')))
        return fail(tr("“%1” is not a name inside the pack.").arg(relativePath));
    if (m_files >= maxFiles)
        return fail(tr("The pack has more than %1 files.").arg(maxFiles));
    if (declaredSize > maxFileBytes)
        return fail(tr("“%1” is larger than %2 MiB.").arg(relativePath, megabytes(maxFileBytes)));
    if (m_totalBytes + declaredSize > maxTotalBytes)
        return fail(tr("The pack is larger than %1 MiB.").arg(megabytes(maxTotalBytes)));
    if (!makeParents(relativePath))
        return false;

    const QString target = m_path + u'/' + relativePath;
    const int out = ::open(QFile::encodeName(target).constData(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
    if (out < 0)
        return fail(tr("Could not copy “%1”: %2").arg(relativePath, QString::fromLocal8Bit(std::strerror(errno))));
    const auto closeOut = qScopeGuard([out] { ::close(out); });
    ++m_files;

    char buffer[1 << 16];
    std::int64_t copied = 0;
    for (;;) {
        if (cancelled && cancelled->load(std::memory_order_relaxed))
            return fail(tr("The import was cancelled."));
        const std::int64_t got = read(buffer, sizeof buffer);
        if (got < 0)
            return fail(tr("Could not read “%1”: %2").arg(relativePath, QString::fromLocal8Bit(std::strerror(errno))));
        if (got == 0)
            break;
        // A source may hold more than it declared (a file growing while it is copied).
        copied += got;
        if (copied > maxFileBytes)
            return fail(tr("“%1” is larger than %2 MiB.").arg(relativePath, megabytes(maxFileBytes)));
        if (m_totalBytes + copied > maxTotalBytes)
            return fail(tr("The pack is larger than %1 MiB.").arg(megabytes(maxTotalBytes)));
        for (std::int64_t written = 0; written < got;) {
            const ssize_t put = ::write(out, buffer + written, static_cast<std::size_t>(got - written));
            if (put < 0 && errno == EINTR)
                continue;
            if (put < 0)
                return fail(tr("Could not copy “%1”: %2").arg(relativePath, QString::fromLocal8Bit(std::strerror(errno))));
            written += put;
        }
    }
    m_totalBytes += copied;
    return true;
}

void StagingFolder::sweep(const QString &packsFolder)
{
    const QDir folder(packsFolder);
    const QStringList stale = folder.entryList({prefix + u'*'}, QDir::Dirs | QDir::Hidden | QDir::NoSymLinks | QDir::NoDotAndDotDot);
    for (const QString &name : stale)
        QDir(folder.filePath(name)).removeRecursively();
}

} // namespace plinkum
