#pragma once

#include <QString>

namespace plinkum {

// Says where a pack's sounds come from, from the pack's own "source" ("recorded", "modelled" or
// "derived") and "credit" (who made them, under which licence): "Recorded key by key for …",
// "Recorded by …", "Derived from …", "Modelled". Claims nothing a pack does not say of itself.
class PackOrigin {
public:
    // One word for small places: "Recorded", "Modelled" or "Derived"; empty for any other source.
    [[nodiscard]] static QString kind(const QString &source);
    // The whole line; the credit alone for an unknown source; empty when there is neither.
    [[nodiscard]] static QString line(const QString &source, const QString &credit);
    // The credit without its addresses and asides (in parentheses) and without what follows a
    // ";", with the blanks tidied.
    [[nodiscard]] static QString summary(const QString &credit);
};

} // namespace plinkum
