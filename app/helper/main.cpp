// plinkum-grant-keyboard-access: run as root through pkexec, it lets the user at the seat read
// keyboards by installing one fixed udev rule (TAG+="uaccess" for keyboard event devices) and
// re-applying the rules. It takes no arguments, reads no input and trusts no environment: the
// only thing it ever writes is the rule file below.
#include "KeyboardAccessRule.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#ifndef PLINKUM_UDEV_RULE_FILE
#define PLINKUM_UDEV_RULE_FILE "/etc/udev/rules.d/70-plinkum-keyboard-access.rules"
#endif
#ifndef PLINKUM_UDEVADM
#define PLINKUM_UDEVADM "/usr/bin/udevadm"
#endif

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

int runUdevadm(const char *const arguments[])
{
    const pid_t pid = fork();
    if (pid < 0)
        return -1;
    if (pid == 0) {
        const char *const environment[] = {"PATH=/usr/sbin:/usr/bin:/sbin:/bin", nullptr};
        execve(PLINKUM_UDEVADM, const_cast<char *const *>(arguments), const_cast<char *const *>(environment));
        _exit(127);
    }
    int status = 0;
    while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
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
    const char *const reload[] = {PLINKUM_UDEVADM, "control", "--reload", nullptr};
    const char *const trigger[] = {PLINKUM_UDEVADM, "trigger", "--action=change", "--subsystem-match=input",
                                   "--property-match=ID_INPUT_KEYBOARD=1", nullptr};
    const char *const settle[] = {PLINKUM_UDEVADM, "settle", "--timeout=5", nullptr};
    if (runUdevadm(reload) != 0 || runUdevadm(trigger) != 0) {
        std::fprintf(stderr, "plinkum-grant-keyboard-access: the rule is installed; udev will apply it at the next start\n");
        return 3;
    }
    runUdevadm(settle);
    return 0;
}
