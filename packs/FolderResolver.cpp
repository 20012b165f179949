#include "packs/FolderResolver.h"

#include "packs/BeneathOpener.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStringList>

#include <algorithm>
#include <cerrno>

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace plinkum::PackLoader {

namespace {

// Links followed per name, as the kernel allows.
constexpr int maxLinks = 40;
// Entries of one folder read to match a name spelt otherwise; a pack holds a few thousand files.
constexpr int maxListing = 65536;

} // namespace

FolderResolver::FolderResolver(const QString &folder, Case names)
    : m_lexical(QDir::cleanPath(QFileInfo(folder).absoluteFilePath())), m_case(names)
{
    m_fd = ::open(QFile::encodeName(m_lexical).constData(), O_PATH | O_DIRECTORY | O_CLOEXEC);
    if (m_fd < 0)
        return;
    char real[PATH_MAX];
    const ssize_t length = ::readlink(QByteArray("/proc/self/fd/" + QByteArray::number(m_fd)).constData(), real, sizeof real);
    if (length > 0 && length < static_cast<ssize_t>(sizeof real) && real[0] == '/')
        m_real = QFile::decodeName(QByteArray(real, length));
    else
        m_real = QFileInfo(m_lexical).canonicalFilePath();
}

FolderResolver::~FolderResolver()
{
    if (m_fd >= 0)
        ::close(m_fd);
}

std::optional<FolderResolver::Resolved> FolderResolver::resolve(const QString &name)
{
    if (m_fd < 0 || m_real.isEmpty() || name.contains(QChar(u'\0')) || name.toUtf8().size() > maxNameBytes)
        return std::nullopt;
    // Lexically first, so sounds/../click.wav stays inside whatever `sounds` is; no ".." is left.
    const QString prefix = m_lexical.endsWith(u'/') ? m_lexical : m_lexical + u'/';
    const QString cleaned = QDir::cleanPath(prefix + name);
    if (!cleaned.startsWith(prefix))
        return std::nullopt;
    const QString relative = cleaned.mid(prefix.size());
    const QStringList parts = relative.split(u'/', Qt::SkipEmptyParts);
    if (parts.isEmpty() || parts.size() > maxDepth)
        return std::nullopt;

    // The folder holding the file is walked once for all the names in it.
    Walk folder;
    if (parts.size() > 1) {
        const QString key = relative.left(relative.lastIndexOf(u'/'));
        auto it = m_folders.constFind(key);
        if (it == m_folders.constEnd())
            it = m_folders.insert(key, walk({}, parts.mid(0, parts.size() - 1)));
        if (!*it)
            return std::nullopt;
        folder = **it;
    }
    if (!folder.isFolder) {
        // Nothing below a missing name or a file exists: the rest is only spelt out.
        return Resolved{folder.parts.join(u'/') + u'/' + parts.last(), folder.caseDiffers};
    }
    const std::optional<Walk> file = walk(folder.parts, {parts.last()});
    if (!file || file->parts.isEmpty())
        return std::nullopt;
    return Resolved{file->parts.join(u'/'), folder.caseDiffers || file->caseDiffers};
}

std::optional<FolderResolver::Walk> FolderResolver::walk(QStringList done, QStringList pending)
{
    Walk walked;
    int links = 0;
    while (!pending.isEmpty()) {
        QString part = pending.takeFirst();
        if (part == QStringLiteral("."))
            continue;
        if (part == QStringLiteral("..")) {
            if (done.isEmpty())
                return std::nullopt;
            done.removeLast();
            walked.isFolder = true;
            continue;
        }
        if (done.size() >= maxDepth)
            return std::nullopt;
        const QString parent = done.join(u'/');
        const Entry *found = &entry(parent.isEmpty() ? part : parent + u'/' + part);
        if (found->kind == Kind::Missing) {
            if (const std::optional<QString> other = respell(parent, part, &walked.caseDiffers)) {
                part = *other;
                found = &entry(parent.isEmpty() ? part : parent + u'/' + part);
            }
        }
        switch (found->kind) {
        case Kind::Unresolvable:
            return std::nullopt;
        case Kind::Folder:
            done.append(part);
            walked.isFolder = true;
            break;
        case Kind::Missing:
        case Kind::File:
            done.append(part);
            walked.isFolder = false;
            if (!pending.isEmpty()) {
                // Nothing below a missing name or a file exists: the rest is only spelt out.
                const QString rest = QDir::cleanPath(done.join(u'/') + u'/' + pending.join(u'/'));
                if (rest == QStringLiteral("..") || rest.startsWith(QStringLiteral("../")))
                    return std::nullopt;
                walked.parts = rest.split(u'/');
                return walked;
            }
            break;
        case Kind::Link: {
            if (++links > maxLinks)
                return std::nullopt;
            const QString &target = found->target;
            if (target.startsWith(u'/')) {
                if (target != m_real && !target.startsWith(m_real + u'/'))
                    return std::nullopt;
                done.clear();
                walked.isFolder = true;
                pending = target.mid(m_real.size()).split(u'/', Qt::SkipEmptyParts) + pending;
            } else {
                pending = target.split(u'/', Qt::SkipEmptyParts) + pending;
            }
            break;
        }
        }
    }
    walked.parts = done;
    return walked;
}

const FolderResolver::Entry &FolderResolver::entry(const QString &relative)
{
    if (const auto it = m_entries.constFind(relative); it != m_entries.constEnd())
        return *it;
    const QByteArray path = QFile::encodeName(relative);
    Entry found;
    struct stat status {};
    if (::fstatat(m_fd, path.constData(), &status, AT_SYMLINK_NOFOLLOW) != 0) {
        found.kind = errno == ENOENT || errno == ENOTDIR ? Kind::Missing : Kind::Unresolvable;
    } else if (S_ISDIR(status.st_mode)) {
        found.kind = Kind::Folder;
    } else if (S_ISLNK(status.st_mode)) {
        char target[PATH_MAX];
        const ssize_t length = ::readlinkat(m_fd, path.constData(), target, sizeof target);
        if (length > 0 && length < static_cast<ssize_t>(sizeof target)) {
            found.kind = Kind::Link;
            found.target = QFile::decodeName(QByteArray(target, length));
        } else {
            found.kind = Kind::Unresolvable;
        }
    } else {
        found.kind = Kind::File;
    }
    return *m_entries.insert(relative, found);
}

const FolderResolver::Listing &FolderResolver::listing(const QString &folder)
{
    if (const auto it = m_listings.constFind(folder); it != m_listings.constEnd())
        return *it;
    QStringList names;
    const int fd = ::openat(m_fd, folder.isEmpty() ? "." : QFile::encodeName(folder).constData(),
                            O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (DIR *dir = fd >= 0 ? ::fdopendir(fd) : nullptr) {
        while (const dirent *item = ::readdir(dir)) {
            if (names.size() >= maxListing)
                break;
            const QString itemName = QFile::decodeName(item->d_name);
            if (itemName != QStringLiteral(".") && itemName != QStringLiteral(".."))
                names.append(itemName);
        }
        ::closedir(dir);
    } else if (fd >= 0) {
        ::close(fd);
    }
    // Sorted, so that of two files differing in case the same one is found every time.
    std::sort(names.begin(), names.end());
    Listing made;
    for (const QString &item : std::as_const(names)) {
        const QString composed = item.normalized(QString::NormalizationForm_C);
        made.composed.insert(composed, item);
        if (m_case == Case::Ignored && !made.folded.contains(composed.toCaseFolded()))
            made.folded.insert(composed.toCaseFolded(), item);
    }
    return *m_listings.insert(folder, made);
}

std::optional<QString> FolderResolver::respell(const QString &folder, const QString &name, bool *caseDiffers)
{
    const Listing &found = listing(folder);
    const QString composed = name.normalized(QString::NormalizationForm_C);
    if (const auto it = found.composed.constFind(composed); it != found.composed.constEnd())
        return *it;
    if (const auto it = found.folded.constFind(composed.toCaseFolded()); it != found.folded.constEnd()) {
        *caseDiffers = true;
        return *it;
    }
    return std::nullopt;
}

int FolderResolver::open(const QString &relative) const
{
    return BeneathOpener::open(m_fd, relative);
}

} // namespace plinkum::PackLoader
