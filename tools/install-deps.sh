#!/usr/bin/env bash
# Installs what building and running Plinkum needs on Debian 12; with --tests first, also what
# its tests and benchmarks need (servers, a tray, key injection, clang for the sanitizers).
# Safe to run again: apt skips what is already there. Other arguments are more packages to install.
set -euo pipefail

packages=(
  # build
  build-essential cmake ninja-build pkg-config scdoc
  qt6-base-dev qt6-declarative-dev qt6-svg-dev qt6-tools-dev qt6-l10n-tools libgl-dev
  libpulse-dev libpipewire-0.3-dev libsndfile1-dev libevdev-dev libudev-dev libx11-dev libxi-dev
  libxcb-screensaver0-dev
  libebur128-dev libarchive-dev libyaml-cpp-dev
  # real key-by-key recordings for the buckling-spring pack (optional at build time)
  bucklespring-data
  # run time: Qt platform plugins and the QML modules the interface uses
  qt6-qpa-plugins qml6-module-qtquick qml6-module-qtquick-controls qml6-module-qtquick-layouts
  qml6-module-qtquick-window qml6-module-qtquick-templates qml6-module-qtqml-workerscript
  qml6-module-qtquick-dialogs qml6-module-qtquick-shapes libqt6svg6
  qml6-module-qt-labs-folderlistmodel fonts-dejavu-core qt6-wayland
)

test_packages=(
  # the tests' key injection, the sanitizer builds and the benchmarks
  libxtst-dev clang libclang-rt-14-dev libbenchmark-dev
  # the qmllint test reads the types of QtQml (Timer, easing, Qt enums) from these
  qml6-module-qtqml qml6-module-qtqml-models
  # tests: a real sound server, a real X server, key injection
  pulseaudio pulseaudio-utils xvfb x11-xserver-utils sox
  # tests: a private system bus with a mock logind
  dbus-daemon python3-dbusmock
  # tests and benchmarks: a private PipeWire with its session manager on its own session bus
  pipewire pipewire-bin wireplumber pipewire-pulse
  # tests: the desktops Plinkum meets (an X11 tray, a StatusNotifierWatcher on a private bus,
  # a Wayland compositor) and clicks on them
  trayer xdotool weston
)

if [ "${1:-}" = --tests ]; then
  shift
  packages+=("${test_packages[@]}")
fi
# Callers may name more, such as the Debian packaging tools.
packages+=("$@")

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  sudo=""
  [ "$(id -u)" -eq 0 ] || sudo="sudo"
  $sudo apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
