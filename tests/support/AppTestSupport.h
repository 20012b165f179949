#pragma once

#include "app/AppState.h"
#include "input/EvdevKeySource.h"
#include "tests/support/InputTestSupport.h"
#include "audio/NullOutput.h"
#include "tests/support/TestPacks.h"

#include <QDir>
#include <QTemporaryDir>

#include <atomic>

// An AppState for tests: small packs, a null output counting its starts, a pipe as keyboard.
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

// One run's folders: built-in mx-brown-pbt and alpaca, empty user folder, settings and autostart.
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
        TestPacks::writeFolder(builtIn + QStringLiteral("/mx-brown-pbt"), TestPacks::validPack("MX Brown PBT", "Tactile", 1));
        TestPacks::writeFolder(builtIn + QStringLiteral("/alpaca"), TestPacks::validPack("Alpaca", "Tactile", 2));
        QDir().mkpath(user);
    }

    plinkum::AppState::Services services(std::function<bool()> access = [] { return true; },
                                         plinkum::test::Pipe *keyboard = nullptr) const
    {
        plinkum::AppState::Services services;
        services.output = std::make_unique<CountingOutput>(&starts);
        services.hasKeyboardAccess = std::move(access);
        services.openKeySource = [keyboard] {
            std::vector<plinkum::UniqueFd> devices;
            if (keyboard)
                devices.push_back(std::move(keyboard->read));
            return plinkum::EvdevKeySource::fromDescriptors(std::move(devices));
        };
        services.settingsPath = settings;
        services.autostartPath = autostart;
        services.builtInPacksFolder = builtIn;
        services.userPacksFolder = user;
        // No session to follow; an unnamed connection is not looked up, so QtDBus starts no thread.
        services.systemBus = QDBusConnection(QString());
        return services;
    }
};

} // namespace AppTestSupport
