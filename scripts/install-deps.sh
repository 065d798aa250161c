#!/usr/bin/env bash
# Installs the Debian packages Quillmere needs, and only those that are missing.
# Usage: scripts/install-deps.sh [core|gui|bench|fuzz|tidy|package|windows]...   (default: core gui)
set -euo pipefail

core=(g++ cmake make ninja-build pkg-config libgtest-dev libgmock-dev libbenchmark-dev libicu-dev)
# The HTML export test reads its output back with libxml2 (tests only).
core+=(libxml2-dev)
gui=(qt6-base-dev qt6-base-dev-tools qt6-svg-dev libgl-dev libqt6dbus6 dbus-daemon xvfb xauth libuemf-dev)
bench=(hyperfine jdupes fdupes rmlint rdfind time)
fuzz=(clang libclang-rt-14-dev)
tidy=(clang-tidy python3)
# scripts/package.sh and scripts/check-package.sh: dpkg-shlibdeps (dpkg-dev, file), the checkers.
package=(dpkg-dev file lintian desktop-file-utils appstream man-db)
# The Windows cross build and its test run: mingw-w64 (POSIX threads), Wine, GoogleTest's sources.
windows=(cmake ninja-build g++-mingw-w64-x86-64-posix wine64 googletest)

wanted=()
groups=("$@")
[ ${#groups[@]} -eq 0 ] && groups=(core gui)
for g in "${groups[@]}"; do
  case "$g" in
    core) wanted+=("${core[@]}") ;;
    gui) wanted+=("${gui[@]}") ;;
    bench) wanted+=("${bench[@]}") ;;
    fuzz) wanted+=("${fuzz[@]}") ;;
    tidy) wanted+=("${tidy[@]}") ;;
    package) wanted+=("${package[@]}") ;;
    windows) wanted+=("${windows[@]}") ;;
    *) echo "install-deps: unknown group '$g' (core, gui, bench, fuzz, tidy, package, windows)" >&2; exit 2 ;;
  esac
done

missing=()
for p in "${wanted[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

echo "Installing: ${missing[*]}"
sudo=()
[ "$(id -u)" -ne 0 ] && sudo=(sudo)
export DEBIAN_FRONTEND=noninteractive
"${sudo[@]}" apt-get update -qq
"${sudo[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
