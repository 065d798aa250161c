#!/usr/bin/env bash
# quillmere-scan.exe under Wine on a fixture tree in the Linux temporary folder (Wine's drive Z:):
# names outside the ANSI code page, a hard link, a hidden file, a path longer than 260
# characters. Its results file must name the files by their exact Windows paths, and the Linux
# quillmere-scan must load that file (the files are missing there; each row is still named).
# Usage: WindowsScanTest.sh WINE QUILLMERE-SCAN.EXE LINUX-QUILLMERE-SCAN
set -euo pipefail
wine=$1
scan_exe=$2
host_scan=$3

fixture=$(mktemp -d /tmp/qm-windows-scan-XXXXXX)
trap 'rm -rf "$fixture"' EXIT
failures=0
fail() {
  echo "FAILED: $*" >&2
  failures=$((failures + 1))
}

# The Windows path of a Linux path: drive Z: is the Linux root.
windows_path() {
  printf 'Z:%s' "${1//\//\\}"
}

mkdir -p "$fixture/a" "$fixture/b/σύνολο" "$fixture/c" "$fixture/d"
printf 'one content\n' > "$fixture/a/one.txt"
cp "$fixture/a/one.txt" "$fixture/b/σύνολο/日本語.txt"
cp "$fixture/a/one.txt" "$fixture/b/😀 emoji.txt"
# A hard link is the same file: never a duplicate of itself.
printf 'linked\n' > "$fixture/c/pair.bin"
ln "$fixture/c/pair.bin" "$fixture/c/pair-link.bin"
# Hidden (Wine marks names that start with "."), found unless --no-hidden.
printf 'hidden twin\n' > "$fixture/d/.hidden.txt"
printf 'hidden twin\n' > "$fixture/d/visible.txt"
# Two equal files at the end of a path of more than 260 characters.
long="$fixture/long"
for part in $(seq 1 6); do long="$long/folder-$part-$(printf 'x%.0s' $(seq 1 40))"; done
mkdir -p "$long"
printf 'far away\n' > "$long/first.txt"
printf 'far away\n' > "$long/second.txt"
[ "${#long}" -gt 260 ] || fail "the long path is only ${#long} characters"

root=$(windows_path "$fixture")
dat="$fixture.dat"
trap 'rm -rf "$fixture" "$dat"' EXIT

# The sets, as text.
if ! text=$("$wine" "$scan_exe" --quiet "$root" 2>/dev/null); then
  fail "quillmere-scan.exe ended with an error"
fi
expected_sets=$(printf '%s\n' \
  "$(windows_path "$fixture/a/one.txt")" \
  "$(windows_path "$fixture/b/σύνολο/日本語.txt")" \
  "$(windows_path "$fixture/b/😀 emoji.txt")" \
  "$(windows_path "$fixture/d/.hidden.txt")" \
  "$(windows_path "$fixture/d/visible.txt")" \
  "$(windows_path "$long/first.txt")" \
  "$(windows_path "$long/second.txt")" | sort)
found_sets=$(printf '%s\n' "$text" | grep -v '^$' | sort)
if [ "$found_sets" != "$expected_sets" ]; then
  fail "the sets differ"
  diff <(echo "$expected_sets") <(echo "$found_sets") >&2 || true
fi
printf '%s\n' "$text" | grep -q 'pair' && fail "a hard link was reported as a duplicate"

# Without hidden files, the hidden twin leaves its set (and the set goes).
hidden_off=$("$wine" "$scan_exe" --quiet --no-hidden "$root" 2>/dev/null || true)
printf '%s\n' "$hidden_off" | grep -q 'hidden' && fail "--no-hidden still found a hidden file"
printf '%s\n' "$hidden_off" | grep -q 'visible' && fail "--no-hidden left a set of one file"

# The results file: Windows paths, exactly; CR LF line ends.
"$wine" "$scan_exe" --quiet --format dat --output "$(windows_path "$dat")" "$root" \
  || fail "quillmere-scan.exe could not write its results file"
for file in "$fixture/a/one.txt" "$fixture/b/σύνολο/日本語.txt" "$fixture/b/😀 emoji.txt" \
            "$long/second.txt"; do
  grep -qF "|$(windows_path "$file")|" "$dat" || fail "the results file lacks $file"
done
[ "$(grep -c $'\r$' "$dat")" = "$(wc -l < "$dat")" ] || fail "a line of the results file lacks CR LF"

# Loaded on Linux: every copy is named, and missing here, nothing is acted on.
loaded=$("$host_scan" --load "$dat" --trash-copies --dry-run 2>&1 || true)
for file in "$fixture/b/σύνολο/日本語.txt" "$fixture/b/😀 emoji.txt" "$long/second.txt"; do
  grep -qF "would fail: $(windows_path "$file"): it no longer exists" <<<"$loaded" \
    || fail "the Linux load did not name $file"
done
grep -qF "Nothing was changed." <<<"$loaded" || fail "the Linux load gave no summary"

# A drive root: drive Y: of the Wine prefix is mapped to a folder of the fixture. Below a root the
# depth counts one level less (the first level below "Y:\" is at depth 0), so --depth 1 reaches
# Y:\A\B\ from the root, but only ...\drive\A\ from the same folder reached as an ordinary one.
drive="$fixture-drive"
mkdir -p "$drive/A/B/C"
for level in "" A A/B A/B/C; do
  name=${level//\//-}
  printf 'level %s\n' "$level" > "$drive/$level/${name:-root}-1.txt"
  printf 'level %s\n' "$level" > "$drive/$level/${name:-root}-2.txt"
done
printf 'only one\n' > "$drive/same.txt"
dosdevices="${WINEPREFIX:-$HOME/.wine}/dosdevices"
letter=
for l in y x w v u; do
  if [ ! -e "$dosdevices/$l:" ]; then letter=$l; break; fi
done
trap 'rm -rf "$fixture" "$dat" "$drive"; [ -n "$letter" ] && rm -f "$dosdevices/$letter:"' EXIT
if [ -z "$letter" ]; then
  fail "no free drive letter in $dosdevices"
else
  ln -s "$drive" "$dosdevices/$letter:"
  upper=${letter^^}
  from_root=$("$wine" "$scan_exe" --quiet --depth 1 "$upper:\\" 2>/dev/null || true)
  expected_root=$(printf '%s\n' "$upper:\\root-1.txt" "$upper:\\root-2.txt" \
    "$upper:\\A\\A-1.txt" "$upper:\\A\\A-2.txt" \
    "$upper:\\A\\B\\A-B-1.txt" "$upper:\\A\\B\\A-B-2.txt" | sort)
  found_root=$(printf '%s\n' "$from_root" | grep -v '^$' | sort)
  if [ "$found_root" != "$expected_root" ]; then
    fail "the depth rule below a drive root"
    diff <(echo "$expected_root") <(echo "$found_root") >&2 || true
  fi
  from_folder=$("$wine" "$scan_exe" --quiet --depth 1 "$(windows_path "$drive")" 2>/dev/null || true)
  found_folder=$(printf '%s\n' "$from_folder" | grep -v '^$' | sed 's/.*\\//' | sort | tr '\n' ' ')
  [ "$found_folder" = "A-1.txt A-2.txt root-1.txt root-2.txt " ] \
    || fail "the depth rule below an ordinary folder: $found_folder"
  # The same files through two paths (the drive and its folder on Z:) are each one file: never a
  # copy of itself, and each set lists every file once.
  both=$("$wine" "$scan_exe" --quiet "$upper:\\" "$(windows_path "$drive")" 2>/dev/null || true)
  grep -q 'same.txt' <<<"$both" && fail "a file reached through two paths was its own copy"
  [ "$(grep -c 'root-' <<<"$both")" = 2 ] || fail "a set listed a file twice: $both"
fi

if [ "$failures" -gt 0 ]; then
  echo "$failures check(s) failed" >&2
  exit 1
fi
echo "quillmere-scan.exe under Wine: all checks passed"
