#pragma once

#include <functional>
#include <optional>
#include <string>

namespace plinkum {

class Mixer;

// Where the mixer's sound goes. The engine owns one; tests and headless runs put a null or WAV
// output in place of the sound server.
class AudioOutput {
public:
    virtual ~AudioOutput() = default;

    // Starts pulling sound from mixer, or, when already running, re-checks which device to play
    // on. preferBuiltIn asks for the built-in speakers over the default device. Never waits for
    // a sound server: connecting and routing finish on the output's own thread, which logs a
    // failure and keeps retrying; the returned reason is for failures known at once. Main thread.
    virtual std::optional<std::string> start(Mixer &mixer, bool preferBuiltIn) = 0;

    virtual bool isRunning() const = 0;

    // Outputs that sleep after a few seconds of silence (no callbacks, nothing asked of the
    // server) report it here.
    virtual bool isAsleep() const { return false; }

    // A start was queued on the mixer. Any thread; never blocks and never takes a lock, so the
    // keyboard thread may call it on every press.
    virtual void wake() noexcept {}

    // The handler runs on the output's own thread whenever the default device or the set of
    // devices changes; it must hand the work to another thread rather than call start itself.
    virtual void setDevicesChangedHandler(std::function<void()> handler) = 0;

    // The device the output plays on, empty when it has none or devices have no names.
    virtual std::string currentDevice() const = 0;

    // For diagnostics: the latency the sound server granted, in milliseconds, and what it is
    // made of in the server's terms. Nothing until the stream has settled, or without a server.
    struct Latency {
        double milliseconds = 0.0;
        std::string detail;
    };
    virtual std::optional<Latency> latency() const { return std::nullopt; }
};

} // namespace plinkum
