#!/usr/bin/env bash
# Checks a Quillmere .deb the way a user's system would meet it: lists its contents, unpacks it
# into a scratch root (dpkg -x), validates the installed menu entry and AppStream metadata,
# runs the unpacked quillmere-scan, and runs lintian, failing on any error it reports.
# Usage: scripts/check-package.sh FILE.deb
set -euo pipefail
[ $# -eq 1 ] || { echo "usage: scripts/check-package.sh FILE.deb" >&2; exit 2; }
deb=$(realpath "$1")
cd "$(dirname "$0")/.."
scripts/install-deps.sh package

echo "== $deb"
dpkg-deb --info "$deb"
dpkg-deb --contents "$deb"

root=$(mktemp -d)
trap 'rm -rf "$root"' EXIT
dpkg -x "$deb" "$root"

for file in bin/quillmere bin/quillmere-scan share/man/man1/quillmere-scan.1.gz \
            share/man/man1/quillmere.1.gz share/icons/hicolor/scalable/apps/org.quillmere.Quillmere.svg \
            share/doc/quillmere/copyright share/doc/quillmere/changelog.gz; do
  [ -e "$root/usr/$file" ] || { echo "check-package: /usr/$file is missing" >&2; exit 1; }
done

echo "== desktop-file-validate"
desktop-file-validate "$root"/usr/share/applications/*.desktop
echo "== appstreamcli validate"
appstreamcli validate --no-net "$root"/usr/share/metainfo/*.metainfo.xml
echo "== manual pages"
for page in "$root"/usr/share/man/man1/*.gz; do
  warnings=$(LC_ALL=C.UTF-8 MANROFFSEQ='' man --warnings -E UTF-8 -l "$page" 2>&1 >/dev/null)
  [ -z "$warnings" ] || { echo "$page: $warnings" >&2; exit 1; }
done

echo "== the unpacked quillmere-scan"
"$root/usr/bin/quillmere-scan" --version
"$root/usr/bin/quillmere-scan" --help >/dev/null
# It still searches: two equal files in a scratch folder are one duplicate set.
mkdir "$root/search"
printf 'same bytes\n' >"$root/search/a.txt"
printf 'same bytes\n' >"$root/search/b.txt"
printf 'other bytes\n' >"$root/search/c.txt"
sets=$("$root/usr/bin/quillmere-scan" --quiet "$root/search" 2>/dev/null)
[ "$sets" = "$root/search/a.txt
$root/search/b.txt" ] || { echo "check-package: unexpected sets:" >&2; echo "$sets" >&2; exit 1; }

echo "== lintian"
lintian --info --display-info --fail-on error "$deb"
echo "check-package: $deb is sound"
