#include "audio/TypingPhrase.h"

#include "audio/OfflineRenderer.h"

#include <algorithm>
#include <iterator>

namespace plinkum {

namespace {

constexpr std::uint16_t shift = 56;
constexpr std::uint16_t space = 49;

std::vector<TypingPhrase::Event> makePhrase()
{
    // "The quick brown fox jumps, typo fixed." in macOS key codes: each entry a key, how long after
    // the previous press it goes down and how long it is held. The uneven gaps and holds are
    // those of steady typing at about 70 words a minute.
    struct Stroke {
        std::uint16_t key;
        int gap;
        int hold;
    };
    static constexpr Stroke strokes[] = {
        {17, 140, 85}, {4, 150, 70},  {14, 125, 75},  {49, 170, 95},  {12, 180, 80},  {32, 135, 65},
        {34, 145, 70}, {8, 160, 85},  {40, 130, 75},  {49, 150, 100}, {11, 190, 80},  {15, 130, 70},
        {31, 140, 80}, {13, 155, 75}, {45, 135, 70},  {49, 145, 95},  {3, 185, 85},   {31, 140, 75},
        {7, 150, 80},  {7, 120, 70},  {51, 260, 90},  {49, 210, 95},  {38, 175, 80},  {32, 140, 70},
        {46, 150, 85}, {35, 135, 75}, {1, 160, 80},   {36, 230, 110},
    };
    std::vector<TypingPhrase::Event> events;
    int t = 0;
    for (std::size_t i = 0; i < std::size(strokes); ++i) {
        const Stroke &s = strokes[i];
        if (i == 0) {
            // The capital: Shift goes down first and comes up after the letter's press.
            events.push_back({shift, true, 0});
            t = s.gap;
            events.push_back({s.key, true, t});
            events.push_back({shift, false, t + 60});
            events.push_back({s.key, false, t + s.hold});
            continue;
        }
        t += s.gap;
        events.push_back({s.key, true, t});
        events.push_back({s.key, false, t + s.hold});
    }
    std::stable_sort(events.begin(), events.end(),
                     [](const auto &a, const auto &b) { return a.milliseconds < b.milliseconds; });
    return events;
}

} // namespace

const std::vector<TypingPhrase::Event> &TypingPhrase::events()
{
    static const std::vector<Event> events = makePhrase();
    return events;
}

int TypingPhrase::milliseconds()
{
    return events().back().milliseconds + 1000;
}

std::vector<float> TypingPhrase::render(const LoadedPackPtr &pack)
{
    const bool clicks = !pack->info().keyboard;
    OfflineRenderer::Options options;
    options.volume = 1.0f;
    options.seed = 1;
    if (clicks) {
        options.mousePack = pack;
        options.mouseVolume = 1.0f;
    }
    OfflineRenderer renderer(pack, options);
    for (const Event &event : events()) {
        if (clicks && event.keyCode == shift)
            continue;
        renderer.renderUntil(OfflineRenderer::frameAt(event.milliseconds));
        renderer.play(clicks ? InputEvent::button(event.keyCode == space ? PointerButton::Right : PointerButton::Left, event.down)
                             : InputEvent::key(event.keyCode, event.down));
    }
    renderer.renderUntil(OfflineRenderer::frameAt(milliseconds()));
    return renderer.samples();
}

} // namespace plinkum
