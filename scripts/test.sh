#!/usr/bin/env bash
# Sets up everything on a fresh Debian 12 machine, builds Quillmere and runs every test.
# Usage: scripts/test.sh [--build-dir DIR] [--no-gui] [--sanitize]
set -euo pipefail
cd "$(dirname "$0")/.."

groups=(core gui)
for a in "$@"; do [ "$a" = --no-gui ] && groups=(core); done
scripts/install-deps.sh "${groups[@]}"

build_dir=build
prev=
for a in "$@"; do [ "$prev" = --build-dir ] && build_dir=$a; prev=$a; done

scripts/build.sh "$@"
export QT_QPA_PLATFORM=offscreen
ctest --test-dir "$build_dir" --output-on-failure --parallel "$(nproc)" --timeout 600
