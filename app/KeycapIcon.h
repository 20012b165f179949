#pragma once

#include <QIcon>
#include <QString>

namespace plinkum {

// The tray icon: a keycap, its top filled while sounds are on, hollow in a dashed outline while
// they are off, and marked with "!" while keys cannot be heard. Symbolic icons named after the
// application id, so that panels which recolour icons to their own text colour can; drawn in a
// mid-grey that stands out on dark and light panels for those that do not.
class KeycapIcon {
public:
    enum class State { On, Paused, Attention };

    static QString name(State state);
    // The installed theme icon when there is one, so that a StatusNotifierItem host gets its name
    // to look up and recolour; the copy built into Plinkum otherwise (a build run in place).
    static QIcon icon(State state);
};

} // namespace plinkum
