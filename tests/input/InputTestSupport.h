#pragma once

#include "KeyEvent.h"
#include "KeySink.h"

#include <QDir>
#include <QFile>
#include <QString>
#include <QStringList>

#include <mutex>
#include <vector>

namespace plinkum::test {

// Events written as short words: d<code> down, u<code> up (what the monitor delivers), and for
// what a key source reports, r<code> auto-repeated down and f<code> flags changed.
inline QString word(KeyEvent event)
{
    return QString(event.type == KeyEvent::Type::Down ? "d" : "u") + QString::number(event.keyCode);
}

// Records what a key source reports; any thread may report, any thread may read.
class RecordingSink final : public KeySink {
public:
    void handleKeyDown(KeyCode code, bool isRepeat) override { add((isRepeat ? "r" : "d") + QString::number(code)); }
    void handleKeyUp(KeyCode code) override { add("u" + QString::number(code)); }
    void handleFlagsChanged(KeyCode code) override { add("f" + QString::number(code)); }

    QString text() const
    {
        const std::lock_guard lock(m_mutex);
        return m_words.join(' ');
    }
    void clear()
    {
        const std::lock_guard lock(m_mutex);
        m_words.clear();
    }

private:
    void add(const QString &w)
    {
        const std::lock_guard lock(m_mutex);
        m_words << w;
    }
    mutable std::mutex m_mutex;
    QStringList m_words;
};

// Threads of this process with the given name.
inline int threadsNamed(const QString &name)
{
    int count = 0;
    const QDir tasks("/proc/self/task");
    for (const QString &tid : tasks.entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
        QFile comm(tasks.filePath(tid + "/comm"));
        if (comm.open(QIODevice::ReadOnly) && QString::fromUtf8(comm.readAll()).trimmed() == name)
            ++count;
    }
    return count;
}

} // namespace plinkum::test
