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
    auto p = base("gateron-yellow", "Gateron Yellow", "Linear", 30, M::Linear, false);
    p.capFrequency = 2200; p.capWidth = 0.3; p.capDecay = 0.014; p.brightness = 8000; p.bottomOutNoise = 0.8;
    p.tilt = -2; p.housingFrequency = 4800; p.housingDecay = 0.002; p.plateFrequency = 900; p.plateLevel = 0.3;
    p.caseFrequency = 250; p.caseLevel = 0.05; p.springLevel = 0.02; p.springFrequency = 5800;
    p.upstrokeLevel = 0.45; p.upstrokeBrightness = 1.1;
    all.push_back(p);

    p = base("red-ink", "Gateron Red Ink", "Linear", 40, M::Linear, false);
    p.capFrequency = 3100; p.capWidth = 0.25; p.capDecay = 0.012; p.brightness = 10000; p.bottomOutNoise = 1.0;
    p.tilt = -0.5; p.housingFrequency = 6500; p.housingDecay = 0.002; p.plateFrequency = 600; p.plateLevel = 0.4;
    p.caseFrequency = 220; p.caseLevel = 0.05; p.springLevel = 0.02; p.upstrokeLevel = 0.6;
    p.upstrokeBrightness = 1.05;
    all.push_back(p);

    p = base("black-ink", "Gateron Black Ink", "Linear", 50, M::Linear, true);
    p.capFrequency = 1650; p.capWidth = 0.25; p.capDecay = 0.016; p.brightness = 5000; p.bottomOutNoise = 0.6;
    p.tilt = -1.5; p.housingFrequency = 3300; p.housingDecay = 0.002; p.plateFrequency = 800; p.plateLevel = 0.05;
    p.caseFrequency = 220; p.caseLevel = 0.5; p.caseDecay = 0.03; p.springLevel = 0.04; p.springFrequency = 4300;
    p.upstrokeLevel = 0.65;
    all.push_back(p);

    p = base("alpaca", "Alpaca", "Linear", 70, M::Linear, true);
    p.capFrequency = 600; p.capWidth = 0.3; p.capDecay = 0.014; p.brightness = 2500; p.bottomOutNoise = 0.3;
    p.tilt = -1.5; p.housingFrequency = 1500; p.housingDecay = 0.002; p.plateFrequency = 600; p.plateLevel = 0.1;
    p.caseFrequency = 180; p.caseLevel = 0.05; p.springLevel = 0.01; p.upstrokeLevel = 0.4;
    p.upstrokeBrightness = 0.9;
    all.push_back(p);

    p = base("tealios", "Tealios V2", "Linear", 80, M::Linear, true);
    p.capFrequency = 1100; p.capWidth = 0.3; p.capDecay = 0.014; p.brightness = 6000; p.bottomOutNoise = 0.9;
    p.tilt = -1; p.housingFrequency = 3000; p.housingDecay = 0.002; p.plateLevel = 0.1; p.caseFrequency = 300;
    p.caseLevel = 0.1; p.caseDecay = 0.025; p.springLevel = 0.015; p.upstrokeLevel = 0.5; p.lengthScale = 0.85;
    all.push_back(p);

    // Tactile: a scratchy bump first, the bottom-out some milliseconds later.
    p = base("boba-u4t", "Gazzew Boba U4T", "Tactile", 120, M::Tactile, true);
    p.capFrequency = 330; p.capWidth = 0.5; p.capDecay = 0.016; p.brightness = 2000; p.bottomOutNoise = 0.3;
    p.tilt = -2; p.housingFrequency = 1100; p.housingDecay = 0.002; p.plateLevel = 0.1; p.caseFrequency = 150;
    p.caseLevel = 0.7; p.springLevel = 0.02; p.eventLevel = 1.0; p.eventFrequency = 1100; p.eventDecay = 0.006;
    p.bottomOutDelay = 0.011; p.upstrokeLevel = 0.7; p.releaseEventLevel = 0.2; p.lengthScale = 1.1;
    all.push_back(p);

    // Clicky: the click leads, loud and bright; jackets and bars also click on the way up.
    p = base("mx-green", "Cherry MX Green · PBT", "Clicky", 150, M::ClickJacket, true);
    p.capFrequency = 2400; p.capWidth = 0.3; p.capDecay = 0.012; p.brightness = 12000; p.bottomOutNoise = 1.2;
    p.housingFrequency = 3500; p.housingDecay = 0.002; p.plateLevel = 0.1; p.caseLevel = 0.1;
    p.springLevel = 0.05; p.eventLevel = 1.4; p.eventFrequency = 4200; p.eventDecay = 0.003;
    p.bottomOutDelay = 0.013; p.upstrokeLevel = 0.6; p.releaseEventLevel = 0.6;
    all.push_back(p);

    p = base("box-jade", "Kailh Box Jade", "Clicky", 160, M::ClickBar, false);
    p.capFrequency = 1800; p.capWidth = 0.3; p.capDecay = 0.012; p.brightness = 11000; p.tilt = 1; p.housingFrequency = 4500;
    p.housingDecay = 0.002; p.plateLevel = 0.1; p.caseLevel = 0.1; p.eventLevel = 1.6; p.eventFrequency = 5500;
    p.eventDecay = 0.007; p.bottomOutDelay = 0.015; p.releaseEventLevel = 1.0;
    all.push_back(p);

    p = base("box-navy", "Kailh Box Navy", "Clicky", 170, M::ClickBar, true);
    p.capFrequency = 600; p.capWidth = 0.5; p.capDecay = 0.012; p.brightness = 5000; p.tilt = -0.5;
    p.housingFrequency = 1800; p.housingDecay = 0.002; p.plateLevel = 0.1; p.caseFrequency = 200; p.caseLevel = 0.4;
    p.springLevel = 0.05; p.eventLevel = 1.8; p.eventFrequency = 3000; p.eventDecay = 0.012;
    p.bottomOutDelay = 0.015; p.releaseEventLevel = 1.1;
    all.push_back(p);

    p = base("alps-blue", "Alps SKCM Blue", "Clicky", 180, M::AlpsClick, false);
    p.capFrequency = 3000; p.capWidth = 0.5; p.brightness = 14000; p.bottomOutNoise = 1.2; p.tilt = 2;
    p.housingFrequency = 6000; p.housingDecay = 0.002; p.plateLevel = 0.05; p.caseLevel = 0.03;
    p.springLevel = 0.04; p.springFrequency = 7000; p.eventLevel = 1.4; p.eventFrequency = 7500;
    p.eventDecay = 0.002; p.bottomOutDelay = 0.007; p.releaseEventLevel = 0.3;
    all.push_back(p);

    // Vintage: older, heavier mechanisms in heavier cases.
    p = base("alps-white", "Alps SKCM White", "Vintage", 190, M::Tactile, false);
    p.capFrequency = 5200; p.capWidth = 0.3; p.capDecay = 0.016; p.brightness = 9000; p.tilt = -1;
    p.housingFrequency = 1000; p.housingDecay = 0.002; p.plateLevel = 0.1; p.caseLevel = 0.15; p.eventLevel = 1.2;
    p.eventFrequency = 6000; p.eventDecay = 0.004; p.bottomOutDelay = 0.008; p.upstrokeLevel = 0.55;
    p.releaseEventLevel = 0.25; p.stabiliserRattle = 0.9; p.lengthScale = 1.1;
    all.push_back(p);

    p = base("beam-spring", "Beam Spring · IBM 3278", "Vintage", 200, M::BeamSpring, true);
    p.capFrequency = 380; p.capWidth = 0.5; p.capDecay = 0.015; p.brightness = 3500; p.tilt = -1;
    p.housingFrequency = 1200; p.plateFrequency = 600; p.plateLevel = 0.3; p.caseFrequency = 140; p.caseLevel = 0.8;
    p.caseDecay = 0.045; p.springLevel = 0.12; p.springFrequency = 2600; p.springDecay = 0.015; p.eventLevel = 0.9;
    p.eventFrequency = 1600; p.eventDecay = 0.012; p.bottomOutDelay = 0.003; p.upstrokeLevel = 0.9;
    p.releaseEventLevel = 0.6; p.lengthScale = 1.5;
    all.push_back(p);

    p = base("buckling-spring", "Buckling Spring · IBM Model M", "Vintage", 210, M::BucklingSpring, true);
    p.capFrequency = 1100; p.capWidth = 0.4; p.capDecay = 0.012; p.brightness = 5000; p.tilt = -0.5;
    p.plateFrequency = 750; p.plateLevel = 0.3; p.caseFrequency = 150; p.caseLevel = 0.8; p.caseDecay = 0.04;
    p.springLevel = 0.12; p.springFrequency = 3100; p.springDecay = 0.05; p.eventLevel = 1.0;
    p.eventFrequency = 2400; p.eventDecay = 0.006; p.bottomOutDelay = 0.002; p.upstrokeLevel = 0.8;
    p.releaseEventLevel = 0.7; p.lengthScale = 1.4;
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
