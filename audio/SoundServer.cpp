#include "audio/SoundServer.h"

#include "audio/PipeWireOutput.h"
#include "audio/PulseOutput.h"

#include <cstdlib>
#include <fstream>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

namespace plinkum {

namespace {

std::string variable(const char *name)
{
    const char *value = std::getenv(name);
    return value ? value : "";
}

} // namespace

SoundServer::Environment SoundServer::Environment::fromProcess()
{
    return Environment{variable("PLINKUM_AUDIO"),   variable("PULSE_SERVER"),         variable("PULSE_RUNTIME_PATH"),
                       variable("PIPEWIRE_REMOTE"), variable("PIPEWIRE_RUNTIME_DIR"), variable("XDG_RUNTIME_DIR")};
}

SoundServer::Kind SoundServer::choose(const Environment &environment, const SocketOwner &owner)
{
    if (environment.override == "pipewire")
        return Kind::PipeWire;
    if (environment.override == "pulseaudio")
        return Kind::PulseAudio;
    if (!environment.pulseServer.empty())
        return Kind::PulseAudio;

    const std::string remote = environment.pipeWireRemote.empty() ? "pipewire-0" : environment.pipeWireRemote;
    const std::string pipeWireDir = environment.pipeWireRuntimeDir.empty() ? environment.runtimeDir
                                                                            : environment.pipeWireRuntimeDir;
    const std::string pipeWireSocket = remote.front() == '/' ? remote : pipeWireDir + '/' + remote;
    if ((pipeWireDir.empty() && remote.front() != '/') || !owner(pipeWireSocket))
        return Kind::PulseAudio;

    const std::string pulseDir = environment.pulseRuntimePath.empty() ? environment.runtimeDir + "/pulse"
                                                                       : environment.pulseRuntimePath;
    const std::optional<std::string> pulse = owner(pulseDir + "/native");
    if (pulse && pulse->rfind("pipewire", 0) != 0)
        return Kind::PulseAudio;
    return Kind::PipeWire;
}

SoundServer::Kind SoundServer::detect()
{
    return choose(Environment::fromProcess(), &SoundServer::socketOwner);
}

std::unique_ptr<AudioOutput> SoundServer::makeOutput(Kind kind)
{
    if (kind == Kind::PipeWire)
        return std::make_unique<PipeWireOutput>();
    return std::make_unique<PulseOutput>();
}

const char *SoundServer::name(Kind kind)
{
    return kind == Kind::PipeWire ? "PipeWire (native)" : "PulseAudio";
}

std::optional<std::string> SoundServer::socketOwner(const std::string &path)
{
    sockaddr_un address{};
    if (path.size() >= sizeof address.sun_path)
        return std::nullopt;
    address.sun_family = AF_UNIX;
    path.copy(address.sun_path, path.size());
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0)
        return std::nullopt;
    // A local connect answers at once: the listener's backlog accepts it or it is refused.
    const bool connected = ::connect(fd, reinterpret_cast<sockaddr *>(&address), sizeof address) == 0;
    ucred peer{};
    socklen_t size = sizeof peer;
    const bool known = connected && ::getsockopt(fd, SOL_SOCKET, SO_PEERCRED, &peer, &size) == 0;
    ::close(fd);
    if (!connected)
        return std::nullopt;
    std::string comm;
    if (known)
        std::getline(std::ifstream("/proc/" + std::to_string(peer.pid) + "/comm"), comm);
    return comm;
}

} // namespace plinkum
