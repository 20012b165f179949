#pragma once

#include "AppState.h"
#include "KeySource.h"
#include "NullOutput.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QDataStream>

#include <atomic>
#include <condition_variable>
#include <deque>
#include <mutex>

// What the application-state tests build an AppState from: small packs written on the spot,
// a null audio output that counts its starts, and a key source the test types into.
namespace AppTestSupport {

// A silent-enough output that runs the mixer in real time and counts how often it was started.
class CountingOutput : public plinkum::NullOutput {
public:
    explicit CountingOutput(std::atomic<int> *starts) : m_starts(starts) {}
    // The output's thread calls into this object until it is stopped.
    ~CountingOutput() override { stop(); }
    std::optional<std::string> start(plinkum::Mixer &mixer, bool preferBuiltIn) override
    {
        ++*m_starts;
        return NullOutput::start(mixer, preferBuiltIn);
    }

private:
    std::atomic<int> *m_starts;
};

// Delivers what the test types on the monitor's thread, like a real source.
class FakeKeySource : public plinkum::KeySource {
public:
    void run(plinkum::KeySink &sink) override
    {
        std::unique_lock lock(m_mutex);
        for (;;) {
            m_wake.wait(lock, [this] { return m_stopped || !m_pending.empty(); });
            if (m_stopped)
                return;
            const auto [code, down] = m_pending.front();
            m_pending.pop_front();
            lock.unlock();
            if (down)
                sink.handleKeyDown(code, false);
            else
                sink.handleKeyUp(code);
            lock.lock();
        }
    }
    void stop() override
    {
        std::lock_guard lock(m_mutex);
        m_stopped = true;
        m_wake.notify_all();
    }
    std::string_view name() const override { return "fake"; }

    void type(plinkum::KeyCode code, bool down)
    {
        std::lock_guard lock(m_mutex);
        m_pending.emplace_back(code, down);
        m_wake.notify_all();
    }

private:
    std::mutex m_mutex;
    std::condition_variable m_wake;
    std::deque<std::pair<plinkum::KeyCode, bool>> m_pending;
    bool m_stopped = false;
};

inline void writeFile(const QString &path, const QByteArray &content)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    file.open(QIODevice::WriteOnly);
    file.write(content);
}

// A 16-bit mono 48 kHz WAV click: a short decaying square burst, loud enough not to be trimmed.
inline QByteArray clickWav()
{
    const quint32 frames = 2400;
    QByteArray data;
    QDataStream out(&data, QIODevice::WriteOnly);
    out.setByteOrder(QDataStream::LittleEndian);
    out.writeRawData("RIFF", 4);
    out << quint32(36 + frames * 2);
    out.writeRawData("WAVEfmt ", 8);
    out << quint32(16) << quint16(1) << quint16(1) << quint32(48000) << quint32(96000) << quint16(2) << quint16(16);
    out.writeRawData("data", 4);
    out << quint32(frames * 2);
    for (quint32 i = 0; i < frames; ++i)
        out << qint16(20000.0 * (1.0 - double(i) / frames) * ((i / 12) % 2 ? 1 : -1));
    return data;
}

inline void writePack(const QString &folder, const QString &name, int order = 0)
{
    writeFile(folder + QStringLiteral("/click.wav"), clickWav());
    writeFile(folder + QStringLiteral("/pack.json"),
              QStringLiteral(R"({"name":"%1","type":"Tactile","order":%2,"down":{"standard":["click.wav"]}})")
                  .arg(name)
                  .arg(order)
                  .toUtf8());
}

// The folders of one test run: built-in packs mx-brown-pbt and alpaca, an empty user folder,
// the settings and autostart files, and how often the audio output was started.
struct Folders {
    mutable std::atomic<int> starts = 0;
    QTemporaryDir root;
    QString base; // root, or another process's folders
    QString builtIn = base + QStringLiteral("/builtin");
    QString user = base + QStringLiteral("/user");
    QString settings = base + QStringLiteral("/config/Plinkum/Plinkum.conf");
    QString autostart = base + QStringLiteral("/config/autostart/plinkum.desktop");

    explicit Folders(const QString &existing) : base(existing) {}
    Folders() : base(root.path())
    {
        writePack(builtIn + QStringLiteral("/mx-brown-pbt"), QStringLiteral("MX Brown PBT"), 1);
        writePack(builtIn + QStringLiteral("/alpaca"), QStringLiteral("Alpaca"), 2);
        QDir().mkpath(user);
    }

    plinkum::AppState::Services services(std::function<bool()> access = [] { return true; },
                                         FakeKeySource **source = nullptr) const
    {
        plinkum::AppState::Services services;
        services.output = std::make_unique<CountingOutput>(&starts);
        services.hasKeyboardAccess = std::move(access);
        services.openKeySource = [source]() -> std::unique_ptr<plinkum::KeySource> {
            auto fake = std::make_unique<FakeKeySource>();
            if (source)
                *source = fake.get();
            return fake;
        };
        services.settingsPath = settings;
        services.autostartPath = autostart;
        services.builtInPacksFolder = builtIn;
        services.userPacksFolder = user;
        return services;
    }
};

} // namespace AppTestSupport
