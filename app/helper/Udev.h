#pragma once

// What both keyboard-access helpers share: where the rule lives and how udev is told about it.
// The paths are fixed; only a build for the tests points them elsewhere.

#include <cerrno>
#include <csignal>
#include <sys/types.h>
#include <sys/wait.h>
#include <unistd.h>

#ifndef PLINKUM_UDEV_RULE_FILE
#define PLINKUM_UDEV_RULE_FILE "/etc/udev/rules.d/70-plinkum-keyboard-access.rules"
#endif
#ifndef PLINKUM_UDEVADM
#define PLINKUM_UDEVADM "/usr/bin/udevadm"
#endif

// Runs udevadm with a fixed environment; its exit status, or -1.
inline int runUdevadm(const char *const arguments[])
{
    // An ignored SIGCHLD survives exec: the child would be reaped unasked and its status lost.
    signal(SIGCHLD, SIG_DFL);
    const pid_t pid = fork();
    if (pid < 0)
        return -1;
    if (pid == 0) {
        const char *const environment[] = {"PATH=/usr/sbin:/usr/bin:/sbin:/bin", nullptr};
        execve(PLINKUM_UDEVADM, const_cast<char *const *>(arguments), const_cast<char *const *>(environment));
        _exit(127);
    }
    int status = 0;
    pid_t waited = 0;
    do
        waited = waitpid(pid, &status, 0);
    while (waited < 0 && errno == EINTR);
    if (waited != pid)
        return -1;
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// Reloads the rules and re-applies them to keyboards; false when udev could not be told.
inline bool reapplyKeyboardRules()
{
    const char *const reload[] = {PLINKUM_UDEVADM, "control", "--reload", nullptr};
    const char *const trigger[] = {PLINKUM_UDEVADM, "trigger", "--action=change", "--subsystem-match=input",
                                   "--property-match=ID_INPUT_KEYBOARD=1", nullptr};
    const char *const settle[] = {PLINKUM_UDEVADM, "settle", "--timeout=5", nullptr};
    if (runUdevadm(reload) != 0 || runUdevadm(trigger) != 0)
        return false;
    runUdevadm(settle);
    return true;
}
