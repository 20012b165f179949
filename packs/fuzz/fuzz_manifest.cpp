// Feeds arbitrary bytes to the pack.json reader: it must decode or refuse with a message, never
// crash, leak or hang, whatever the nesting, size or types.

#include "packs/Manifest.h"

#include <cstddef>
#include <cstdint>

using namespace plinkum::PackLoader;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const QByteArray json = QByteArray::fromRawData(reinterpret_cast<const char *>(data), static_cast<qsizetype>(size));
    QString error;
    const std::optional<Manifest> manifest = Manifest::decode(json, &error);
    if (manifest == std::nullopt) {
        if (error.isEmpty())
            __builtin_trap(); // a refusal must say why
        return 0;
    }
    for (const auto &lists : {manifest->keys, manifest->keysUp}) {
        if (!lists)
            continue;
        for (auto it = lists->begin(); it != lists->end(); ++it)
            (void)Manifest::keyCodeFromText(it.key());
    }
    return 0;
}
