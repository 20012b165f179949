// plinkum-grant-keyboard-access: run as root through pkexec, it lets the user at the seat read
// keyboards by installing one fixed udev rule (TAG+="uaccess" for keyboard event devices) and
// re-applying the rules. It takes no arguments, reads no input and trusts no environment: the
// only thing it ever writes is the rule file below.
#include "KeyboardAccessRule.h"
#include "app/helper/Udev.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

bool writeAll(int fd, const char *data, size_t size)
{
    while (size > 0) {
        const ssize_t written = write(fd, data, size);
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0)
            return false;
        data += written;
        size -= static_cast<size_t>(written);
    }
    return true;
}

// Written beside the target and renamed over it, so udev never reads half a rule and a link
// planted at the target is replaced, not followed.
bool installRule()
{
    constexpr char target[] = PLINKUM_UDEV_RULE_FILE;
    char temporary[sizeof target + 8];
    std::snprintf(temporary, sizeof temporary, "%s.XXXXXX", target);
    const int fd = mkostemp(temporary, O_CLOEXEC);
    if (fd < 0) {
        std::fprintf(stderr, "plinkum-grant-keyboard-access: cannot write %s: %s\n", target, std::strerror(errno));
        return false;
    }
    const bool ok = fchmod(fd, 0644) == 0 && writeAll(fd, keyboardAccessRule, sizeof keyboardAccessRule - 1) && fsync(fd) == 0;
    close(fd);
    if (!ok || rename(temporary, target) != 0) {
        std::fprintf(stderr, "plinkum-grant-keyboard-access: cannot write %s: %s\n", target, std::strerror(errno));
        unlink(temporary);
        return false;
    }
    return true;
}

} // namespace

int main(int argc, char **)
{
    if (argc != 1) {
        std::fprintf(stderr, "plinkum-grant-keyboard-access takes no arguments\n");
        return 2;
    }
    umask(022);
    if (!installRule())
        return 1;
    if (!reapplyKeyboardRules()) {
        std::fprintf(stderr, "plinkum-grant-keyboard-access: the rule is installed; udev will apply it at the next start\n");
        return 3;
    }
    return 0;
}
