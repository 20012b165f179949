// Feeds arbitrary bytes to the config.json readers (Mechvibes, MechvibesDX) and pushes what they
// decode through the key texts and names, the version 2 file ranges and the slicing of a small
// recording.

#include "keys/KeyTables.h"
#include "packs/DocumentReader.h"
#include "packs/MechvibesConfig.h"
#include "packs/MechvibesDxConfig.h"
#include "packs/MechvibesDxLoader.h"
#include "packs/PackLoader.h"
#include "packs/SampleDecoding.h"

#include <cstddef>
#include <cstdint>
#include <vector>

using namespace plinkum::PackLoader;

namespace {

const std::vector<float> recording(4800, 0.5f);

void fuzzMechvibesDx(const QByteArray &json)
{
    DocumentReader reader(QStringLiteral("config.json"));
    const std::optional<QJsonObject> document = reader.parseRepairing(json, nullptr);
    if (!document || !MechvibesDxConfig::claims(*document))
        return;
    QString error;
    const std::optional<MechvibesDxConfig> config = MechvibesDxConfig::decode(*document, &error);
    if (!config) {
        if (error.isEmpty())
            __builtin_trap(); // a refusal must say why
        return;
    }
    for (auto it = config->definitions.begin(); it != config->definitions.end(); ++it) {
        (void)plinkum::KeyTables::w3cKey(it.key().toStdString());
        (void)mechvibesDxButton(it.key());
        for (const MechvibesDxConfig::Window &window : it.value().timing) {
            if (const auto slice = sliceMilliseconds(&recording, window.start, 48000, window.end - window.start))
                (void)makeVariants(*slice);
        }
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const QByteArray json = QByteArray::fromRawData(reinterpret_cast<const char *>(data), static_cast<qsizetype>(size));
    fuzzMechvibesDx(json);
    QString error;
    const std::optional<MechvibesConfig> config = MechvibesConfig::decode(json, &error);
    if (!config) {
        if (error.isEmpty())
            __builtin_trap(); // a refusal must say why
        return 0;
    }
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
