#include "packs/StagingFolder.h"

#include "packs/NameRules.h"
#include "packs/SoundCompactor.h"

#include <QCoreApplication>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QScopeGuard>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <limits>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
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

QString systemError()
{
    return QString::fromLocal8Bit(std::strerror(errno));
}

// The bytes of the user packs, staging folders aside; links are not followed.
std::int64_t libraryBytes(const QString &packsFolder)
{
    std::int64_t total = 0;
    const QStringList packs = QDir(packsFolder).entryList(QDir::Dirs | QDir::NoSymLinks | QDir::NoDotAndDotDot);
    for (const QString &pack : packs) {
        QDirIterator files(packsFolder + u'/' + pack, QDir::Files | QDir::Hidden | QDir::NoSymLinks, QDirIterator::Subdirectories);
        while (files.hasNext()) {
            const std::int64_t size = files.nextFileInfo().size();
            total = size > std::numeric_limits<std::int64_t>::max() - total ? std::numeric_limits<std::int64_t>::max() : total + size;
        }
    }
    return total;
}

} // namespace

StagingFolder::StagingFolder(const QString &packsFolder)
{
    QByteArray pattern = QFile::encodeName(packsFolder + u'/' + prefix + QStringLiteral("XXXXXX"));
    // mkdtemp creates the folder 0700; the lock is taken before any file goes in.
    if (!::mkdtemp(pattern.data())) {
        m_error = tr("The user packs folder “%1” cannot be written.").arg(NameRules::quoted(packsFolder));
        return;
    }
    m_path = QFile::decodeName(pattern);
    m_lock = ::open(pattern.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC | O_NOFOLLOW);
    if (m_lock < 0 || ::flock(m_lock, LOCK_EX | LOCK_NB) != 0) {
        m_error = tr("The user packs folder “%1” cannot be written.").arg(NameRules::quoted(packsFolder));
        QDir(m_path).removeRecursively();
        m_path.clear();
        return;
    }
    m_packsFolder = packsFolder;
}

StagingFolder::~StagingFolder()
{
    if (!m_path.isEmpty())
        QDir(m_path).removeRecursively();
    if (m_lock >= 0)
        ::close(m_lock);
}

void StagingFolder::keep()
{
    m_path.clear();
    if (m_lock >= 0)
        ::close(m_lock);
    m_lock = -1;
}

bool StagingFolder::fail(const QString &error)
{
    m_error = error;
    return false;
}

bool StagingFolder::roomFor(std::int64_t bytes)
{
    struct statvfs disk {};
    if (::statvfs(QFile::encodeName(m_path).constData(), &disk) != 0)
        return fail(tr("Could not tell the free space for the pack: %1").arg(systemError()));
    const auto available = static_cast<std::int64_t>(std::min<unsigned long long>(
        static_cast<unsigned long long>(disk.f_bavail) * disk.f_frsize, std::numeric_limits<std::int64_t>::max()));
    if (available - bytes < minFreeBytes) {
        return fail(tr("There is not enough free disk space: the pack needs %1 MiB and Plinkum keeps %2 MiB free.")
                        .arg(megabytes(bytes + (1 << 20) - 1))
                        .arg(megabytes(minFreeBytes)));
    }
    return true;
}

// The checks made before a file is written or linked: its name and the pack's caps.
bool StagingFolder::admit(const QString &relativePath, std::int64_t declaredSize)
{
    if (m_path.isEmpty())
        return fail(m_error);
    const QString shown = NameRules::quoted(relativePath);
    if (relativePath.isEmpty() || QDir::isAbsolutePath(relativePath) || QDir::cleanPath(relativePath) != relativePath
        || relativePath == u".." || relativePath.startsWith(QStringLiteral("../")) || relativePath.contains(QChar(u'\0')))
        return fail(tr("“%1” is not a name inside the pack.").arg(shown));
    if (!NameRules::acceptable(relativePath))
        return fail(tr("“%1” holds control characters or characters that reorder text.").arg(shown));
    if (m_files >= maxFiles)
        return fail(tr("The pack has more than %1 files.").arg(maxFiles));
    // Sizes compared by what is left under each cap, so no sum can overflow.
    if (declaredSize < 0 || declaredSize > maxFileBytes)
        return fail(tr("“%1” is larger than %2 MiB.").arg(shown, megabytes(maxFileBytes)));
    if (declaredSize > maxTotalBytes - m_totalBytes)
        return fail(tr("The pack is larger than %1 MiB.").arg(megabytes(maxTotalBytes)));
    return makeParents(relativePath);
}

// Measured on the first file written, so a refused archive or a folder of links costs no walk.
bool StagingFolder::libraryHolds(std::int64_t declaredSize)
{
    if (!m_libraryBytes)
        m_libraryBytes = libraryBytes(m_packsFolder);
    if (declaredSize > maxLibraryBytes - *m_libraryBytes - m_totalBytes)
        return fail(tr("Your sound packs would take more than %1 MiB; remove some first.").arg(megabytes(maxLibraryBytes)));
    return true;
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
            return fail(tr("Could not create the folder “%1”.").arg(NameRules::quoted(parts.mid(0, i + 1).join(u'/'))));
    }
    return true;
}

bool StagingFolder::addFile(const QString &relativePath, int fd, const std::atomic<bool> *cancelled)
{
    struct stat status {};
    if (::fstat(fd, &status) != 0 || !S_ISREG(status.st_mode))
        return fail(tr("“%1” is not a regular file.").arg(NameRules::quoted(relativePath)));
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
    if (!admit(relativePath, declaredSize) || !libraryHolds(declaredSize) || !roomFor(declaredSize))
        return false;
    const QString shown = NameRules::quoted(relativePath);
    const QString target = m_path + u'/' + relativePath;
    const int out = ::open(QFile::encodeName(target).constData(), O_RDWR | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
    if (out < 0)
        return fail(tr("Could not copy “%1”: %2").arg(shown, systemError()));
    const auto closeOut = qScopeGuard([out] { ::close(out); });
    ++m_files;

    char buffer[1 << 16];
    std::int64_t copied = 0;
    for (;;) {
        if (cancelled && cancelled->load(std::memory_order_relaxed))
            return fail(tr("The import was cancelled."));
        const std::int64_t got = read(buffer, sizeof buffer);
        if (got < 0)
            return fail(tr("Could not read “%1”: %2").arg(shown, systemError()));
        if (got == 0)
            break;
        // A source may hold more than it declared (a file growing while it is copied).
        copied += got;
        if (copied > maxFileBytes)
            return fail(tr("“%1” is larger than %2 MiB.").arg(shown, megabytes(maxFileBytes)));
        if (copied > maxTotalBytes - m_totalBytes)
            return fail(tr("The pack is larger than %1 MiB.").arg(megabytes(maxTotalBytes)));
        if (copied > declaredSize && !roomFor(got))
            return false;
        for (std::int64_t written = 0; written < got;) {
            const ssize_t put = ::write(out, buffer + written, static_cast<std::size_t>(got - written));
            if (put < 0 && errno == EINTR)
                continue;
            if (put < 0)
                return fail(tr("Could not copy “%1”: %2").arg(shown, systemError()));
            written += put;
        }
    }
    if (!compact(relativePath, target, out, copied))
        return false;
    m_totalBytes += copied;
    return true;
}

// Replaces a padded sound just written at `target` (open on `fd`) by its audio alone; `bytes`
// becomes what is stored.
bool StagingFolder::compact(const QString &relativePath, const QString &target, int fd, std::int64_t &bytes)
{
    const QString shown = NameRules::quoted(relativePath);
    switch (SoundCompactor::judge(fd, bytes)) {
    case SoundCompactor::Verdict::Keep:
        return true;
    case SoundCompactor::Verdict::Refuse:
        return fail(tr("“%1” is far larger than the sound it holds, and its encoding cannot be rewritten without loss.").arg(shown));
    case SoundCompactor::Verdict::Rewrite:
        break;
    }
    QByteArray temporary = QFile::encodeName(target + QStringLiteral(".rewrite-XXXXXX"));
    const int out = ::mkostemp(temporary.data(), O_CLOEXEC);
    if (out < 0)
        return fail(tr("Could not copy “%1”: %2").arg(shown, systemError()));
    const auto closeOut = qScopeGuard([out] { ::close(out); });
    struct stat status {};
    if (!SoundCompactor::rewrite(fd, out) || ::fstat(out, &status) != 0
        || ::rename(temporary.constData(), QFile::encodeName(target).constData()) != 0) {
        ::unlink(temporary.constData());
        return fail(tr("Could not rewrite “%1”, which is far larger than the sound it holds.").arg(shown));
    }
    bytes = status.st_size;
    return true;
}

bool StagingFolder::linkFile(const QString &relativePath, const QString &stagedPath)
{
    struct stat status {};
    if (::lstat(QFile::encodeName(stagedPath).constData(), &status) != 0 || !S_ISREG(status.st_mode))
        return fail(tr("“%1” is not a regular file.").arg(NameRules::quoted(relativePath)));
    // A link takes no new space: the file was held to the caps when it was staged.
    if (!admit(relativePath, status.st_size))
        return false;
    if (::link(QFile::encodeName(stagedPath).constData(), QFile::encodeName(m_path + u'/' + relativePath).constData()) != 0)
        return fail(tr("Could not copy “%1”: %2").arg(NameRules::quoted(relativePath), systemError()));
    ++m_files;
    m_totalBytes += status.st_size;
    return true;
}

bool StagingFolder::sync()
{
    // One flush of the file system instead of a sync per file: thousands of small sounds would
    // each wait for their own journal commit.
    if (::syncfs(m_lock) != 0)
        return fail(tr("Could not write the pack to disk: %1").arg(systemError()));
    return true;
}

void StagingFolder::sweep(const QString &packsFolder)
{
    const QDir folder(packsFolder);
    const QStringList staged = folder.entryList({prefix + u'*'}, QDir::Dirs | QDir::Hidden | QDir::NoSymLinks | QDir::NoDotAndDotDot);
    for (const QString &name : staged) {
        const QString path = folder.filePath(name);
        const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC | O_NOFOLLOW);
        if (fd < 0)
            continue;
        struct stat status {};
        // Held while the folder goes, so an import cannot start using it meanwhile.
        if (::fstat(fd, &status) == 0 && std::time(nullptr) - status.st_mtime >= staleSeconds
            && ::flock(fd, LOCK_EX | LOCK_NB) == 0)
            QDir(path).removeRecursively();
        ::close(fd);
    }
}

} // namespace plinkum
