// Feeds arbitrary bytes to the profile.yaml reader: the YAML parser and its conversion, then the
// profile decoder and the key names it lists.

#include "packs/KeyboardSoundsKeys.h"
#include "packs/KeyboardSoundsProfile.h"
#include "packs/PackFormat.h"

#include <cstddef>
#include <cstdint>

using namespace plinkum;
using namespace plinkum::PackLoader;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const QByteArray yaml = QByteArray::fromRawData(reinterpret_cast<const char *>(data), static_cast<qsizetype>(size));
    QString error;
    const std::optional<QJsonObject> document = PackFormat::parseDocument(QStringLiteral("profile.yaml"), yaml, &error, nullptr);
    const std::optional<KeyboardSoundsProfile> profile = document ? KeyboardSoundsProfile::decode(*document, &error) : std::nullopt;
    if (!profile) {
        if (error.isEmpty())
            __builtin_trap(); // a refusal must say why
        return 0;
    }
    for (const auto *assigned : {&profile->keys, &profile->buttons}) {
        for (const KeyboardSoundsProfile::Mapping &mapping : assigned->other) {
            for (const QString &name : mapping.names)
                (void)KeyboardSoundsKeys::keyCodes(name);
        }
    }
    return 0;
}
