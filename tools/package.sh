#!/usr/bin/env bash
# Builds the Debian package of Plinkum with debhelper (debian/) from the files git tracks here,
# into build/plinkum_<version>_<arch>.deb (or $PLINKUM_BUILD_DIR), and checks it with lintian.
# Installs what is missing first: what tools/install-deps.sh installs, plus the packaging tools.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${PLINKUM_BUILD_DIR:-$root/build}
"$root/tools/install-deps.sh" debhelper lintian dpkg-dev fakeroot

version=$(dpkg-parsechangelog -l "$root/debian/changelog" -S Version)
project_version=$(sed -n 's/^project(Plinkum VERSION \([0-9.]*\).*/\1/p' "$root/CMakeLists.txt")
if [ "$version" != "$project_version" ]; then
  echo "Plinkum: debian/changelog is at $version but CMakeLists.txt at $project_version" >&2
  exit 1
fi
arch=$(dpkg-architecture -qDEB_HOST_ARCH)

# A clean copy of the sources: nothing of an earlier build goes into the package.
stage="$build/deb"
src="$stage/plinkum-$version"
rm -rf "$stage"
mkdir -p "$src"
(cd "$root" && git ls-files -z --cached --others --exclude-standard | xargs -0 cp --parents -t "$src" --)

(cd "$src" && dpkg-buildpackage -b -us -uc -J"${PLINKUM_JOBS:-$(nproc)}")
deb="$build/plinkum_${version}_${arch}.deb"
mv "$stage/plinkum_${version}_${arch}.deb" "$deb"

lintian --fail-on error "$deb"
echo "$deb"
