#pragma once

#include "keys/InputEvent.h"
#include "keys/InputSink.h"
#include "input/InputSource.h"
#include "input/KeyboardMonitor.h"
#include "input/UniqueFd.h"

#include <QtTest>

#include <fcntl.h>
#include <linux/input.h>
#include <pthread.h>
#include <unistd.h>

#include <atomic>
#include <functional>
#include <mutex>
#include <vector>

namespace plinkum::test {

// Events as words (d/u<code> key, bd/bu<n> button, r<code> repeat, m<code> modifier), any thread.
class Recorder final : public InputSink {
public:
    void handleKeyDown(KeyCode code, bool isRepeat) override { add(isRepeat ? "r" : "d", code); }
    void handleKeyUp(KeyCode code) override { add("u", code); }
    void handleModifierChanged(KeyCode code) override { add("m", code); }
    void handleButton(PointerButton button, bool down) override { add(down ? "bd" : "bu", KeyCode(button)); }

    // A monitor handler; notes any event delivered off the monitor thread.
    KeyboardMonitor::Handler handler()
    {
        return [this](InputEvent e) {
            char name[16] = {};
            pthread_getname_np(pthread_self(), name, sizeof(name));
            offThread = offThread || QString(name) != KeyboardMonitor::threadName;
            add(e.isKey() ? (e.down ? "d" : "u") : (e.down ? "bd" : "bu"), e.code);
        };
    }

    QString text() const
    {
        const std::lock_guard lock(m_mutex);
        return m_words.join(' ');
    }

    std::atomic<bool> offThread{false};

private:
    void add(const char *type, KeyCode code)
    {
        const std::lock_guard lock(m_mutex);
        m_words << type + QString::number(code);
    }
    mutable std::mutex m_mutex;
    QStringList m_words;
};

// A non-blocking pipe standing in for an evdev node.
struct Pipe {
    UniqueFd read, write;
    Pipe()
    {
        int fds[2];
        QVERIFY(::pipe2(fds, O_CLOEXEC | O_NONBLOCK) == 0);
        read.reset(fds[0]);
        write.reset(fds[1]);
    }
    void send(const std::vector<input_event> &events) const
    {
        const auto size = events.size() * sizeof(input_event);
        QCOMPARE(::write(write.get(), events.data(), size), ssize_t(size));
    }
    // One key event and its SYN_REPORT.
    void key(unsigned code, int value) const
    {
        send({{{}, EV_KEY, static_cast<__u16>(code), value}, {{}, EV_SYN, SYN_REPORT, 0}});
    }
};

// A source that plays its script then ends by itself, as when its X server goes away.
class EndingSource final : public InputSource {
public:
    explicit EndingSource(std::function<void(InputSink &)> script = [](InputSink &) {}) : m_script(std::move(script)) {}
    void run(InputSink &sink) override { m_script(sink); }
    void stop() override {}
    std::string_view name() const override { return "ending"; }

private:
    std::function<void(InputSink &)> m_script;
};

inline int threadsNamed(const QString &name)
{
    int count = 0;
    const QDir tasks("/proc/self/task");
    for (const QString &tid : tasks.entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
        QFile comm(tasks.filePath(tid + "/comm"));
        count += comm.open(QIODevice::ReadOnly) && comm.readAll().trimmed() == name.toUtf8();
    }
    return count;
}

} // namespace plinkum::test
