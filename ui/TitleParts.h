#pragma once

#include <QString>

#include <optional>

namespace plinkum {

// The two lines of a switch tile, made from a pack name such as "Cherry MX Brown · PBT":
// the part before " · " loses a known brand prefix, which moves to the front of the subtitle.
struct TitleParts {
    QString title;
    std::optional<QString> subtitle;

    [[nodiscard]] static TitleParts fromName(const QString &name);

    friend bool operator==(const TitleParts &, const TitleParts &) = default;
};

} // namespace plinkum
