#pragma once

#include <QString>
#include <QUrl>

#include <optional>

namespace plinkum {

inline constexpr auto defaultPackID = "bundle:mx-brown-pbt";

// Describes an available pack without decoding any audio. Built-in packs have ids
// "bundle:<folder>", user packs "folder:<folder>".
struct PackInfo {
    PackInfo() = default;
    PackInfo(QString id, QString name, std::optional<QString> type, qint64 order, QUrl url, bool isBuiltIn,
             std::optional<QString> source = {}, std::optional<QString> credit = {}, QString format = {})
        : id(std::move(id)), name(std::move(name)), type(std::move(type)), order(order), url(std::move(url))
        , isBuiltIn(isBuiltIn), source(std::move(source)), credit(std::move(credit)), format(std::move(format))
    {
    }

    QString id;
    QString name;
    std::optional<QString> type; // switch family, e.g. "Tactile"; absent for Mechvibes packs
    qint64 order = 0;            // sort key of built-in packs
    QUrl url;                    // the pack folder
    bool isBuiltIn = false;
    // From pack.json: how the sounds were made ("recorded" or "modelled") and whom they come from.
    std::optional<QString> source;
    std::optional<QString> credit;
    // The document format the pack was described from, as users know it: "pack.json",
    // "Mechvibes v1", "Mechvibes v2", "MechvibesDX v2", "keyboardsounds profile".
    QString format;
    // What the pack sounds for: keys, pointer buttons, or both. Mouse-only packs are offered for
    // clicks, never as the keyboard's pack.
    bool keyboard = true;
    bool mouse = false;
    // The level the pack's own document asks for, as a linear gain (MechvibesDX's
    // recommended_volume); absent for most packs.
    std::optional<double> ownGain;
    // An imported pack's level (PackLevel), applied by the loader: the gain that matches its
    // loudness to the built-in packs', absent until measured, and the user's trim. Built-in packs
    // keep 0 dB.
    std::optional<double> loudnessGainDb;
    double trimDb = 0.0;

    static QString idFor(const QString &folderName, bool isBuiltIn);

    friend bool operator==(const PackInfo &, const PackInfo &) = default;
};

size_t qHash(const PackInfo &info, size_t seed = 0);

} // namespace plinkum
