#pragma once

#include <QString>

namespace plinkum {

// The "2.1 (57)" text of the About page, from the version and build number baked into the build.
class VersionInfo {
public:
    // Missing or empty parts read as "1.0" and "1".
    [[nodiscard]] static QString text(const QString &shortVersion, const QString &buildNumber);
    [[nodiscard]] static QString current();
};

} // namespace plinkum
