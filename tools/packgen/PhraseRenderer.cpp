#include "tools/packgen/PhraseRenderer.h"

#include "audio/OfflineRenderer.h"
#include "packs/PackLoader.h"
#include "tools/packgen/SoundMeasure.h"

namespace plinkum {

std::vector<float> PhraseRenderer::render(const LoadedPackPtr &pack, Phrase phrase)
{
    OfflineRenderer::Options options;
    options.volume = 1.0f;
    options.seed = 1;
    OfflineRenderer renderer(pack, options);
    const auto playAt = [&](int milliseconds, InputEvent event) {
        renderer.renderUntil(OfflineRenderer::frameAt(static_cast<std::uint64_t>(milliseconds)));
        renderer.play(event);
    };
    if (phrase == Phrase::Typing) {
        for (const auto &event : SoundMeasure::phrase())
            playAt(event.milliseconds, InputEvent::key(event.keyCode, event.down));
    } else {
        for (const auto &event : SoundMeasure::clickPhrase())
            playAt(event.milliseconds, InputEvent::button(event.button, event.down));
    }
    renderer.renderUntil(OfflineRenderer::frameAt(SoundMeasure::phraseMilliseconds()));
    return renderer.samples();
}

std::optional<double> PhraseRenderer::loudness(const QString &folder, bool builtIn, Phrase phrase)
{
    const auto info = PackLoader::readInfo(folder, builtIn);
    if (!info)
        return std::nullopt;
    const auto result = PackLoader::load(*info);
    if (!result.ok())
        return std::nullopt;
    return SoundMeasure::loudness(render(result.pack(), phrase), 2, 48000);
}

} // namespace plinkum
