#include "tools/packgen/DerivedSwitch.h"

#include "tools/packgen/Biquad.h"
#include "tools/packgen/StrokeEdit.h"

namespace plinkum {

namespace {

using Strokes = DerivedSwitch::Strokes;
using Sound = std::vector<float>;
using E = StrokeEdit;

QString credit(const QString &from)
{
    return QStringLiteral("Derived by Plinkum from %1, recorded for the kbsim keyboard simulator by Thomas Lai "
                          "(https://github.com/tplai/kbsim), MIT licence; not a recording of this switch")
        .arg(from);
}

std::optional<Strokes> load(const QDir &kbsim, const char *folder)
{
    return KbsimRecordingImport::read(kbsim.filePath(QLatin1String(folder)));
}

// Gateron Yellow: the Red Ink's stem, spring and PC top housing with a nylon bottom housing.
// Nylon is softer than the Ink's PC: the bright clack of the bottom-out is taken down (high
// shelf from 3 kHz) and the Black Ink's bottom-out, kept below 1.2 kHz, gives it the duller
// thud of the softer housing. The looser budget housing rings a little lower (speed 0.94).
std::optional<Strokes> gateronYellow(const QDir &kbsim)
{
    const auto red = load(kbsim, "redink"), black = load(kbsim, "blackink");
    if (!red || !black || !red->complete() || !black->complete())
        return std::nullopt;
    const int rate = red->rate;
    const Sound thud = E::filtered(black->rows[2], {Biquad::lowPass(1200, rate)});
    return red->mapped(
        [&](const Sound &s) {
            const Sound slower = E::varispeed(s, 0.94);
            return E::layer(E::filtered(slower, {Biquad::highShelf(3000, -7, rate), Biquad::peak(450, 1, 3, rate)}),
                            thud, 0, 6, rate);
        },
        [&](const Sound &s) { return E::filtered(E::varispeed(s, 0.94), {Biquad::highShelf(3000, -5, rate)}); });
}

// Gazzew Boba U4T: a Holy Panda's kind of tactile switch with a longer, fuller bump and a
// thicker, softer housing that sounds deeper. The strokes play slower (0.88: the long bump takes
// longer to pass and the housing's modes sit lower), gain low-end body and lose the Panda's
// brightness. The firmer bump is the Panda's own top-out tick (its release's first
// 6 ms, above 1 kHz), laid 9 ms ahead of each press where a U4T's bump is felt and heard.
std::optional<Strokes> bobaU4T(const QDir &kbsim)
{
    const auto panda = load(kbsim, "holypanda");
    if (!panda || !panda->complete())
        return std::nullopt;
    const int rate = panda->rate;
    const Sound bump = E::filtered(E::excerpt(panda->releases.front(), 0, 0.006, rate), {Biquad::highPass(1000, rate)});
    const auto shape = [rate](const Sound &s) {
        return E::filtered(E::varispeed(s, 0.88), {Biquad::lowShelf(300, 4, rate), Biquad::highShelf(3500, -5, rate)});
    };
    return panda->mapped([&](const Sound &s) { return E::layer(shape(s), bump, -0.009, 8, rate); }, shape);
}

// Cherry MX Green: the MX Blue's click jacket on a heavier spring (80 cN against 60). The heavier
// spring drives the jacket more slowly and the whole stroke sounds lower (speed 0.9), and it
// lands harder (more low end). kbsim recorded no MX Blue space bar, Return or Backspace: those
// come from its MX Black (the same Cherry housing and stabilisers, and the heaviest Cherry spring
// kbsim recorded), with the MX Blue's click, the first 7 ms of its press, laid 8 ms ahead of them.
std::optional<Strokes> mxGreen(const QDir &kbsim)
{
    const auto blue = load(kbsim, "mxblue"), black = load(kbsim, "mxblack");
    if (!blue || !black || !black->complete())
        return std::nullopt;
    const int rate = blue->rate;
    const auto shape = [rate](const Sound &s) {
        return E::filtered(E::varispeed(s, 0.9), {Biquad::peak(160, 1, 3, rate), Biquad::highShelf(4000, 5, rate)});
    };
    const Sound click = E::excerpt(blue->rows[2], 0, 0.007, rate);
    Strokes green = *black;
    green.rows = blue->rows;
    green.releases = blue->releases;
    const auto stabilised = [&](const Sound &s) { return E::layer(s, click, -0.008, 4, rate); };
    green.space = stabilised(black->space);
    green.enter = stabilised(black->enter);
    green.backspace = stabilised(black->backspace);
    return green.mapped(shape, shape);
}

// Kailh Box Jade: the Box Navy's click bar, thinner (a lighter, brighter click) on a lighter
// spring. The strokes play faster (1.12: the light bar snaps sooner and rings higher), with more
// treble and less of the heavy bottom-out that the Navy's much heavier spring makes.
std::optional<Strokes> boxJade(const QDir &kbsim)
{
    const auto navy = load(kbsim, "boxnavy");
    if (!navy || !navy->complete())
        return std::nullopt;
    const int rate = navy->rate;
    const auto shape = [rate](const Sound &s) {
        return E::filtered(E::varispeed(s, 1.12), {Biquad::highShelf(4000, 4, rate), Biquad::lowShelf(350, -5, rate)});
    };
    return navy->mapped(shape, shape);
}

// Alps SKCM White: the Blue Alps' slider and housing without the click leaf, with a tactile leaf
// that scrapes. The click (the first 3 ms of the press, ahead of the bottom-out) is taken down by
// 14 dB and its band notched; the scratchier tactile event is the Blue Alps' own release, the
// leaf scraping back past the slider, above 2 kHz, laid 6 ms ahead of each press.
std::optional<Strokes> alpsWhite(const QDir &kbsim)
{
    const auto blue = load(kbsim, "bluealps");
    if (!blue || !blue->complete())
        return std::nullopt;
    const int rate = blue->rate;
    const Sound scrape = E::filtered(E::excerpt(blue->releases.front(), 0, 0.012, rate), {Biquad::highPass(2000, rate)});
    return blue->mapped(
        [&](const Sound &s) {
            const Sound quiet = E::filtered(E::duck(s, 0, 0.003, -14, rate),
                                            {Biquad::peak(4000, 0.7, -14, rate), Biquad::peak(450, 1, 5, rate)});
            return E::layer(quiet, scrape, -0.006, 12, rate);
        },
        [&](const Sound &s) { return E::filtered(s, {Biquad::peak(4000, 0.7, -8, rate)}); });
}

// Beam spring (IBM 3278): the buckling spring's ancestor, a flat beam spring that snaps a
// flyplate over a capacitive pad, in a much heavier case. The Model M's strokes play slower and
// lower (0.8: the longer travel and the larger beam and flyplate), with the heavy case's deep
// thock (low shelf) and less treble; the spring's ping, which the beam spring keeps ringing, is the buckling spring's own
// release, the spring snapping back, laid 25 ms into each press.
std::optional<Strokes> beamSpring(const QDir &kbsim)
{
    const auto model = load(kbsim, "buckling");
    if (!model || !model->complete())
        return std::nullopt;
    const int rate = model->rate;
    const Sound ping = E::filtered(model->releases.front(), {Biquad::highPass(1500, rate)});
    const auto shape = [rate](const Sound &s) {
        return E::filtered(E::varispeed(s, 0.8), {Biquad::lowShelf(220, 6, rate), Biquad::highShelf(4000, -4, rate)});
    };
    return model->mapped([&](const Sound &s) { return E::layer(shape(s), ping, 0.025, 12, rate); }, shape);
}

} // namespace

const std::vector<DerivedSwitch> &derivedSwitches()
{
    static const std::vector<DerivedSwitch> all{
        {"gateron-yellow", "Gateron Yellow", "Linear", 30,
         credit(QStringLiteral("the Gateron Red Ink and Black Ink")), "redink, blackink", gateronYellow},
        {"boba-u4t", "Gazzew Boba U4T", "Tactile", 120, credit(QStringLiteral("the Holy Panda")), "holypanda",
         bobaU4T},
        {"mx-green", "Cherry MX Green", "Clicky", 150, credit(QStringLiteral("the Cherry MX Blue and MX Black")),
         "mxblue, mxblack", mxGreen},
        {"box-jade", "Kailh Box Jade", "Clicky", 160, credit(QStringLiteral("the Kailh Box Navy")), "boxnavy",
         boxJade},
        {"alps-white", "Alps SKCM White", "Vintage", 190, credit(QStringLiteral("the Alps SKCM Blue")), "bluealps",
         alpsWhite},
        {"beam-spring", "Beam Spring · IBM 3278", "Vintage", 200,
         credit(QStringLiteral("the IBM Model M (buckling spring)")), "buckling", beamSpring},
    };
    return all;
}

} // namespace plinkum
