#!/usr/bin/env bash
# Configures and builds Quillmere.
# Usage: scripts/build.sh [--build-dir DIR] [--no-gui] [--sanitize] [--werror] [--release]
set -euo pipefail
cd "$(dirname "$0")/.."

build_dir=build
args=()
while [ $# -gt 0 ]; do
  case "$1" in
    --build-dir) build_dir=$2; shift ;;
    --no-gui) args+=(-DQUILLMERE_GUI=OFF) ;;
    --sanitize) args+=(-DQUILLMERE_SANITIZE=ON -DCMAKE_BUILD_TYPE=Debug) ;;
    --werror) args+=(-DQUILLMERE_WERROR=ON) ;;
    --release) args+=(-DCMAKE_BUILD_TYPE=Release) ;;
    *) echo "build.sh: unknown option '$1'" >&2; exit 2 ;;
  esac
  shift
done
[ "${CI:-}" = true ] && args+=(-DQUILLMERE_WERROR=ON)

generator=()
command -v ninja >/dev/null && [ ! -f "$build_dir/Makefile" ] && generator=(-G Ninja)
cmake -S . -B "$build_dir" "${generator[@]}" "${args[@]}" >/dev/null
cmake --build "$build_dir" --parallel "$(nproc)"
