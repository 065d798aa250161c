#!/usr/bin/env bash
# Builds the libFuzzer targets with clang and runs each for a short while.
# Usage: scripts/fuzz.sh [--seconds N] [--build-dir DIR]   (default: 60 seconds a target)
set -euo pipefail
cd "$(dirname "$0")/.."

seconds=60
build_dir=build-fuzz
while [ $# -gt 0 ]; do
  case "$1" in
    --seconds) seconds=$2; shift ;;
    --build-dir) build_dir=$2; shift ;;
    *) echo "fuzz.sh: unknown option '$1'" >&2; exit 2 ;;
  esac
  shift
done

scripts/install-deps.sh core gui fuzz
generator=()
command -v ninja >/dev/null && [ ! -f "$build_dir/Makefile" ] && generator=(-G Ninja)
cmake -S . -B "$build_dir" "${generator[@]}" -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DCMAKE_CXX_COMPILER=clang++ -DQUILLMERE_FUZZ=ON -DQUILLMERE_TESTS=OFF -DQUILLMERE_BENCH=OFF >/dev/null
cmake --build "$build_dir" --target qm_fuzzers --parallel "$(nproc)"

status=0
while read -r target; do
  [ -n "$target" ] || continue
  exe=$(find "$build_dir/fuzz" -type f -name "$target" -perm -u+x | head -n 1)
  corpus="$build_dir/fuzz-corpus/$target"
  mkdir -p "$corpus"
  seeds=()
  [ -d "fuzz/corpus/$target" ] && seeds=("fuzz/corpus/$target")
  echo "== $target: ${seconds}s"
  if ! "$exe" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 -print_final_stats=1 \
       -artifact_prefix="$build_dir/" "$corpus" "${seeds[@]}" 2>"$build_dir/$target.log"; then
    tail -n 40 "$build_dir/$target.log"
    echo "fuzz.sh: $target failed; the input is in $build_dir/" >&2
    status=1
  else
    grep -E '^stat::number_of_executed_units' "$build_dir/$target.log" || true
  fi
done <"$build_dir/fuzz-targets.txt"
exit $status
