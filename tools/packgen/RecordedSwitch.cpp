#include "RecordedSwitch.h"

namespace plinkum {

namespace {

// Mechvibes' own packs do not name who recorded them; its licence names Hai Nguyen.
const QString mechvibes = QStringLiteral(
    "Recorded key by key for Mechvibes (https://github.com/hainguyents13/mechvibes), "
    "MIT licence, copyright 2021 Hai Nguyen");

} // namespace

const std::vector<RecordedSwitch> &recordedSwitches()
{
    static const std::vector<RecordedSwitch> all{
        {"mx-red", "Cherry MX Red · PBT", "Linear", 10, "cherrymx-red-pbt", mechvibes, {}},
        {"mx-black", "Cherry MX Black · PBT", "Linear", 20, "cherrymx-black-pbt", mechvibes, {}},
        {"nk-cream", "NovelKeys Cream", "Linear", 60, "nk-cream",
         "Recorded key by key, credited in its Mechvibes pack as \"original by Ryan\"; shipped with Mechvibes "
         "(https://github.com/hainguyents13/mechvibes), MIT licence, copyright 2021 Hai Nguyen",
         {}},
        {"mx-brown-pbt", "Cherry MX Brown · PBT", "Tactile", 90, "cherrymx-brown-pbt", mechvibes, {}},
        {"mx-brown-abs", "Cherry MX Brown · ABS", "Tactile", 100, "cherrymx-brown-abs", mechvibes, {}},
        {"holy-panda", "Holy Panda", "Tactile", 110, "holy-pandas",
         "Recorded sounds from kbsim (https://github.com/tplai/kbsim, MIT licence, copyright Thomas Lai), shipped "
         "with Mechvibes (https://github.com/hainguyents13/mechvibes), MIT licence, copyright 2021 Hai Nguyen",
         "LICENSE"},
        {"topre", "Topre Purple Hybrid · PBT", "Tactile", 130, "topre-purple-hybrid-pbt", mechvibes, {}},
        {"mx-blue", "Cherry MX Blue · PBT", "Clicky", 140, "cherrymx-blue-pbt", mechvibes, {}},
    };
    return all;
}

} // namespace plinkum
