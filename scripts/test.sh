#!/usr/bin/env bash
# Sets up everything on a fresh Debian 12 machine, builds Quillmere and runs every test.
# Usage: scripts/test.sh [--build-dir DIR] [--no-gui] [--sanitize]
#        scripts/test.sh --windows [--build-dir DIR]
#   --windows cross-builds the core, its tests and quillmere-scan for 64-bit Windows with
#   mingw-w64 (no Qt) into build-windows/ and runs the tests under Wine.
set -euo pipefail
cd "$(dirname "$0")/.."

windows=false
for a in "$@"; do [ "$a" = --windows ] && windows=true; done

if $windows; then
  start=$(date +%s)
  build_dir=build-windows
  prev=
  for a in "$@"; do [ "$prev" = --build-dir ] && build_dir=$a; prev=$a; done
  scripts/install-deps.sh windows core

  # The Linux quillmere-scan loads what the Windows one wrote: the build of the main test run
  # when there is one, else a small one of its own.
  host_dir=build
  if [ ! -f "$host_dir/CMakeCache.txt" ]; then
    host_dir=$build_dir/host
    cmake -S . -B "$host_dir" -G Ninja -DQUILLMERE_GUI=OFF -DQUILLMERE_TESTS=OFF \
      -DQUILLMERE_BENCH=OFF >/dev/null
  fi
  cmake --build "$host_dir" --target quillmere-scan --parallel "$(nproc)"

  args=(-DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake -DQUILLMERE_GUI=OFF
        -DQUILLMERE_BENCH=OFF -DQUILLMERE_GTEST_SOURCE=/usr/src/googletest
        -DQUILLMERE_HOST_SCAN="$PWD/$host_dir/src/cli/quillmere-scan")
  [ "${CI:-}" = true ] && args+=(-DQUILLMERE_WERROR=ON)
  cmake -S . -B "$build_dir" -G Ninja "${args[@]}" >/dev/null
  cmake --build "$build_dir" --parallel "$(nproc)"

  # A Wine prefix of the build's own, so that the user's ~/.wine is never touched; one Wine
  # server for the whole run, since starting one costs seconds. No Mono or Gecko: the prefix is
  # made without asking to download them.
  export WINEPREFIX=$PWD/$build_dir/wine-prefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
  wine=$(command -v wine64 || command -v wine || echo /usr/lib/wine/wine64)
  wineserver=$(command -v wineserver || echo /usr/lib/wine/wineserver64)
  # The lasting server first (a server still running for this prefix serves as well).
  "$wineserver" -p 2>/dev/null || true
  trap '"$wineserver" -k || true' EXIT
  "$wine" wineboot --init >/dev/null 2>&1 || true
  ctest --test-dir "$build_dir" --output-on-failure --parallel "$(nproc)" --timeout 900
  echo "Windows build and tests under Wine: $(( $(date +%s) - start )) s"
  exit 0
fi

groups=(core gui)
for a in "$@"; do [ "$a" = --no-gui ] && groups=(core); done
scripts/install-deps.sh "${groups[@]}"

build_dir=build
prev=
for a in "$@"; do [ "$prev" = --build-dir ] && build_dir=$a; prev=$a; done

scripts/build.sh "$@"
export QT_QPA_PLATFORM=offscreen
ctest --test-dir "$build_dir" --output-on-failure --parallel "$(nproc)" --timeout 600
