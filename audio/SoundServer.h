#pragma once

#include "audio/AudioOutput.h"

#include <functional>
#include <memory>
#include <optional>
#include <string>

namespace plinkum {

// Which sound server the session runs, so that Plinkum speaks to it natively: PipeWire's own
// protocol when PipeWire serves the session's sound (its PulseAudio emulation costs ~15 ms per
// key), libpulse otherwise. PLINKUM_AUDIO=pipewire or pulseaudio overrides it for diagnosis.
class SoundServer {
public:
    enum class Kind { PulseAudio, PipeWire };

    struct Environment {
        std::string override;         // PLINKUM_AUDIO
        std::string pulseServer;      // PULSE_SERVER
        std::string pulseRuntimePath; // PULSE_RUNTIME_PATH
        std::string pipeWireRemote;   // PIPEWIRE_REMOTE
        std::string pipeWireRuntimeDir; // PIPEWIRE_RUNTIME_DIR
        std::string runtimeDir;       // XDG_RUNTIME_DIR

        static Environment fromProcess();
    };

    // The name of the process serving a Unix socket; nothing when no one accepts there.
    using SocketOwner = std::function<std::optional<std::string>(const std::string &path)>;

    // PipeWire when its socket answers and the PulseAudio socket, if any, is served by PipeWire
    // too; PulseAudio when a server was named in PULSE_SERVER or a PulseAudio daemon serves.
    static Kind choose(const Environment &environment, const SocketOwner &owner);
    static Kind detect();

    static std::unique_ptr<AudioOutput> makeOutput(Kind kind);
    static const char *name(Kind kind);

    static std::optional<std::string> socketOwner(const std::string &path);
};

} // namespace plinkum
