// Feeds arbitrary bytes to the Mechvibes config.json reader and pushes what it decodes through
// the key texts, the version 2 file ranges and the slicing of a small recording.

#include "packs/MechvibesConfig.h"
#include "packs/PackLoader.h"
#include "packs/SampleDecoding.h"

#include <cstddef>
#include <cstdint>
#include <vector>

using namespace plinkum::PackLoader;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const QByteArray json = QByteArray::fromRawData(reinterpret_cast<const char *>(data), static_cast<qsizetype>(size));
    QString error;
    const std::optional<MechvibesConfig> config = MechvibesConfig::decode(json, &error);
    if (!config) {
        if (error.isEmpty())
            __builtin_trap(); // a refusal must say why
        return 0;
    }
    static const std::vector<float> recording(4800, 0.5f);
    for (auto it = config->defines.begin(); it != config->defines.end(); ++it) {
        const QString &key = it.key();
        (void)MechvibesConfig::codeFromText(key.endsWith(QLatin1String("-up")) ? key.chopped(3) : key);
        if (it.value() && it.value()->kind == MechvibesConfig::Define::Kind::Slice) {
            (void)sliceKey(it.value()->start, it.value()->duration);
            if (const auto window = sliceMilliseconds(&recording, it.value()->start, 48000, it.value()->duration))
                (void)makeVariants(*window);
        }
    }
    for (const auto &file : {config->sound, config->soundUp}) {
        if (file)
            (void)MechvibesConfig::expandRange(*file);
    }
    return 0;
}
