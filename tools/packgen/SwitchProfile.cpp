#include "SwitchProfile.h"

namespace plinkum {

namespace {

using M = SwitchProfile::Mechanism;

SwitchProfile base(QString folder, QString name, QString type, int order, M mechanism, bool pbt)
{
    SwitchProfile p;
    p.folder = std::move(folder);
    p.name = std::move(name);
    p.type = std::move(type);
    p.order = order;
    p.mechanism = mechanism;
    p.pbt = pbt;
    // Keycap material sets the first guess for the cap modes and the click colour.
    p.capFrequency = pbt ? 1650 : 2600;
    p.capDecay = pbt ? 0.004 : 0.007;
    p.brightness = pbt ? 4200 : 8000;
    return p;
}

std::vector<SwitchProfile> makeProfiles()
{
    std::vector<SwitchProfile> all;

    // Linear: the bottom-out is the first and loudest event.
    auto p = base("mx-red", "Cherry MX Red · ABS", "Linear", 10, M::Linear, false);
    p.housingFrequency = 3800; p.springLevel = 0.06; p.springFrequency = 5500;
    all.push_back(p);

    p = base("mx-black", "Cherry MX Black · PBT", "Linear", 20, M::Linear, true);
    p.housingFrequency = 3300; p.springLevel = 0.11; p.springFrequency = 4800; p.springDecay = 0.045;
    p.upstrokeLevel = 0.65;
    all.push_back(p);

    p = base("gateron-yellow", "Gateron Yellow", "Linear", 30, M::Linear, false);
    p.housingFrequency = 4300; p.brightness = 7000; p.springLevel = 0.03; p.upstrokeLevel = 0.42;
    p.plateFrequency = 1150; p.caseLevel = 0.2;
    all.push_back(p);

    p = base("red-ink", "Gateron Red Ink", "Linear", 40, M::Linear, true);
    p.housingFrequency = 2800; p.caseFrequency = 200; p.caseLevel = 0.45; p.plateFrequency = 800;
    p.springLevel = 0.03; p.upstrokeLevel = 0.6; p.upstrokeBrightness = 1.1;
    all.push_back(p);

    p = base("black-ink", "Gateron Black Ink", "Linear", 50, M::Linear, true);
    p.housingFrequency = 2500; p.caseFrequency = 180; p.caseLevel = 0.55; p.brightness = 3500;
    p.springLevel = 0.05; p.springFrequency = 4300; p.upstrokeLevel = 0.7;
    all.push_back(p);

    p = base("nk-cream", "NovelKeys Cream", "Linear", 60, M::Linear, false);
    p.housingFrequency = 4600; p.housingDecay = 0.0025; p.brightness = 9500; p.springLevel = 0.07;
    p.springFrequency = 6200; p.caseFrequency = 300; p.caseLevel = 0.2; p.upstrokeLevel = 0.85;
    p.upstrokeBrightness = 1.2; p.bottomOutNoise = 1.4;
    all.push_back(p);

    p = base("alpaca", "Alpaca", "Linear", 70, M::Linear, true);
    p.housingFrequency = 2600; p.springLevel = 0.01; p.caseFrequency = 190; p.caseLevel = 0.5;
    p.plateFrequency = 700; p.plateLevel = 0.25; p.brightness = 3200; p.upstrokeLevel = 0.4;
    p.upstrokeBrightness = 0.9; p.bottomOutNoise = 0.6;
    all.push_back(p);

    p = base("tealios", "Tealios V2", "Linear", 80, M::Linear, true);
    p.housingFrequency = 3100; p.springLevel = 0.015; p.brightness = 4600; p.caseFrequency = 230;
    p.caseLevel = 0.35; p.upstrokeLevel = 0.5; p.lengthScale = 0.85; p.bottomOutNoise = 0.8;
    all.push_back(p);

    // Tactile: a scratchy bump first, the bottom-out some milliseconds later.
    p = base("mx-brown-pbt", "Cherry MX Brown · PBT", "Tactile", 90, M::Tactile, true);
    p.housingFrequency = 3700; p.eventLevel = 0.35; p.eventFrequency = 2500; p.eventDecay = 0.004;
    p.bottomOutDelay = 0.011; p.releaseEventLevel = 0.15; p.upstrokeLevel = 0.55;
    all.push_back(p);

    p = base("mx-brown-abs", "Cherry MX Brown · ABS", "Tactile", 100, M::Tactile, false);
    p.housingFrequency = 3700; p.eventLevel = 0.35; p.eventFrequency = 2500; p.eventDecay = 0.004;
    p.bottomOutDelay = 0.011; p.releaseEventLevel = 0.15; p.upstrokeLevel = 0.55;
    all.push_back(p);

    p = base("holy-panda", "Holy Panda", "Tactile", 110, M::Tactile, false);
    p.housingFrequency = 3000; p.caseFrequency = 210; p.caseLevel = 0.5; p.eventLevel = 0.6;
    p.eventFrequency = 3200; p.eventDecay = 0.005; p.bottomOutDelay = 0.009; p.springLevel = 0.03;
    p.upstrokeLevel = 0.8; p.releaseEventLevel = 0.3;
    all.push_back(p);

    p = base("boba-u4t", "Gazzew Boba U4T", "Tactile", 120, M::Tactile, true);
    p.housingFrequency = 2400; p.caseFrequency = 170; p.caseLevel = 0.6; p.brightness = 3000;
    p.eventLevel = 0.5; p.eventFrequency = 2000; p.eventDecay = 0.006; p.bottomOutDelay = 0.01;
    p.springLevel = 0.02; p.upstrokeLevel = 0.7; p.releaseEventLevel = 0.2; p.lengthScale = 1.1;
    all.push_back(p);

    p = base("topre", "Topre · 45 g", "Tactile", 130, M::TopreDome, true);
    p.housingFrequency = 1800; p.housingDecay = 0.0025; p.brightness = 2500; p.caseFrequency = 160;
    p.caseLevel = 0.6; p.caseDecay = 0.03; p.eventLevel = 0.4; p.eventFrequency = 900;
    p.eventDecay = 0.008; p.bottomOutDelay = 0.006; p.springLevel = 0.02; p.upstrokeLevel = 0.6;
    p.upstrokeBrightness = 0.8; p.stabiliserRattle = 0.25; p.bottomOutNoise = 0.5;
    all.push_back(p);

    // Clicky: the click leads, loud and bright; jackets and bars also click on the way up.
    p = base("mx-blue", "Cherry MX Blue · ABS", "Clicky", 140, M::ClickJacket, false);
    p.eventLevel = 1.2; p.eventFrequency = 4200; p.eventDecay = 0.0025; p.bottomOutDelay = 0.014;
    p.releaseEventLevel = 0.45; p.upstrokeLevel = 0.5;
    all.push_back(p);

    p = base("mx-green", "Cherry MX Green · PBT", "Clicky", 150, M::ClickJacket, true);
    p.eventLevel = 1.3; p.eventFrequency = 3800; p.eventDecay = 0.003; p.bottomOutDelay = 0.012;
    p.releaseEventLevel = 0.55; p.springLevel = 0.08; p.upstrokeLevel = 0.6;
    all.push_back(p);

    p = base("box-jade", "Kailh Box Jade", "Clicky", 160, M::ClickBar, false);
    p.eventLevel = 1.5; p.eventFrequency = 3400; p.eventDecay = 0.006; p.bottomOutDelay = 0.016;
    p.releaseEventLevel = 0.9; p.housingFrequency = 4000;
    all.push_back(p);

    p = base("box-navy", "Kailh Box Navy", "Clicky", 170, M::ClickBar, true);
    p.eventLevel = 1.7; p.eventFrequency = 2900; p.eventDecay = 0.008; p.bottomOutDelay = 0.015;
    p.releaseEventLevel = 1.1; p.springLevel = 0.07; p.caseFrequency = 200; p.caseLevel = 0.4;
    all.push_back(p);

    p = base("alps-blue", "Alps SKCM Blue", "Clicky", 180, M::AlpsClick, false);
    p.eventLevel = 1.2; p.eventFrequency = 5600; p.eventDecay = 0.002; p.bottomOutDelay = 0.007;
    p.housingFrequency = 5000; p.housingDecay = 0.003; p.releaseEventLevel = 0.25;
    p.springLevel = 0.06; p.springFrequency = 7000;
    all.push_back(p);

    // Vintage: older, heavier mechanisms in heavier cases.
    p = base("alps-white", "Alps SKCM White", "Vintage", 190, M::Tactile, false);
    p.eventLevel = 0.5; p.eventFrequency = 3600; p.eventDecay = 0.004; p.bottomOutDelay = 0.008;
    p.housingFrequency = 4400; p.brightness = 7000; p.upstrokeLevel = 0.55; p.lengthScale = 1.1;
    p.stabiliserRattle = 0.9; p.releaseEventLevel = 0.2;
    all.push_back(p);

    p = base("beam-spring", "Beam Spring · IBM 3278", "Vintage", 200, M::BeamSpring, true);
    p.eventLevel = 0.9; p.eventFrequency = 1600; p.eventDecay = 0.012; p.bottomOutDelay = 0.003;
    p.housingFrequency = 1400; p.caseFrequency = 140; p.caseLevel = 0.8; p.caseDecay = 0.06;
    p.plateFrequency = 600; p.plateLevel = 0.5; p.springLevel = 0.25; p.springFrequency = 2600;
    p.springDecay = 0.09; p.upstrokeLevel = 0.9; p.releaseEventLevel = 0.6; p.lengthScale = 1.5;
    all.push_back(p);

    p = base("buckling-spring", "Buckling Spring · IBM Model M", "Vintage", 210, M::BucklingSpring, true);
    p.eventLevel = 1.3; p.eventFrequency = 2200; p.eventDecay = 0.006; p.bottomOutDelay = 0.002;
    p.caseFrequency = 180; p.caseLevel = 0.5; p.caseDecay = 0.05; p.plateFrequency = 750;
    p.plateLevel = 0.6; p.springLevel = 0.45; p.springFrequency = 3100; p.springDecay = 0.12;
    p.upstrokeLevel = 0.8; p.releaseEventLevel = 0.7; p.lengthScale = 1.4;
    all.push_back(p);

    return all;
}

} // namespace

const std::vector<SwitchProfile> &switchProfiles()
{
    static const std::vector<SwitchProfile> profiles = makeProfiles();
    return profiles;
}

} // namespace plinkum
