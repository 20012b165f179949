#include "packs/ZipDirectory.h"

#include <QByteArray>

#include <algorithm>
#include <cerrno>

#include <sys/stat.h>
#include <unistd.h>

namespace plinkum {

namespace {

// Record sizes and signatures of the zip format (APPNOTE 4.3.14 to 4.3.16).
constexpr qsizetype endSize = 22;
constexpr qsizetype maxComment = 0xffff;
constexpr qsizetype locatorSize = 20;
constexpr qsizetype end64Size = 56;
constexpr char endSignature[] = "PK\x05\x06";
constexpr char locatorSignature[] = "PK\x06\x07";
constexpr char end64Signature[] = "PK\x06\x06";

std::uint64_t little(const char *p, int bytes)
{
    std::uint64_t value = 0;
    for (int i = bytes - 1; i >= 0; --i)
        value = value << 8 | static_cast<unsigned char>(p[i]);
    return value;
}

bool readAt(int fd, char *buffer, qsizetype size, off_t offset)
{
    qsizetype done = 0;
    while (done < size) {
        const ssize_t got = ::pread(fd, buffer + done, static_cast<std::size_t>(size - done), offset + done);
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0)
            return false;
        done += got;
    }
    return true;
}

} // namespace

std::optional<ZipDirectory> ZipDirectory::read(int fd)
{
    struct stat status {};
    if (::fstat(fd, &status) != 0 || status.st_size < endSize)
        return std::nullopt;
    const qsizetype tailSize = static_cast<qsizetype>(std::min<off_t>(status.st_size, endSize + maxComment));
    const off_t tailStart = status.st_size - tailSize;
    QByteArray tail(tailSize, Qt::Uninitialized);
    if (!readAt(fd, tail.data(), tailSize, tailStart))
        return std::nullopt;

    std::optional<ZipDirectory> claimed;
    for (qsizetype at = tail.lastIndexOf(endSignature, tailSize - endSize); at >= 0;
         at = at > 0 ? tail.lastIndexOf(endSignature, at - 1) : -1) {
        const char *end = tail.constData() + at;
        ZipDirectory record{little(end + 10, 2), little(end + 12, 4)};
        // A zip64 locator just before the record points at the record holding the real counts.
        char locator[locatorSize];
        const off_t endOffset = tailStart + at;
        if (endOffset >= locatorSize && readAt(fd, locator, locatorSize, endOffset - locatorSize)
            && QByteArray::fromRawData(locator, 4) == locatorSignature) {
            char end64[end64Size];
            const std::uint64_t offset = little(locator + 8, 8);
            if (status.st_size >= end64Size && offset <= static_cast<std::uint64_t>(status.st_size - end64Size)
                && readAt(fd, end64, end64Size, static_cast<off_t>(offset))
                && QByteArray::fromRawData(end64, 4) == end64Signature) {
                record.entries = std::max({record.entries, little(end64 + 24, 8), little(end64 + 32, 8)});
                record.bytes = std::max(record.bytes, little(end64 + 40, 8));
            }
        }
        record.entries = std::max(record.entries, little(end + 8, 2));
        if (!claimed)
            claimed = record;
        claimed->entries = std::max(claimed->entries, record.entries);
        claimed->bytes = std::max(claimed->bytes, record.bytes);
    }
    return claimed;
}

} // namespace plinkum
