#include "tools/packgen/BucklingSpringImport.h"

#include "tools/packgen/AudioFile.h"
#include "keys/LinuxKeyCodes.h"
#include "tools/packgen/SoundMeasure.h"

#include <QDir>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <optional>
#include <utility>

namespace plinkum {

namespace {

// Home-row letters stand in for keys the board never had recorded (Function, the keypad).
constexpr int standardStandIns[] = {0x1e, 0x1f, 0x20, 0x21, 0x24, 0x25};
constexpr int modifierStandIns[] = {0x1d, 0x38, 0x7d};

// Some recordings carry a DC offset and low rumble ahead of the stroke; a one-pole DC blocker
// (corner near 35 Hz) takes it out before the onset is searched.
std::vector<float> blockDc(std::vector<float> frames, int rate)
{
    const double r = 1.0 - 2 * 3.14159265358979 * 35.0 / rate;
    double x1 = frames.empty() ? 0 : frames.front(), y1 = 0; // no step from an offset at the start
    for (float &x : frames) {
        const double y = x - x1 + r * y1;
        x1 = x;
        y1 = y;
        x = static_cast<float>(y);
    }
    return frames;
}

// Starts the sound 0.3 ms before its first sample at 10 % of the peak, with a short fade-in, and
// ends it where it falls into the recording's noise floor (taken from its last 10 ms) or below
// -60 dB of the peak, whichever comes first.
std::vector<float> trim(const std::vector<float> &frames, int rate)
{
    const float peak = SoundMeasure::peak(frames);
    if (peak <= 0)
        return {};
    const auto preRoll = static_cast<std::size_t>(0.0003 * rate);
    std::size_t start = 0;
    while (start < frames.size() && std::abs(frames[start]) < 0.1f * peak)
        ++start;
    start = start > preRoll ? start - preRoll : 0;
    const auto tail = std::min(frames.size(), static_cast<std::size_t>(0.01 * rate));
    float floor = 0;
    for (std::size_t i = frames.size() - tail; i < frames.size(); ++i)
        floor = std::max(floor, std::abs(frames[i]));
    const float threshold = std::max(0.001f * peak, 2.5f * floor);
    std::size_t end = frames.size();
    while (end > start && std::abs(frames[end - 1]) < threshold)
        --end;
    const auto fade = static_cast<std::size_t>(0.005 * rate);
    end = std::min(frames.size(), end + fade);
    std::vector<float> out(frames.begin() + static_cast<std::ptrdiff_t>(start), frames.begin() + static_cast<std::ptrdiff_t>(end));
    for (std::size_t i = 0; i < std::min(preRoll, out.size()); ++i)
        out[i] *= static_cast<float>(i) / preRoll;
    for (std::size_t i = 0; i < std::min(fade, out.size()); ++i)
        out[out.size() - 1 - i] *= static_cast<float>(i) / fade;
    return out;
}

struct Recording {
    QString press;
    QString release;
};

} // namespace

bool BucklingSpringImport::build(const QString &wavFolder, PackWriter &writer)
{
    const QDir dir(wavFolder);
    std::map<int, Recording> recordings;
    PackWriter staged = writer;
    // bucklespring names its files by evdev code; scan codes up to 0xff, the names' two digits.
    for (int evdev = 1; evdev <= 0xff; ++evdev) {
        const auto mapped = LinuxKeyCodes::fromEvdev(static_cast<unsigned>(evdev));
        if (!mapped)
            continue;
        const KeyCode keyCode = *mapped;
        const QString hex = QStringLiteral("%1").arg(evdev, 2, 16, QLatin1Char('0'));
        const auto press = AudioFile::read(dir.filePath(hex + QStringLiteral("-1.wav")));
        const auto release = AudioFile::read(dir.filePath(hex + QStringLiteral("-0.wav")));
        if (!press || !release)
            continue;
        const QString stem = QStringLiteral("key-%1").arg(keyCode, 3, 10, QLatin1Char('0'));
        auto down = trim(blockDc(press->frames, press->sampleRate), press->sampleRate);
        auto up = trim(blockDc(release->frames, release->sampleRate), release->sampleRate);
        if (down.empty() || up.empty())
            continue;
        Recording r{staged.addSound(stem + QStringLiteral("-press"), std::move(down), press->sampleRate),
                    staged.addSound(stem + QStringLiteral("-release"), std::move(up), release->sampleRate)};
        staged.addKey(keyCode, r.press);
        staged.addKeyUp(keyCode, r.release);
        recordings[evdev] = r;
    }
    // Without the letters, space, return, backspace and modifiers the pack would not be whole.
    const auto has = [&](int evdev) { return recordings.count(evdev) > 0; };
    if (!std::all_of(std::begin(standardStandIns), std::end(standardStandIns), has)
        || !std::all_of(std::begin(modifierStandIns), std::end(modifierStandIns), has) || !has(0x39) || !has(0x1c)
        || !has(0x0e))
        return false;
    for (int evdev : standardStandIns) {
        staged.addDown(QStringLiteral("standard"), recordings[evdev].press);
        staged.addUp(QStringLiteral("standard"), recordings[evdev].release);
    }
    for (int evdev : modifierStandIns) {
        staged.addDown(QStringLiteral("modifier"), recordings[evdev].press);
        staged.addUp(QStringLiteral("modifier"), recordings[evdev].release);
    }
    const std::pair<const char *, int> categories[] = {{"space", 0x39}, {"enter", 0x1c}, {"backspace", 0x0e}};
    for (const auto &[category, evdev] : categories) {
        staged.addDown(QLatin1String(category), recordings[evdev].press);
        staged.addUp(QLatin1String(category), recordings[evdev].release);
    }
    writer = std::move(staged);
    return true;
}

} // namespace plinkum
