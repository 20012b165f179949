#pragma once

#include "tools/packgen/PackWriter.h"

#include <QString>

#include <array>
#include <functional>
#include <optional>
#include <vector>

namespace plinkum {

// The switch recordings of the kbsim keyboard simulator (a folder per switch): one press per
// keyboard row, press/GENERIC_R0 (the number row) to GENERIC_R4 (the space row), the Space,
// Enter and Backspace presses, and releases, generic and for those three keys.
class KbsimRecordingImport {
public:
    struct Strokes {
        int rate = 0;
        std::array<std::vector<float>, 5> rows;     // presses, R0 the number row … R4 the space row
        std::vector<float> space, enter, backspace; // presses of the stabilised keys
        std::vector<std::vector<float>> releases;   // generic releases, each a stroke of its own
        std::vector<float> spaceUp, enterUp, backspaceUp;

        // Every sound present: what a pack needs.
        bool complete() const;
        // The same strokes with `press` applied to every press and `release` to every release.
        Strokes mapped(const std::function<std::vector<float>(const std::vector<float> &)> &press,
                       const std::function<std::vector<float>(const std::vector<float> &)> &release) const;
    };

    // Reads and cleans one switch's recordings; a key the folder lacks stays empty. Nothing when
    // the row presses or the generic release cannot be read.
    static std::optional<Strokes> read(const QString &folder);

    // Lays the strokes out as a pack: every key plays its own row's press, Space, Enter and
    // Backspace their own, releases by category; the ordinary keys' category draws from the row
    // presses that are strokes of their own.
    static void write(const Strokes &strokes, PackWriter &writer);

    // True when `b` is `a` played at another speed (within ±10 %): kbsim made its row
    // presses from one stroke that way, and a copy at another pitch is no second stroke.
    static bool sameStroke(const std::vector<float> &a, const std::vector<float> &b, int rate);
};

} // namespace plinkum
