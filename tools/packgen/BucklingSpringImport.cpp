#include "BucklingSpringImport.h"

#include "AudioFile.h"
#include "SoundMeasure.h"

#include <QDir>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <optional>
#include <utility>

namespace plinkum {

namespace {

// evdev code → key code, for every key of an ANSI board that has a recording.
constexpr std::pair<int, std::uint16_t> evdevToKeyCode[] = {
    {0x01, 53},  {0x02, 18},  {0x03, 19},  {0x04, 20},  {0x05, 21},  {0x06, 23},  {0x07, 22},  {0x08, 26},
    {0x09, 28},  {0x0a, 25},  {0x0b, 29},  {0x0c, 27},  {0x0d, 24},  {0x0e, 51},  {0x0f, 48},  {0x10, 12},
    {0x11, 13},  {0x12, 14},  {0x13, 15},  {0x14, 17},  {0x15, 16},  {0x16, 32},  {0x17, 34},  {0x18, 31},
    {0x19, 35},  {0x1a, 33},  {0x1b, 30},  {0x1c, 36},  {0x1d, 59},  {0x1e, 0},   {0x1f, 1},   {0x20, 2},
    {0x21, 3},   {0x22, 5},   {0x23, 4},   {0x24, 38},  {0x25, 40},  {0x26, 37},  {0x27, 41},  {0x28, 39},
    {0x29, 50},  {0x2a, 56},  {0x2b, 42},  {0x2c, 6},   {0x2d, 7},   {0x2e, 8},   {0x2f, 9},   {0x30, 11},
    {0x31, 45},  {0x32, 46},  {0x33, 43},  {0x34, 47},  {0x35, 44},  {0x36, 60},  {0x38, 58},  {0x39, 49},
    {0x3a, 57},  {0x3b, 122}, {0x3c, 120}, {0x3d, 99},  {0x3e, 118}, {0x3f, 96},  {0x40, 97},  {0x41, 98},
    {0x42, 100}, {0x43, 101}, {0x44, 109}, {0x57, 103}, {0x58, 111}, {0x60, 76},  {0x61, 62},  {0x64, 61},
    {0x66, 115}, {0x67, 126}, {0x68, 116}, {0x69, 123}, {0x6a, 124}, {0x6b, 119}, {0x6c, 125}, {0x6d, 121},
    {0x6e, 114}, {0x6f, 117}, {0x7d, 55},  {0x7e, 54},
};

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
// ends it where it falls below -60 dB of the peak.
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
    std::size_t end = frames.size();
    while (end > start && std::abs(frames[end - 1]) < 0.001f * peak)
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
    for (const auto &[evdev, keyCode] : evdevToKeyCode) {
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
