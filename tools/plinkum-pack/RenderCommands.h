#pragma once

#include <QStringList>

// render: plays a scripted key sequence through the real sound engine and mixer into a WAV file,
// so pack authors can hear a pack and tests can check the engine. Takes the arguments after its
// own name and returns the exit code.
namespace plinkum::RenderCommands {

int render(const QStringList &arguments);

} // namespace plinkum::RenderCommands
