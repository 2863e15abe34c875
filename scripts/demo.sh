#!/usr/bin/env bash
# The main job on the bundled example website: sets everything up, builds the
# Linux program, converts a scratch copy of examples/site/ and prints the log.
# examples/site/ itself is never changed.
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."

bash scripts/setup.sh
cmake --preset linux >/dev/null
cmake --build --preset linux

copy=build/example-site
rm -rf "$copy"
cp -r examples/site "$copy"

# The whole site, one converter process per page; the log goes to the
# terminal and to a file beside the converted site.
status=0
build/linux/quorlix --site "$copy" --log "$copy.log" || status=$?

echo
echo "Converted site: $copy/ (the originals are beside each page as .bak files)"
echo "Log:            $copy.log"
echo "Compare:        diff -ru examples/site $copy"
exit "$status"
