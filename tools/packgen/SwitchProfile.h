#pragma once

#include <QString>

#include <vector>

namespace plinkum {

// How one switch sounds, as the parts of a keystroke the generator adds up. Levels are linear
// amplitudes relative to the bottom-out; frequencies in Hz, decays in seconds.
struct SwitchProfile {
    enum class Mechanism { Linear, Tactile, ClickJacket, ClickBar, AlpsClick, BeamSpring, BucklingSpring };

    QString folder;
    QString name;
    QString type;
    int order = 0;
    Mechanism mechanism = Mechanism::Linear;

    // Keycap: PBT is denser and duller (lower modes, faster decay, darker click), ABS rings brighter.
    bool pbt = false;
    double capFrequency = 2000; // where the cap and stem's body sounds loudest
    double capWidth = 0.9;      // how far that body spreads, in octaves
    double capDecay = 0.006;
    double brightness = 6000;   // centre of the impact's broadband tick

    // Housing and bottom-out.
    double housingFrequency = 3500;
    double housingDecay = 0.0035;
    double bottomOutDelay = 0;  // after the first event of a press, in seconds
    double bottomOutNoise = 1;  // share of noise against modes in the impact

    // Plate and case.
    double plateFrequency = 900;
    double plateLevel = 0.3;
    double caseFrequency = 220;
    double caseLevel = 0.3;
    double caseDecay = 0.02;

    // Spring, bump, click.
    double springLevel = 0.04;
    double springFrequency = 5200;
    double springDecay = 0.025;
    double eventLevel = 0;       // bump, click or dome collapse at the start of a press
    double eventFrequency = 4000;
    double eventDecay = 0.003;

    // Release: the stem tops out against the housing; click mechanisms snap back.
    double upstrokeLevel = 0.5;
    double upstrokeBrightness = 1;  // scales the release impact's frequencies
    double releaseEventLevel = 0;

    double stabiliserRattle = 0.6;
    double lengthScale = 1;     // stretches decays; longer for loose, hollow switches
    double room = 0.05;         // the desk and room's reverberation
    double tilt = 0;            // dB per octave over the whole stroke: dark, thocky boards below 0
};

// The modelled switches in panel order; the buckling spring entry doubles as the fallback when
// the real recordings are not installed.
const std::vector<SwitchProfile> &switchProfiles();

} // namespace plinkum
