#pragma once

#include <cstdint>
#include <optional>

namespace plinkum {

// How large a zip's central directory says it is, read from its end records (and their zip64
// forms) before any archive library reads the directory itself: a directory claiming a million
// entries is refused for the price of reading the file's last 64 KiB.
class ZipDirectory {
public:
    std::uint64_t entries = 0;
    std::uint64_t bytes = 0;

    // The largest of what every end record in the file's tail claims, since the one a reader
    // picks cannot be told for sure; nothing when there is none (not a zip, or one truncated).
    static std::optional<ZipDirectory> read(int fd);
};

} // namespace plinkum
