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
    line.append(message);
    // A newline inside a message would split it into two journal entries.
    for (char &c : line)
        if (c == '\n' || c == '\r')
            c = ' ';
    std::fprintf(stderr, "%s\n", line.c_str());
    syslog(LOG_NOTICE, "%s", line.c_str() + 9);
}

} // namespace plinkum
