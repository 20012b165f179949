#pragma once

#include <QString>

namespace plinkum {

// Opens a file below a folder held open on a descriptor, without following any link on the way
// and without leaving the folder, so a folder swapped for a link after the pack was checked
// cannot hand over a file from elsewhere. openat2 does it in the kernel; where the kernel lacks
// it the path is walked one openat at a time.
class BeneathOpener {
public:
    enum class Resolution { Kernel, Walk };

    // Opens `relativePath` ('/'-separated; no "..", no absolute path) below `folderFd` for
    // reading, non-blocking (a FIFO does not hang the caller; check the type with fstat): a new
    // descriptor, or -1 with errno set (ELOOP or ENOTDIR where a link stood in the way).
    static int open(int folderFd, const QString &relativePath, Resolution resolution = Resolution::Kernel);
};

} // namespace plinkum
