#!/usr/bin/env bash
# Sets up, builds, tests and starts Tervanix.
#   ./build.sh test   install what is missing, build, run every test
#   ./build.sh run    install what is missing, build, start the program
#   ./build.sh build  install what is missing and build only
#   ./build.sh package  a Debian package of the program in build-package/ (installs under /usr)
#   ./build.sh asan   build in build-asan with AddressSanitizer and UndefinedBehaviorSanitizer,
#                     run every test; the first fault ends the test that met it
set -euo pipefail
cd "$(dirname "$0")"

BUILD_DIR=${TERVANIX_BUILD_DIR:-build}
ASAN_BUILD_DIR=${TERVANIX_ASAN_BUILD_DIR:-build-asan}
PACKAGES=(cmake ninja-build g++ libgtest-dev libgmock-dev libbenchmark-dev
          qt6-base-dev qt6-translations-l10n fonts-liberation dbus libglib2.0-bin desktop-file-utils dpkg-dev
          poppler-utils python3
          # CUPS's commands print on the system's printers; a test runs a private cupsd with a
          # queue of cups-pdf's printer description
          cups-client cups-daemon cups-filters cups-pdf)

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

# Our own builds keep warnings as errors.
build() {
    local dir=$1
    install_missing
    cmake -S . -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTERVANIX_WERROR=ON "${@:2}" >/dev/null
    cmake --build "$dir" -j "$(nproc)"
}

run_tests() {
    export QT_QPA_PLATFORM=offscreen
    ctest --test-dir "$1" --output-on-failure -j "$(nproc)"
}

case "${1:-test}" in
    build) build "$BUILD_DIR" ;;
    test)
        build "$BUILD_DIR"
        run_tests "$BUILD_DIR"
        ;;
    asan)
        build "$ASAN_BUILD_DIR" -DTERVANIX_SANITIZE=ON -DTERVANIX_BUILD_BENCH=OFF
        export ASAN_OPTIONS=halt_on_error=1:detect_leaks=1:detect_stack_use_after_return=1:strict_init_order=1
        export UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1
        run_tests "$ASAN_BUILD_DIR"
        ;;
    run)
        build "$BUILD_DIR"
        if [ -x "$BUILD_DIR/intake/Tervanix" ]; then
            exec "$BUILD_DIR/intake/Tervanix" "${@:2}"
        else
            exec "$BUILD_DIR/cli/tervanix-cli" "${@:2}"
        fi
        ;;
    package)
        PACKAGES+=(lintian)
        install_missing
        # Debian's hardening: the compiler and linker flags of dpkg-buildflags (fortify, stack
        # protector, PIE, full RELRO); CMake takes CXXFLAGS and LDFLAGS, the preprocessor's go with
        # the compiler's.
        export DEB_BUILD_MAINT_OPTIONS=hardening=+all
        CXXFLAGS="$(dpkg-buildflags --get CPPFLAGS) $(dpkg-buildflags --get CXXFLAGS)"
        LDFLAGS="$(dpkg-buildflags --get LDFLAGS)"
        export CXXFLAGS LDFLAGS
        cmake -S . -B build-package -G Ninja -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX=/usr \
            -DTERVANIX_BUILD_TESTS=OFF -DTERVANIX_BUILD_BENCH=OFF >/dev/null
        cmake --build build-package -j "$(nproc)"
        (cd build-package && cpack -G DEB)
        # A package lintian finds an error in is not delivered; its warnings are shown.
        lintian --pedantic --info --fail-on error build-package/tervanix_*.deb
        ;;
    *) echo "usage: $0 [test|run|build|asan|package]" >&2; exit 2 ;;
esac
