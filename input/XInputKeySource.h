#pragma once

#include "input/InputSource.h"
#include "input/UniqueFd.h"

#include <bitset>
#include <memory>
#include <string>

typedef struct _XDisplay Display;

namespace plinkum {

// Listens to an X server's raw key and button events (XInput 2.1 or later, all master devices,
// root window): every key and click any X client would get, even during grabs, with no permission
// beyond the session's.
// Raw events carry no server auto-repeat. Under Wayland an X server only sees keys typed into
// XWayland windows, so this source is meant for X11 sessions.
class XInputKeySource final : public InputSource {
public:
    // Connects to the named display (never the default one); null without XInput 2.1.
    static std::unique_ptr<XInputKeySource> open(const std::string &displayName);

    ~XInputKeySource() override;

    void run(InputSink &sink) override;
    void stop() override;
    std::string_view name() const override { return "XInput2"; }

private:
    XInputKeySource(Display *display, int xiOpcode);
    void handleRawKey(int evtype, int keycode, bool isRepeat, InputSink &sink);

    Display *m_display;
    int m_xiOpcode;
    UniqueFd m_stop;
    bool m_connectionLost = false;
    // Which keys the server has down, for modifiers: a modifier change is a change of this state,
    // not a raw event (a client can send a second release of a key that is already up).
    std::bitset<256> m_down;
};

} // namespace plinkum
