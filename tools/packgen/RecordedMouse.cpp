#include "tools/packgen/RecordedMouse.h"

namespace plinkum {

namespace {

// keyboardsounds-pro bundles these profiles; all but one name MechVibesPlusPlus as their author.
QString credit(const char *mouse, const QString &author)
{
    return QStringLiteral("Recorded from %1 by %2; bundled with keyboardsounds-pro "
                          "(https://github.com/keyboard-sounds/keyboardsounds-pro), MIT licence, "
                          "copyright 2025 Nathan Fiscaletti")
        .arg(QLatin1String(mouse), author);
}

} // namespace

const std::vector<RecordedMouse> &recordedMice()
{
    static const QString mvpp = QStringLiteral("MechVibesPlusPlus");
    static const std::vector<RecordedMouse> all{
        {"mouse-logitech-g502-lightspeed", "Logitech G502 Lightspeed", 1010, "logitech-g502-lightspeed",
         credit("a Logitech G502 Lightspeed", mvpp)},
        {"mouse-logitech-g502-x", "Logitech G502 X Wireless", 1020, "g502x-wireless",
         credit("a Logitech G502 X Wireless", QStringLiteral("Keyboard Sounds"))},
        {"mouse-logitech-m570", "Logitech M570 Trackball", 1030, "logitech-m570-trackball",
         credit("a Logitech M570 Trackball", mvpp)},
        {"mouse-razer-mamba-elite", "Razer Mamba Elite", 1040, "razer-mamba-elite", credit("a Razer Mamba Elite", mvpp)},
        {"mouse-corsair-m65-elite", "Corsair M65 Elite", 1050, "corsair-m65-elite", credit("a Corsair M65 Elite", mvpp)},
        {"mouse-apple-magic-mouse", "Apple Magic Mouse", 1060, "apple-magic-mouse", credit("an Apple Magic Mouse", mvpp)},
        {"mouse-amazon-gaming-mouse", "Amazon Gaming Mouse", 1070, "amazon-gaming-mouse",
         credit("an Amazon gaming mouse", mvpp)},
    };
    return all;
}

} // namespace plinkum
