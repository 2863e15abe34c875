#!/usr/bin/env bash
# Builds the Windows installer and the portable zip from a built windows
# preset:
#
#   bash packaging/make_windows_packages.sh BUILD_DIR OUT_DIR
#
# Writes OUT_DIR/quorlix-VERSION-x64.msi (wixl, from packaging/windows/
# quorlix.wxs) and OUT_DIR/quorlix-VERSION-windows.zip (a folder
# quorlix-VERSION with both programs, the README and the licence), and
# prints their paths. The programs are stripped of their debug information.
set -euo pipefail

HERE=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
ROOT=$(dirname "$HERE")
build=$(cd "$1" && pwd)
mkdir -p "$2"
out=$(cd "$2" && pwd)
version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$build/CMakeCache.txt")

staging=$(mktemp -d)
trap 'rm -rf "$staging"' EXIT
folder=$staging/quorlix-$version
mkdir -p "$folder"
for program in quorlix.exe quorlix-cli.exe; do
  x86_64-w64-mingw32-strip -o "$folder/$program" "$build/$program"
done
# Text files with the line ends that Notepad shows as lines everywhere.
sed 's/$/\r/' "$ROOT/README.md" >"$folder/README.md"
sed 's/$/\r/' "$ROOT/LICENSE" >"$folder/LICENSE.txt"
# The same bytes from the same sources: every file dated as the last commit
# where there is one.
date=$(git -C "$ROOT" log -1 --format=%ct 2>/dev/null || date +%s)
find "$staging" -exec touch -h -d "@$date" {} +

msi=$out/quorlix-$version-x64.msi
rm -f "$msi"
# wixl takes the files' paths relative to the folder it runs in.
cp "$HERE/windows/quorlix.wxs" "$ROOT/resources/quorlix.ico" "$staging/"
(cd "$staging" && wixl --arch x64 -D Version="$version" -D Staging="quorlix-$version" -D Resources=. \
   -o "$msi" quorlix.wxs)

zip=$out/quorlix-$version-windows.zip
rm -f "$zip"
(cd "$staging" && TZ=UTC zip -q -X -r "$zip" "quorlix-$version")
echo "$msi"
echo "$zip"
