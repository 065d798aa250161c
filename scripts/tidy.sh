#!/usr/bin/env bash
# Runs clang-tidy with the root .clang-tidy over every source file under src/ that the build
# compiles (its compile_commands.json), in parallel; fails on any warning.
# Usage: scripts/tidy.sh [--build-dir DIR] [--jobs N]
set -euo pipefail
cd "$(dirname "$0")/.."

build_dir=build
jobs=2
while [ $# -gt 0 ]; do
  case "$1" in
    --build-dir) build_dir=$2; shift ;;
    --jobs) jobs=$2; shift ;;
    *) echo "tidy.sh: unknown option '$1'" >&2; exit 2 ;;
  esac
  shift
done

database="$build_dir/compile_commands.json"
if [ ! -f "$database" ]; then
  echo "tidy.sh: $database is missing; build first (scripts/build.sh)" >&2
  exit 2
fi
scripts/install-deps.sh tidy

src="$(pwd)/src/"
mapfile -t files < <(python3 - "$database" "$src" <<'PY'
import json, os, sys
database, src = sys.argv[1], sys.argv[2]
seen = set()
for entry in json.load(open(database)):
    path = os.path.normpath(os.path.join(entry["directory"], entry["file"]))
    if path.startswith(src) and path not in seen:
        seen.add(path)
        print(path)
PY
)
[ ${#files[@]} -gt 0 ] || { echo "tidy.sh: no sources under src/ in $database" >&2; exit 2; }

echo "clang-tidy: ${#files[@]} files, $jobs at a time"
log=$(mktemp)
trap 'rm -f "$log"' EXIT
status=0
printf '%s\n' "${files[@]}" |
  xargs -P "$jobs" -n 4 clang-tidy -p "$build_dir" --quiet --warnings-as-errors='*' \
    >"$log" 2>&1 || status=$?
# Each finding with its notes, without clang-tidy's counts of what it suppressed.
grep -v -E '^[0-9]+ (warning|error)s? (and [0-9]+ (warning|error)s? )?generated|^Suppressed [0-9]+ warnings|^Use -header-filter|^Use -system-headers' "$log" || true
if [ "$status" -ne 0 ]; then
  echo "clang-tidy: findings above" >&2
  exit 1
fi
echo "clang-tidy: clean"
