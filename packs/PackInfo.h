#pragma once

#include <QString>
#include <QUrl>

#include <optional>

namespace plinkum {

inline constexpr auto defaultPackID = "bundle:mx-brown-pbt";

// Describes an available pack without decoding any audio. Built-in packs have ids
// "bundle:<folder>", user packs "folder:<folder>".
struct PackInfo {
    QString id;
    QString name;
    std::optional<QString> type; // switch family, e.g. "Tactile"; absent for Mechvibes packs
    qint64 order = 0;            // sort key of built-in packs
    QUrl url;                    // the pack folder
    bool isBuiltIn = false;

    static QString idFor(const QString &folderName, bool isBuiltIn);

    friend bool operator==(const PackInfo &, const PackInfo &) = default;
};

size_t qHash(const PackInfo &info, size_t seed = 0);

} // namespace plinkum
