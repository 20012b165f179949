// plinkum-revoke-keyboard-access: run as root through pkexec (or by the package's removal), it
// takes back what plinkum-grant-keyboard-access gave: it removes the one fixed udev rule file and
// re-applies the rules. It takes no arguments, reads no input and trusts no environment. With no
// rule installed there is nothing to do, and that is a success.
#include "app/helper/Udev.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <unistd.h>

int main(int argc, char **)
{
    if (argc != 1) {
        std::fprintf(stderr, "plinkum-revoke-keyboard-access takes no arguments\n");
        return 2;
    }
    // unlink removes a link planted at the path, never what it points to.
    if (unlink(PLINKUM_UDEV_RULE_FILE) != 0) {
        if (errno == ENOENT)
            return 0;
        std::fprintf(stderr, "plinkum-revoke-keyboard-access: cannot remove %s: %s\n", PLINKUM_UDEV_RULE_FILE,
                     std::strerror(errno));
        return 1;
    }
    if (!reapplyKeyboardRules()) {
        std::fprintf(stderr, "plinkum-revoke-keyboard-access: the rule is removed; udev will forget it at the next start\n");
        return 3;
    }
    return 0;
}
