#!/usr/bin/env bash
# Sets up everything on a fresh Debian 12 machine, builds Quillmere and starts it.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh core gui
scripts/build.sh --build-dir build
if [ -x build/src/app/quillmere ]; then
  exec build/src/app/quillmere
fi
echo "Quillmere's engine and tests are built in build/; the window is not part of this build yet."
