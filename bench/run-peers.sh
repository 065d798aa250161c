#!/usr/bin/env bash
# Compares quillmere-scan ("Contents Only") with jdupes, fdupes, rmlint and rdfind on five
# generated trees and writes bench/RESULTS.md. One command on a fresh Debian machine:
#
#   bench/run-peers.sh [--trees "a b c d e"] [--runs N] [--cold-runs N] [--scale F] [--seed N]
#                      [--baseline REV] [--build-dir DIR] [--data DIR] [--jobs N] [--skip-install]
#
#   --trees       which trees to run (default: a b c d e)
#   --runs        warm timed runs per command; default per tree: a 5, b 5, c 3, d 10, e 10
#   --cold-runs   cold-cache timed runs per command (default 3; 0 leaves the column out)
#   --scale       shrink the trees for a quick trial (e.g. 0.05); default 1
#   --seed        generator seed (default 20260101); the same seed gives the same trees
#   --baseline    also time quillmere-scan built from this git revision (row "baseline"), to
#                 compare a change with what came before in one run on one machine
#   --build-dir   where quillmere-scan is built in Release (default: build-bench)
#   --data        where the trees go (default: bench/data, git-ignored; about 9.5 GB)
#   --skip-install  do not run scripts/install-deps.sh
#   --report-only   write RESULTS.md again from the files of the last run in bench/out (give the
#                 same --trees, --cold-runs and --baseline as that run)
#
# Every tool runs with options that make it report what "Contents Only" reports: recursive,
# hidden files included, empty files counted as duplicates of each other, hard links not
# reported as duplicates of themselves, symbolic links not followed. The script checks that
# each tool's duplicate sets equal quillmere-scan's, times every command with hyperfine after a
# warm-up run (warm page cache) and again with the page cache dropped before each run (cold; as
# root, where /proc/sys/vm/drop_caches can be written), measures peak memory with
# /usr/bin/time -v, and times the floor `find TREE -type f -printf '%s\n'`, which only walks and
# stats.
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd -P)
trees="a b c d e"
runs=""
cold_runs=3
baseline=""
report_only=0
scale=1
seed=20260101
build="$root/build-bench"
data="$root/bench/data"
jobs=2
install=1

while [ $# -gt 0 ]; do
  case "$1" in
    --trees) trees=$2; shift 2 ;;
    --runs) runs=$2; shift 2 ;;
    --cold-runs) cold_runs=$2; shift 2 ;;
    --baseline) baseline=$2; shift 2 ;;
    --report-only) report_only=1; shift ;;
    --scale) scale=$2; shift 2 ;;
    --seed) seed=$2; shift 2 ;;
    --build-dir) build=$2; shift 2 ;;
    --data) data=$2; shift 2 ;;
    --jobs) jobs=$2; shift 2 ;;
    --skip-install) install=0; shift ;;
    -h|--help) sed -n '2,28p' "$0"; exit 0 ;;
    *) echo "run-peers: unknown option '$1' (see --help)" >&2; exit 2 ;;
  esac
done

out="$root/bench/out"
results="$root/bench/RESULTS.md"
log() { printf '[%s] %s\n' "$(date +%H:%M:%S)" "$*" >&2; }

# ---- 1. tools -------------------------------------------------------------------------------
if [ "$install" = 1 ]; then
  log "installing missing packages (core, bench)"
  "$root/scripts/install-deps.sh" core bench
fi

# ---- 2. quillmere-scan in Release -----------------------------------------------------------
log "building quillmere-scan (Release) in $build"
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DQUILLMERE_GUI=OFF \
  -DQUILLMERE_TESTS=OFF >/dev/null
cmake --build "$build" -j "$jobs" --target quillmere-scan qm-treegen >/dev/null
scan="$build/src/cli/quillmere-scan"
treegen="$build/bench/qm-treegen"

# The baseline is built from a detached worktree of that revision, beside the main build.
base_scan=""
if [ -n "$baseline" ]; then
  base_rev=$(git -C "$root" rev-parse --short "$baseline^{commit}")
  base_src="$build-baseline/src"
  log "building quillmere-scan (Release) of $base_rev in $build-baseline"
  if [ -d "$base_src" ]; then
    git -C "$base_src" checkout -q --detach "$base_rev"
  else
    mkdir -p "$build-baseline"
    git -C "$root" worktree add -q --detach "$base_src" "$base_rev"
  fi
  cmake -S "$base_src" -B "$build-baseline/build" -G Ninja -DCMAKE_BUILD_TYPE=Release \
    -DQUILLMERE_GUI=OFF -DQUILLMERE_TESTS=OFF >/dev/null
  cmake --build "$build-baseline/build" -j "$jobs" --target quillmere-scan >/dev/null
  base_scan="$build-baseline/build/src/cli/quillmere-scan"
fi

# Cold runs drop the page cache before each run; only root may, and not in every container.
cold_note=""
drop_caches="sync; echo 3 > /proc/sys/vm/drop_caches"
if [ "$cold_runs" -gt 0 ] && ! sh -c "$drop_caches" 2>/dev/null; then
  cold_note="not measured: this user may not write /proc/sys/vm/drop_caches"
  cold_runs=0
fi

# ---- 3. trees -------------------------------------------------------------------------------
mkdir -p "$data" "$out"
data=$(cd "$data" && pwd -P)
declare -A tree_note
for t in $trees; do
  dir="$data/$t"
  stamp="seed=$seed scale=$scale"
  if [ -f "$dir.stamp" ] && [ "$(head -n1 "$dir.stamp")" = "$stamp" ] && [ -d "$dir" ]; then
    log "tree $t: present ($stamp)"
  else
    log "tree $t: generating ($stamp)"
    rm -rf "$dir" "$dir.tmp" "$dir.stamp"
    note=$("$treegen" "$t" "$dir.tmp" --seed "$seed" --scale "$scale")
    mv "$dir.tmp" "$dir"
    printf '%s\n%s\n' "$stamp" "$note" >"$dir.stamp"
  fi
  tree_note[$t]=$(sed -n 2p "$dir.stamp")
done

# ---- 4. commands ----------------------------------------------------------------------------
tools="quillmere-scan jdupes fdupes rmlint rdfind"
peers="jdupes fdupes rmlint rdfind"
[ -n "$base_scan" ] && tools="$tools baseline"

# The command that prints tool's duplicate list for tree into file.
command_for() {
  local tool=$1 tree=$2 file=$3
  case "$tool" in
    quillmere-scan) echo "'$scan' --quiet '$tree' >'$file' 2>/dev/null" ;;
    baseline) echo "'$base_scan' --quiet '$tree' >'$file' 2>/dev/null" ;;
    jdupes) echo "jdupes -r -z -q '$tree' >'$file' 2>/dev/null" ;;
    fdupes) echo "fdupes -r -q '$tree' >'$file' 2>/dev/null" ;;
    # To stdout: rmlint keeps an older output file under a new name instead of replacing it.
    rmlint) echo "rmlint -T df --size 0 --hidden --no-hardlinked --no-followlinks -o fdupes:stdout '$tree' >'$file' 2>/dev/null" ;;
    rdfind) echo "rdfind -ignoreempty false -removeidentinode true -followsymlinks false -outputname '$file' '$tree' >/dev/null 2>&1" ;;
    floor) echo "find '$tree' -type f -printf '%s\n' >/dev/null" ;;
  esac
}

# Duplicate sets as sorted lines of tab-joined sorted paths.
normalise() {
  local tool=$1 file=$2
  if [ "$tool" = rdfind ]; then
    # results.txt: "duptype id depth size device inode priority name"; a set shares |id|.
    awk '!/^#/ && NF >= 8 { id = $2 < 0 ? -$2 : $2; name = $0
         for (i = 0; i < 7; i++) sub(/^[^ ]+ +/, "", name); print id "\t" name }' "$file"
  else
    # Sets as blocks of lines separated by blank lines (colour codes stripped).
    sed 's/\x1b\[[0-9;]*m//g' "$file" |
      awk 'BEGIN { RS = ""; FS = "\n" } { for (i = 1; i <= NF; i++) if ($i != "") print NR "\t" $i }'
  fi | LC_ALL=C sort -t "$(printf '\t')" -k1,1n -k2 |
    awk -F '\t' '$1 != last { if (NR > 1) print line; line = $2; last = $1; next }
                 { line = line "\t" $2 } END { if (NR > 0) print line }' |
    LC_ALL=C sort
}

runs_for() {
  if [ -n "$runs" ]; then echo "$runs"; return; fi
  case "$1" in a|b) echo 5 ;; c) echo 3 ;; *) echo 10 ;; esac
}

# ---- 5. runs --------------------------------------------------------------------------------
# Every figure goes to a file under bench/out first; the table is read back from those files, so
# that --report-only can write it again from a finished run.
loadavg() { cut -d' ' -f1-3 /proc/loadavg; }

# One hyperfine call over every command of a tree: times-<kind>.csv.
time_tree() {
  local kind=$1 t=$2 n=$3 dir=$4
  shift 4
  local tree="$data/$t" args=()
  for tool in $tools floor; do
    args+=(-n "$tool" "$(command_for "$tool" "$tree" "$dir/$tool.timed")")
  done
  hyperfine --style basic --runs "$n" --ignore-failure "$@" \
    --export-json "$dir/times-$kind.json" --export-csv "$dir/times-$kind.csv" "${args[@]}" \
    >"$dir/hyperfine-$kind.txt" 2>&1
}

measure_tree() {
  local t=$1 tree="$data/$1" dir="$out/$1"
  rm -rf "$dir"
  mkdir -p "$dir"
  loadavg >"$dir/load"
  log "tree $t: checking the duplicate sets (load $(loadavg))"
  for tool in $tools; do
    /usr/bin/time -v -o "$dir/$tool.time" sh -c "$(command_for "$tool" "$tree" "$dir/$tool.list")" \
      >/dev/null 2>&1 || true
    normalise "$tool" "$dir/$tool.list" >"$dir/$tool.sets"
  done
  /usr/bin/time -v -o "$dir/floor.time" sh -c "$(command_for floor "$tree" /dev/null)" \
    >/dev/null 2>&1 || true
  n=$(runs_for "$t")
  log "tree $t: timing warm, $n runs per command"
  time_tree warm "$t" "$n" "$dir" --warmup 1
  if [ "$cold_runs" -gt 0 ]; then
    log "tree $t: timing cold, $cold_runs runs per command"
    time_tree cold "$t" "$cold_runs" "$dir" --prepare "$drop_caches"
  fi
}

# Reads one tree's files back into median, cold, peak, sets, agree and load.
read_tree() {
  local t=$1 dir="$out/$1" name med
  load[$t]=$(cat "$dir/load" 2>/dev/null || echo "?")
  for tool in $tools floor; do
    peak[$t,$tool]=$(awk -F: '/Maximum resident set size/ { gsub(/ /, "", $2); print $2 }' \
      "$dir/$tool.time" 2>/dev/null || true)
  done
  for tool in $tools; do
    sets[$t,$tool]=$(wc -l <"$dir/$tool.sets")
    if cmp -s "$dir/quillmere-scan.sets" "$dir/$tool.sets"; then
      agree[$t,$tool]=yes
    else
      agree[$t,$tool]=no
      diff "$dir/quillmere-scan.sets" "$dir/$tool.sets" >"$dir/$tool.diff" || true
      log "tree $t: $tool disagrees with quillmere-scan, see $dir/$tool.diff"
    fi
  done
  # times-*.csv: command,mean,stddev,median,user,system,min,max
  while IFS=, read -r name _ _ med _; do
    [ "$name" = command ] || median[$t,$name]=$med
  done <"$dir/times-warm.csv"
  if [ "$cold_runs" -gt 0 ] && [ -f "$dir/times-cold.csv" ]; then
    while IFS=, read -r name _ _ med _; do
      [ "$name" = command ] || cold[$t,$name]=$med
    done <"$dir/times-cold.csv"
  fi
}

declare -A median cold peak agree sets load
if [ "$report_only" = 0 ]; then
  loadavg >"$out/load-start"
  for t in $trees; do measure_tree "$t"; done
  loadavg >"$out/load-end"
fi
load[start]=$(cat "$out/load-start" 2>/dev/null || echo "?")
load[end]=$(cat "$out/load-end" 2>/dev/null || echo "?")
for t in $trees; do read_tree "$t"; done

# ---- 6. RESULTS.md --------------------------------------------------------------------------
ratio() { awk -v a="$1" -v b="$2" 'BEGIN { if (b > 0) printf "%.2f", a / b; else print "-" }'; }
mib() { awk -v k="$1" 'BEGIN { if (k == "") print "-"; else printf "%.1f", k / 1024 }'; }
# The fastest peer's ratio over quillmere-scan in one column ("median" or "cold"), with its name.
fastest_peer() {
  local col=$1 t=$2 q best="" r m
  for tool in $peers; do
    if [ "$col" = median ]; then m=${median[$t,$tool]:-0}; q=${median[$t,quillmere-scan]:-0}
    else m=${cold[$t,$tool]:-0}; q=${cold[$t,quillmere-scan]:-0}; fi
    r=$(ratio "$m" "$q")
    best=$(awk -v a="$r" -v b="$best" -v n="$tool" 'BEGIN { if (b == "" || a + 0 < b + 0) print a " (" n ")"; else print b }')
  done
  echo "$best"
}
# "met" or "missed" for an awk condition such as "2.3 > 1.5".
verdict() { awk "BEGIN { print ($1) ? \"met\" : \"missed\" }" 2>/dev/null || echo "not measured"; }
has_tree() { case " $trees " in *" $1 "*) return 0 ;; esac; return 1; }

version_of() {
  case "$1" in
    quillmere-scan) "$scan" --version ;;
    baseline) echo "$("$base_scan" --version), built from commit $base_rev" ;;
    jdupes) jdupes --version | head -n1 ;;
    fdupes) fdupes --version | head -n1 ;;
    rmlint) rmlint --version 2>&1 | head -n1 | sed 's/\x1b\[[0-9;]*m//g' ;;
    rdfind) rdfind -v | head -n1 ;;
  esac
}

cpu=$(awk -F: '/^model name/ { sub(/^ +/, "", $2); print $2; exit }' /proc/cpuinfo)
ram=$(awk '/^MemTotal/ { printf "%.1f GiB", $2 / 1048576 }' /proc/meminfo)
commit=$(git -C "$root" rev-parse --short HEAD 2>/dev/null || echo unknown)
dirty=$(git -C "$root" status --porcelain 2>/dev/null | grep -v " bench/RESULTS.md$" | head -n1 || true)
[ -n "$dirty" ] && commit="$commit (with uncommitted changes)"

{
  echo "# Peer comparison"
  echo
  echo "Written by \`bench/run-peers.sh\` on $(date -u '+%Y-%m-%d %H:%M UTC') (seed $seed, scale $scale)."
  echo "quillmere-scan built in Release from commit $commit."
  echo
  echo "Machine: $(nproc) CPUs ($cpu), $ram RAM, Linux $(uname -r)."
  echo -n "Load average (1, 5, 15 min): ${load[start]} at the start"
  for t in $trees; do echo -n "; ${load[$t]} before tree $t"; done
  echo "; ${load[end]} at the end."
  echo
  echo "Tools:"
  for tool in $tools; do echo "- $tool: $(version_of "$tool")"; done
  echo
  echo "\"warm\" is the median of the timed runs after one warm-up run (every tree fits in RAM);"
  if [ "$cold_runs" -gt 0 ]; then
    echo "\"cold\" the median of $cold_runs runs, each after \`$drop_caches\`."
  else
    echo "\"cold\" is ${cold_note:-left out (--cold-runs 0)}."
  fi
  echo "\"ratio\" is the tool's warm median over quillmere-scan's (above 1: quillmere-scan is faster) and"
  echo "over the floor \`find TREE -type f -printf '%s\\n'\`. Peak memory is the maximum resident set"
  echo "size from \`/usr/bin/time -v\`. \"sets agree\" compares each tool's duplicate sets with"
  echo "quillmere-scan's, as sorted sets of sorted paths."
  for t in $trees; do
    echo
    echo "## Tree ($t)"
    echo
    echo "${tree_note[$t]}; $(runs_for "$t") warm timed runs per command."
    echo
    echo "| tool | warm (s) | cold (s) | ratio to quillmere-scan | ratio to floor | cold ratio to quillmere-scan | peak memory (MiB) | duplicate sets | sets agree |"
    echo "|---|---:|---:|---:|---:|---:|---:|---:|---|"
    q=${median[$t,quillmere-scan]:-0}
    f=${median[$t,floor]:-0}
    qc=${cold[$t,quillmere-scan]:-0}
    for tool in $tools floor; do
      m=${median[$t,$tool]:-0}
      c=${cold[$t,$tool]:-}
      [ -n "$c" ] && cs=$(printf '%.3f' "$c") || cs=-
      if [ "$tool" = floor ]; then
        printf '| floor (find) | %.3f | %s | %s | 1.00 | %s | %s | - | - |\n' "$m" "$cs" \
          "$(ratio "$m" "$q")" "$(ratio "${c:-0}" "$qc")" "$(mib "${peak[$t,floor]}")"
      else
        printf '| %s | %.3f | %s | %s | %s | %s | %s | %s | %s |\n' "$tool" "$m" "$cs" \
          "$(ratio "$m" "$q")" "$(ratio "$m" "$f")" "$(ratio "${c:-0}" "$qc")" \
          "$(mib "${peak[$t,$tool]}")" "${sets[$t,$tool]}" "${agree[$t,$tool]}"
      fi
    done
  done

  echo
  echo "## Targets"
  echo
  # Speed: ahead of every peer (1.5 times on the 200,000-file tree, warm and cold).
  for t in $trees; do
    aim=1; [ "$t" = a ] && aim=1.5
    w=$(fastest_peer median "$t")
    echo "- Tree ($t), warm: fastest peer at $w times quillmere-scan; aim above $aim: $(verdict "${w%% *} > $aim")."
    if [ "$cold_runs" -gt 0 ]; then
      c=$(fastest_peer cold "$t")
      echo "- Tree ($t), cold: fastest peer at $c times quillmere-scan; aim above $aim: $(verdict "${c%% *} > $aim")."
    fi
  done
  # Floor: the walk and the collection cost little beyond what find pays.
  for pair in "a 2" "d 1.25"; do
    set -- $pair
    has_tree "$1" || continue
    r=$(ratio "${median[$1,quillmere-scan]:-0}" "${median[$1,floor]:-0}")
    echo "- Tree ($1): quillmere-scan at ${r}x the find floor; aim ${2}x or less: $(verdict "$r <= $2")."
  done
  # Memory: below every peer on the small-file trees, under 8 MiB on the 1 MiB tree.
  for t in a d e; do
    has_tree "$t" || continue
    q=${peak[$t,quillmere-scan]:-0}
    low=1 least=""
    for tool in $peers; do
      [ "${peak[$t,$tool]:-0}" -le "$q" ] && low=0
      [ -z "$least" ] || [ "${peak[$t,$tool]:-0}" -lt "${peak[$t,$least]:-0}" ] && least=$tool
    done
    echo "- Tree ($t): peak memory $(mib "$q") MiB, leanest peer $least $(mib "${peak[$t,$least]}") MiB; below every peer: $(verdict "$low")."
  done
  if has_tree b; then
    q=${peak[b,quillmere-scan]:-0}
    echo "- Tree (b): peak memory $(mib "$q") MiB; aim under 8 MiB: $(verdict "$q < 8192")."
  fi
  # Against the baseline build: no slower on the 1 MiB and large-file trees.
  if [ -n "$base_scan" ]; then
    for t in $trees; do
      r=$(ratio "${median[$t,baseline]:-0}" "${median[$t,quillmere-scan]:-0}")
      echo "- Tree ($t): baseline ($base_rev) at ${r} times quillmere-scan warm, peak memory $(mib "${peak[$t,baseline]}") MiB against $(mib "${peak[$t,quillmere-scan]}") MiB."
    done
  fi

  echo
  echo "## Commands"
  echo
  echo "TREE is an absolute path; LIST the file that receives the duplicate list."
  echo
  for tool in $tools floor; do
    echo "- $tool: \`$(command_for "$tool" TREE LIST | sed "s|'$scan'|quillmere-scan|; s|'$base_scan'|quillmere-scan|; s|'TREE'|TREE|; s|'LIST'|LIST|g")\`"
  done
  echo
  echo "Notes: jdupes and fdupes compare candidate files byte for byte; rmlint (BLAKE2b) and"
  echo "rdfind (SHA-1) decide by hash; quillmere-scan groups by size and CRC-32 and confirms equal"
  echo "content byte for byte. Raw data (lists, normalised sets, hyperfine JSON) are in bench/out/."
} >"$results"

log "wrote $results"
cat "$results"
