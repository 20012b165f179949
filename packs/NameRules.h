#pragma once

#include <QString>

namespace plinkum {

// What a name the user did not write (a pack's file or folder name) may hold, and how a message
// quotes it.
class NameRules {
public:
    static constexpr qsizetype maxQuoted = 80;

    // False for names holding control characters (C0, DEL, C1), line or paragraph separators, or
    // the characters that reorder text (bidi embeddings, overrides, isolates and marks), which
    // make a name show as something it is not.
    static bool acceptable(const QString &name);
    // `name` for a message: at most maxQuoted characters (then "…"), with whatever acceptable()
    // refuses shown as U+FFFD.
    static QString quoted(const QString &name);

private:
    static bool refused(char32_t c);
};

} // namespace plinkum
