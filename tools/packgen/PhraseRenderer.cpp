#include "tools/packgen/PhraseRenderer.h"

#include "audio/OfflineRenderer.h"
#include "packs/PackLoader.h"
#include "tools/packgen/SoundMeasure.h"

namespace plinkum {

std::vector<float> PhraseRenderer::render(const LoadedPackPtr &pack)
{
    OfflineRenderer::Options options;
    options.volume = 1.0f;
    options.seed = 1;
    OfflineRenderer renderer(pack, options);
    for (const auto &event : SoundMeasure::phrase()) {
        renderer.renderUntil(OfflineRenderer::frameAt(event.milliseconds));
        renderer.play(InputEvent::key(event.keyCode, event.down));
    }
    renderer.renderUntil(OfflineRenderer::frameAt(SoundMeasure::phraseMilliseconds()));
    return renderer.samples();
}

std::optional<double> PhraseRenderer::loudness(const QString &folder, bool builtIn)
{
    const auto info = PackLoader::readInfo(folder, builtIn);
    if (!info)
        return std::nullopt;
    const auto result = PackLoader::load(*info);
    if (!result.ok())
        return std::nullopt;
    return SoundMeasure::loudness(render(result.pack()), 2, 48000);
}

} // namespace plinkum
