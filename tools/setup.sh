#!/bin/sh
# Sets up Hourbook on a Debian 12 machine.
#   tools/setup.sh start   install what is missing, build, install the program folder and start it
#   tools/setup.sh test    install what is missing, build everything and run every test
set -eu

ROOT=$(cd "$(dirname "$0")/.." && pwd)
BUILD="${HB_BUILD_DIR:-$ROOT/build}"

PACKAGES="g++ cmake ninja-build pkg-config qt6-base-dev qt6-tools-dev qt6-tools-dev-tools
qt6-l10n-tools libgl-dev libgtest-dev libgmock-dev libbenchmark-dev libsqlite3-dev
fonts-liberation2 xvfb xauth python3 python3-dbfread python3-dbf desktop-file-utils
clang libclang-rt-14-dev"

install_packages() {
  missing=""
  for p in $PACKAGES; do
    if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
      missing="$missing $p"
    fi
  done
  [ -z "$missing" ] && return 0
  echo "Installing:$missing"
  if [ "$(id -u)" -ne 0 ]; then SUDO=sudo; else SUDO=""; fi
  $SUDO apt-get update
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y --no-install-recommends $missing
}

build() {
  cmake -S "$ROOT" -B "$BUILD" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
  cmake --build "$BUILD"
}

# The program folder lives outside the build tree: the default data folder is below it.
program_folder() {
  if [ -n "${HB_PREFIX:-}" ]; then echo "$HB_PREFIX"
  elif [ "$(id -u)" -eq 0 ]; then echo /opt/hourbook
  else echo "$HOME/.local/share/hourbook"; fi
}

install_program() {
  prefix=$(program_folder)
  cmake --install "$BUILD" --prefix "$prefix"
  if [ "$(id -u)" -eq 0 ]; then
    apps=/usr/share/applications; icons=/usr/share/icons/hicolor/scalable/apps
  else
    apps="$HOME/.local/share/applications"; icons="$HOME/.local/share/icons/hicolor/scalable/apps"
  fi
  mkdir -p "$apps" "$icons"
  cp "$ROOT/tools/hourbook.svg" "$icons/hourbook.svg"
  cat > "$apps/hourbook.desktop" <<DESKTOP
[Desktop Entry]
Type=Application
Name=Hourbook
Comment=Time registration
Exec=$prefix/hblite
Path=$prefix
Icon=hourbook
Terminal=false
Categories=Office;ProjectManagement;
DESKTOP
  command -v update-desktop-database >/dev/null && update-desktop-database "$apps" || true
  echo "Hourbook installed in $prefix"
}

case "${1:-}" in
  start)
    install_packages
    build
    install_program
    prefix=$(program_folder)
    if [ -n "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ]; then
      (cd "$prefix" && nohup ./hblite >/dev/null 2>&1 &)
      echo "Hourbook started."
    else
      echo "No desktop session here: start Hourbook from the menu or with $prefix/hblite."
    fi
    ;;
  test)
    install_packages
    build
    # The table engine's fuzz targets (clang, sanitizers): corpus replay and a short run
    # each; a finding fails the command once the tests have run.
    fuzz=0
    HB_FUZZ_BUILD_DIR="$BUILD/fuzz" "$ROOT/fuzz/run.sh" 25 || fuzz=1
    cd "$BUILD"
    QT_QPA_PLATFORM=offscreen ctest --output-on-failure --no-tests=error -j2
    [ "$fuzz" -eq 0 ] || { echo "The fuzz targets found a fault (see above)." >&2; exit 1; }
    ;;
  *)
    echo "usage: $0 start|test" >&2
    exit 2
    ;;
esac
