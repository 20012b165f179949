#pragma once

#include "keys/KeyCode.h"

#include <QByteArray>
#include <QJsonObject>
#include <QMap>
#include <QString>
#include <QStringList>

#include <optional>

namespace plinkum::PackLoader {

// The pack's own document, pack.json: sounds by key category, by key code and by mouse button
// ("left", "right", "middle", "back", "forward"), for presses and releases, each as a list of file
// names relative to the pack folder. A mouse pack has `mouse` and may leave out `down`.
struct Manifest {
    // Member name (category name or key code text) to file names, as written.
    using FileLists = QMap<QString, QStringList>;

    QString name;
    std::optional<QString> type;
    std::optional<qint64> order;
    std::optional<QString> source; // "recorded" or "modelled"
    std::optional<QString> credit;
    FileLists down;
    std::optional<FileLists> up;
    std::optional<FileLists> keys;
    std::optional<FileLists> keysUp;
    std::optional<FileLists> mouse;
    std::optional<FileLists> mouseUp;

    // Nothing when the document does not decode; `error` then names the file and the member.
    static std::optional<Manifest> decode(const QByteArray &json, QString *error = nullptr);
    static std::optional<Manifest> decode(const QJsonObject &document, QString *error = nullptr);

    // A key code text: an optional "+" and decimal digits up to 65535; "-" only before zeros.
    static std::optional<KeyCode> keyCodeFromText(QStringView text);
};

} // namespace plinkum::PackLoader
