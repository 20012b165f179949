#pragma once

#include <QStringList>

// info, load and check: describing and loading one pack folder. Each takes the arguments after
// its own name and returns the exit code.
namespace plinkum::PackCommands {

int info(const QStringList &arguments);
int load(const QStringList &arguments);
int check(const QStringList &arguments);

} // namespace plinkum::PackCommands
