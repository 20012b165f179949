#pragma once

#include "tools/packgen/PackWriter.h"

#include <QString>
#include <QStringList>

#include <optional>
#include <vector>

namespace plinkum {

// One mouse's button recordings as keyboardsounds profiles bundle them: a press and a release
// file per button, named left-down, left-up, right-…, and scroll-down/-up for the middle button,
// or primary_down, primary_up, secondary_…, and middle (a press only).
class MouseRecordingImport {
public:
    struct Report {
        QStringList leftOut; // "file: why", for the acknowledgements
    };

    // Cuts and cleans the mouse's recordings into the pack, each button's press brought down to
    // no more than 1 dB above the left press (its release by the same gain). Files that are
    // empty, silent or clipped are left out. False when the left or the right button lacks a
    // press or a release.
    static bool build(const QString &folder, PackWriter &writer, Report *report);

    // Why a recording cannot be used, or nothing: unreadable or empty, no louder than -50 dBFS,
    // or held at full scale for three samples or more.
    static std::optional<QString> unusable(const std::optional<std::vector<float>> &frames);
};

} // namespace plinkum
