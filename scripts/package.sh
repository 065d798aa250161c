#!/usr/bin/env bash
# Builds the Debian package of Quillmere in Release: the two programs and the files they install,
# nothing else (no tests, no benchmarks), with Debian's hardening flags, then cpack -G DEB.
# Usage: scripts/package.sh [--build-dir DIR]     (default build-package/)
# Prints the path of the .deb on its last line.
set -euo pipefail
cd "$(dirname "$0")/.."

build_dir=build-package
while [ $# -gt 0 ]; do
  case "$1" in
    --build-dir) build_dir=$2; shift ;;
    *) echo "package.sh: unknown option '$1'" >&2; exit 2 ;;
  esac
  shift
done

scripts/install-deps.sh core gui package

# Debian's flags for fortified functions, stack protection and relocations that are read-only
# and bound at start, without debugging information (the package is stripped anyway). Given on
# the command line, not in the environment, so that a build folder made before takes them too.
export DEB_BUILD_MAINT_OPTIONS=hardening=+all
cxxflags="$(dpkg-buildflags --get CXXFLAGS | sed 's/\(^\| \)-g\( \|$\)/ /') $(dpkg-buildflags --get CPPFLAGS)"
ldflags="$(dpkg-buildflags --get LDFLAGS)"

args=(-DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX=/usr
      "-DCMAKE_CXX_FLAGS=$cxxflags" "-DCMAKE_EXE_LINKER_FLAGS=$ldflags"
      -DQUILLMERE_TESTS=OFF -DQUILLMERE_BENCH=OFF -DQUILLMERE_FUZZ=OFF)
command -v ccache >/dev/null && args+=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
generator=()
command -v ninja >/dev/null && [ ! -f "$build_dir/Makefile" ] && generator=(-G Ninja)
cmake -S . -B "$build_dir" "${generator[@]}" "${args[@]}" >/dev/null
cmake --build "$build_dir" --parallel "$(nproc)"

rm -f "$build_dir"/quillmere_*.deb
(cd "$build_dir" && cpack -G DEB >/dev/null)
deb=$(ls "$build_dir"/quillmere_*.deb)
echo "$deb"
