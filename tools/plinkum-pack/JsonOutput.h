#pragma once

#include "packs/PackInfo.h"
#include "packs/PackLoadFailure.h"

#include <QJsonObject>

namespace plinkum::JsonOutput {

// Exit codes shared by every subcommand.
enum ExitCode { Success = 0, PackError = 1, UsageError = 2 };

// Writes one JSON document and a newline to stdout.
void print(const QJsonObject &document, bool indented = false);

// {"error":"<kind>","message":"…"} on stdout; returns PackError.
int printFailure(const PackLoadFailure &failure);

// A pack descriptor as every subcommand shows it:
// {"id":…,"name":…,"type":null|"…","order":N,"isBuiltIn":bool}.
QJsonObject info(const PackInfo &info);

} // namespace plinkum::JsonOutput
