#pragma once

#include <string>
#include <string_view>

namespace plinkum {

// Writes one diagnostic line "Plinkum: <message>" to stderr and the system journal (syslog),
// control characters replaced.
// Never pass key codes or anything typed: keystrokes are private.
// Not for the audio callback (it takes locks and makes system calls).
void log(std::string_view message);

// The same line written by a writer thread, for threads that must not wait on stderr or the
// journal (the keyboard thread). Lines beyond a short backlog are dropped.
void logLater(std::string message);

} // namespace plinkum
