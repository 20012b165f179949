#include "packs/BeneathOpener.h"

#include <QFile>
#include <QStringList>

#include <cerrno>

#include <fcntl.h>
#include <linux/openat2.h>
#include <sys/syscall.h>
#include <unistd.h>

namespace plinkum {

namespace {

constexpr int fileFlags = O_RDONLY | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY;

int walk(int folderFd, const QStringList &parts)
{
    int folder = folderFd;
    for (qsizetype i = 0; i + 1 < parts.size(); ++i) {
        const int next = ::openat(folder, QFile::encodeName(parts[i]).constData(), O_PATH | O_CLOEXEC | O_DIRECTORY | O_NOFOLLOW);
        const int saved = errno;
        if (folder != folderFd)
            ::close(folder);
        errno = saved;
        if (next < 0)
            return -1;
        folder = next;
    }
    const int fd = ::openat(folder, QFile::encodeName(parts.last()).constData(), fileFlags);
    const int saved = errno;
    if (folder != folderFd)
        ::close(folder);
    errno = saved;
    return fd;
}

} // namespace

int BeneathOpener::open(int folderFd, const QString &relativePath, Resolution resolution)
{
    const QStringList parts = relativePath.split(u'/');
    for (const QString &part : parts) {
        if (part.isEmpty() || part == u"." || part == u".." || part.contains(QChar(u'\0'))) {
            errno = EINVAL;
            return -1;
        }
    }
    if (resolution == Resolution::Kernel) {
        open_how how{};
        how.flags = fileFlags;
        how.resolve = RESOLVE_BENEATH | RESOLVE_NO_SYMLINKS | RESOLVE_NO_MAGICLINKS;
        const long fd = ::syscall(SYS_openat2, folderFd, QFile::encodeName(relativePath).constData(), &how, sizeof how);
        // Old kernels lack the call; some sandboxes refuse unknown calls with EPERM.
        if (fd >= 0 || (errno != ENOSYS && errno != EPERM))
            return static_cast<int>(fd);
    }
    return walk(folderFd, parts);
}

} // namespace plinkum
