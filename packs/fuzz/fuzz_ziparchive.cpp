// Feeds arbitrary bytes to the zip import as an archive file: it must unpack or refuse with a
// message, never crash, leak or hang, and what it unpacks stays in its staging folder.

#include "packs/PackArchive.h"
#include "packs/StagingFolder.h"

#include <QDir>
#include <QTemporaryDir>

#include <cstddef>
#include <cstdint>

#include <sys/mman.h>
#include <unistd.h>

using namespace plinkum;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    static const QTemporaryDir packs(QDir::tempPath() + QStringLiteral("/plinkum-fuzz-XXXXXX"));
    const int fd = ::memfd_create("archive.zip", MFD_CLOEXEC);
    if (fd < 0 || ::write(fd, data, size) != static_cast<ssize_t>(size))
        __builtin_trap();
    {
        StagingFolder staging(packs.path());
        if (!staging.isValid())
            __builtin_trap();
        QString error;
        const std::optional<QString> folder =
            PackArchive::unpack(QStringLiteral("/proc/self/fd/%1").arg(fd), staging, &error);
        if (folder ? !folder->startsWith(staging.path() + u'/') : error.isEmpty())
            __builtin_trap(); // outside its staging folder, or a refusal that does not say why
    }
    ::close(fd);
    return 0;
}
