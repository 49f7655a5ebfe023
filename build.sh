#!/usr/bin/env bash
# Sets up, builds, tests and starts Tervanix.
#   ./build.sh test   install what is missing, build, run every test
#   ./build.sh run    install what is missing, build, start the program
#   ./build.sh build  install what is missing and build only
set -euo pipefail
cd "$(dirname "$0")"

BUILD_DIR=${TERVANIX_BUILD_DIR:-build}
PACKAGES=(cmake ninja-build g++ libgtest-dev libgmock-dev libbenchmark-dev
          qt6-base-dev fonts-liberation dbus libglib2.0-bin poppler-utils)

install_missing() {
    local missing=()
    for p in "${PACKAGES[@]}"; do
        dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
    done
    [ ${#missing[@]} -eq 0 ] && return 0
    echo "Installing: ${missing[*]}"
    local sudo=""
    [ "$(id -u)" -ne 0 ] && sudo=sudo
    $sudo apt-get update -qq
    DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
}

build() {
    install_missing
    cmake -S . -B "$BUILD_DIR" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
    cmake --build "$BUILD_DIR" -j "$(nproc)"
}

case "${1:-test}" in
    build) build ;;
    test)
        build
        export QT_QPA_PLATFORM=offscreen
        ctest --test-dir "$BUILD_DIR" --output-on-failure -j "$(nproc)"
        ;;
    run)
        build
        if [ -x "$BUILD_DIR/intake/Tervanix" ]; then
            exec "$BUILD_DIR/intake/Tervanix" "${@:2}"
        else
            exec "$BUILD_DIR/cli/tervanix-cli" "${@:2}"
        fi
        ;;
    *) echo "usage: $0 [test|run|build]" >&2; exit 2 ;;
esac
