#include "Log.h"

#include <cstdio>
#include <mutex>
#include <string>
#include <syslog.h>

namespace plinkum {

void log(std::string_view message)
{
    static std::once_flag opened;
    std::call_once(opened, [] { openlog("plinkum", LOG_PID, LOG_USER); });

    std::string line = "Plinkum: ";
    line.reserve(line.size() + message.size());
    // Messages carry names from packs: control characters would split a journal entry (newline)
    // or drive the terminal showing it (escape sequences), so none gets through. C1 controls are
    // dropped in their UTF-8 form (C2 80 to C2 9F) as well.
    for (std::size_t i = 0; i < message.size(); ++i) {
        const auto c = static_cast<unsigned char>(message[i]);
        if (c == 0xc2 && i + 1 < message.size() && static_cast<unsigned char>(message[i + 1]) >= 0x80
            && static_cast<unsigned char>(message[i + 1]) <= 0x9f) {
            line += '?';
            ++i;
        } else if (c == '\n' || c == '\r' || c == '\t') {
            line += ' ';
        } else if (c < 0x20 || c == 0x7f) {
            line += '?';
        } else {
            line += static_cast<char>(c);
        }
    }
    std::fprintf(stderr, "%s\n", line.c_str());
    syslog(LOG_NOTICE, "%s", line.c_str() + 9);
}

} // namespace plinkum
