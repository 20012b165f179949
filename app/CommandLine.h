#pragma once

#include <QProcessEnvironment>
#include <QString>
#include <QStringList>

namespace plinkum {

// What the user asked for on the command line, and whether there is a display to show a tray on.
struct CommandLine {
    enum class Mode { Tray, Headless, Diagnose, Version, Help, Invalid };

    Mode mode = Mode::Tray;
    bool noDisplay = false; // asked for the tray where no display exists, so running headless
    QString error;          // for Invalid: what was wrong, for the user

    static CommandLine parse(const QStringList &arguments,
                             const QProcessEnvironment &environment = QProcessEnvironment::systemEnvironment());
    static QString helpText();
    static QString versionText();
};

} // namespace plinkum
