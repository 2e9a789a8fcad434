#!/bin/bash
# Tarnwick's one entry point on Linux: installs what the build needs, cross-compiles the
# Windows program with MinGW-w64 and runs it, its tests or its benchmarks under Wine.
#
#   ./tarnwick.sh test              build, then run every test (exit code = ctest's)
#   ./tarnwick.sh run [arguments]   build, then run tarnwick.exe with the arguments
#   ./tarnwick.sh build             install and build only
#   ./tarnwick.sh bench             build, then run the benchmarks
#   ./tarnwick.sh dist              build the release zip
#   ./tarnwick.sh clean             remove the build folder
#
# TARNWICK_BUILD_DIR chooses the build folder (default: ./build).
set -euo pipefail

SOURCE_DIR=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
BUILD_DIR=${TARNWICK_BUILD_DIR:-$SOURCE_DIR/build}
WINE_ROOT=$BUILD_DIR/wine
JOBS=$(nproc 2>/dev/null || echo 2)

PACKAGES=(cmake make g++-mingw-w64-x86-64-posix mingw-w64-tools wine64 wine xvfb googletest
          imagemagick librsvg2-bin fp-utils zip unzip libchm-bin nlohmann-json3-dev
          libz-mingw-w64-dev python3 osslsigncode openssl)

log() { printf '==> %s\n' "$*" >&2; }

install_packages() {
  local missing=() package
  for package in "${PACKAGES[@]}"; do
    dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'install ok installed' || missing+=("$package")
  done
  [ ${#missing[@]} -eq 0 ] && return 0
  log "installing ${missing[*]}"
  local sudo=()
  [ "$(id -u)" -ne 0 ] && sudo=(sudo)
  "${sudo[@]}" apt-get update -qq
  DEBIAN_FRONTEND=noninteractive "${sudo[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
}

build() {
  install_packages
  if [ ! -f "$BUILD_DIR/CMakeCache.txt" ]; then
    log "configuring $BUILD_DIR"
    cmake -S "$SOURCE_DIR" -B "$BUILD_DIR" -DCMAKE_BUILD_TYPE=Release \
      -DCMAKE_TOOLCHAIN_FILE="$SOURCE_DIR/cmake/mingw-w64-x86_64.cmake" >/dev/null
  fi
  log "building"
  cmake --build "$BUILD_DIR" --parallel "$JOBS"
}

# shellcheck source=tests/wine-prefix.sh
source "$SOURCE_DIR/tests/wine-prefix.sh"

run_tests() {
  build
  log "running the tests under Wine"
  local rc=0
  ensure_display "$WINE_ROOT"
  ensure_template "$WINE_ROOT"
  (cd "$BUILD_DIR" && ctest --output-on-failure --parallel "$JOBS" "$@") || rc=$?
  stop_display "$WINE_ROOT"
  return $rc
}

run_program() {
  build
  local prefix="$WINE_ROOT/run"
  local had_display=${DISPLAY:+yes}
  ensure_template "$WINE_ROOT"
  if [ ! -d "$prefix" ]; then
    fresh_prefix "$WINE_ROOT" "$prefix"
    install_demo_drivers "$prefix"
  fi
  local exe
  exe="$(winepath_of "$BUILD_DIR/tarnwick.exe")"
  if [ $# -eq 0 ] && [ -z "$had_display" ]; then
    local target="$BUILD_DIR/backup"
    log "no display: backing up the drivers of the run prefix into $target"
    ensure_display "$WINE_ROOT"
    local rc=0
    # What a user backs up: the third-party drivers. Wine's own devices (/all) have INFs
    # without the install sections they name, so they could never be saved.
    WINEPREFIX="$prefix" WINEDEBUG=-all wine "$exe" "/path:$(winepath_of "$target")" >"$BUILD_DIR/run-output.txt" 2>&1 || rc=$?
    local logfile
    logfile=$(ls -t "$target"/Tarnwick-*-log.txt 2>/dev/null | head -n 1 || true)
    if [ -n "$logfile" ]; then
      log "log: $logfile"
      tr -d '\r' <"$logfile"
    else
      # No log in the target (the run failed before it made the folder): what it printed.
      tr -d '\r' <"$BUILD_DIR/run-output.txt"
    fi
    log "exit code $rc; the backup is in $target"
    stop_display "$WINE_ROOT"
    return $rc
  fi
  ensure_display "$WINE_ROOT"
  WINEPREFIX="$prefix" WINEDEBUG=-all wine "$exe" "$@"
}

# A new run prefix gets a few made-up third-party drivers (Contoso, Fabrikam) installed as
# Windows would, so the program has real drivers to list and back up.
install_demo_drivers() {
  local installer="$BUILD_DIR/tests/fixtures/fixture_installer.exe"
  [ -f "$installer" ] || { log "no fixture_installer.exe in this build: the run prefix has no demo drivers"; return 0; }
  log "installing demo drivers into the run prefix"
  WINEPREFIX="$1" WINEDEBUG=-all wine "$(winepath_of "$installer")" demo 'C:\TarnwickDemo' >/dev/null ||
    log "the demo drivers could not be installed"
}

# The Windows path under which Wine sees a Linux path (its Z: drive maps /).
winepath_of() {
  local path
  path=$(realpath -m "$1")
  printf 'Z:%s' "${path//\//\\}"
}

command=${1:-}
[ $# -gt 0 ] && shift
case "$command" in
  test) run_tests "$@" ;;
  run) run_program "$@" ;;
  build) build ;;
  dist)
    build
    log "packing the release zip"
    cmake --build "$BUILD_DIR" --target dist
    ;;
  bench)
    build
    ensure_display "$WINE_ROOT"
    ensure_template "$WINE_ROOT"
    "$SOURCE_DIR/bench/run-benchmarks.sh" "$BUILD_DIR" "$@"
    ;;
  clean) rm -rf "$BUILD_DIR" ;;
  *)
    sed -n '2,13p' "${BASH_SOURCE[0]}" | sed 's/^# \{0,1\}//'
    [ -z "$command" ] && exit 2
    echo "unknown command: $command" >&2
    exit 2
    ;;
esac
