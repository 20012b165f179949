#include "tools/packgen/RecordedSwitch.h"

namespace plinkum {

namespace {

using From = RecordedSwitch::From;

// Mechvibes' own packs do not name who recorded them; its licence names Hai Nguyen.
const QString mechvibes = QStringLiteral(
    "Recorded key by key for Mechvibes (https://github.com/hainguyents13/mechvibes), "
    "MIT licence, copyright 2021 Hai Nguyen");
const QString kbsim = QStringLiteral(
    "Recorded for the kbsim keyboard simulator by Thomas Lai (https://github.com/tplai/kbsim), MIT licence");

} // namespace

const std::vector<RecordedSwitch> &recordedSwitches()
{
    static const std::vector<RecordedSwitch> all{
        {"mx-red", "Cherry MX Red · PBT", "Linear", 10, From::Mechvibes, "cherrymx-red-pbt", mechvibes},
        {"mx-black", "Cherry MX Black · PBT", "Linear", 20, From::Mechvibes, "cherrymx-black-pbt", mechvibes},
        {"red-ink", "Gateron Red Ink", "Linear", 40, From::Kbsim, "redink", kbsim},
        {"black-ink", "Gateron Black Ink", "Linear", 50, From::Kbsim, "blackink", kbsim},
        {"nk-cream", "NovelKeys Cream", "Linear", 60, From::Mechvibes, "nk-cream",
         "Recorded key by key, credited in its Mechvibes pack as \"original by Ryan\"; shipped with Mechvibes "
         "(https://github.com/hainguyents13/mechvibes), MIT licence, copyright 2021 Hai Nguyen"},
        {"alpaca", "Alpaca", "Linear", 70, From::Kbsim, "alpaca", kbsim},
        {"tealios", "Turquoise Tealios", "Linear", 80, From::Kbsim, "turquoise", kbsim},
        {"mx-brown-pbt", "Cherry MX Brown · PBT", "Tactile", 90, From::Mechvibes, "cherrymx-brown-pbt", mechvibes},
        {"mx-brown-abs", "Cherry MX Brown · ABS", "Tactile", 100, From::Mechvibes, "cherrymx-brown-abs", mechvibes},
        {"holy-panda", "Holy Panda", "Tactile", 110, From::Kbsim, "holypanda", kbsim},
        {"topre", "Topre Purple Hybrid · PBT", "Tactile", 130, From::Mechvibes, "topre-purple-hybrid-pbt", mechvibes},
        {"mx-blue", "Cherry MX Blue · PBT", "Clicky", 140, From::Mechvibes, "cherrymx-blue-pbt", mechvibes},
        {"box-navy", "Kailh Box Navy", "Clicky", 170, From::Kbsim, "boxnavy", kbsim},
        {"alps-blue", "Alps SKCM Blue", "Clicky", 180, From::Kbsim, "bluealps", kbsim},
    };
    return all;
}

} // namespace plinkum
