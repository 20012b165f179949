#pragma once

#include <QStandardPaths>
#include <QString>

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <string>
#include <vector>

extern char **environ;

namespace plinkum::test {

// A private Xvfb on a free display number (it picks one and reports it through -displayfd).
class XvfbServer {
public:
    XvfbServer()
    {
        const QString program = QStandardPaths::findExecutable("Xvfb");
        if (program.isEmpty()) {
            m_error = "Xvfb not found (package xvfb)";
            return;
        }
        int fds[2];
        if (::pipe2(fds, O_CLOEXEC) != 0) {
            m_error = "pipe failed";
            return;
        }
        // dup2 onto another number clears close-on-exec for the child's copy.
        const int childFd = fds[1] == 3 ? 4 : 3;
        const std::string path = program.toStdString();
        const std::string fdArg = std::to_string(childFd);
        std::vector<std::string> args{path, "-displayfd", fdArg, "-nolisten", "tcp", "-screen", "0", "320x240x24"};
        std::vector<char *> argv;
        for (std::string &a : args)
            argv.push_back(a.data());
        argv.push_back(nullptr);

        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_adddup2(&actions, fds[1], childFd);
        posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
        posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
        const int rc = posix_spawn(&m_pid, path.c_str(), &actions, nullptr, argv.data(), environ);
        posix_spawn_file_actions_destroy(&actions);
        ::close(fds[1]);
        if (rc != 0) {
            m_pid = -1;
            ::close(fds[0]);
            m_error = "could not start Xvfb";
            return;
        }

        std::string number;
        pollfd p{fds[0], POLLIN, 0};
        while (::poll(&p, 1, 10000) > 0) {
            char c;
            if (::read(fds[0], &c, 1) != 1 || c == '\n')
                break;
            number += c;
        }
        ::close(fds[0]);
        if (number.empty())
            m_error = "Xvfb did not report a display";
        else
            m_display = QString(":") + QString::fromStdString(number);
    }

    ~XvfbServer() { terminate(); }

    void terminate()
    {
        if (m_pid > 0) {
            ::kill(m_pid, SIGTERM);
            ::waitpid(m_pid, nullptr, 0);
            m_pid = -1;
        }
    }

    QString display() const { return m_display; }
    QString error() const { return m_error; }

private:
    pid_t m_pid = -1;
    QString m_display;
    QString m_error;
};

} // namespace plinkum::test
