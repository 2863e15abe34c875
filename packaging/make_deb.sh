#!/usr/bin/env bash
# Builds the Debian package of the command line from a configured and built
# Linux build tree:
#
#   bash packaging/make_deb.sh BUILD_DIR OUT_DIR
#
# The program, the manual page and the bash completion come from the build's
# install rule (stripped); the copyright and changelog from packaging/debian.
# Writes OUT_DIR/quorlix_VERSION_amd64.deb (VERSION from the changelog, whose
# upstream part must be the build's version) and prints its path.
set -euo pipefail

HERE=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
build=$(cd "$1" && pwd)
mkdir -p "$2"
out=$(cd "$2" && pwd)

deb_version=$(sed -n '1s/^quorlix (\([^)]*\)).*/\1/p' "$HERE/debian/changelog")
project_version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$build/CMakeCache.txt")
if [ "${deb_version%-*}" != "$project_version" ]; then
  echo "make_deb: the changelog is for $deb_version, the build is $project_version" >&2
  exit 1
fi

staging=$(mktemp -d)
trap 'rm -rf "$staging"' EXIT
root=$staging/root
umask 022
mkdir -p "$root"
DESTDIR=$root cmake --install "$build" --prefix /usr --strip >/dev/null

# The compiler's version notes are of no use in the installed program.
strip --remove-section=.comment "$root/usr/bin/quorlix"
doc=$root/usr/share/doc/quorlix
install -D -m 644 "$HERE/debian/lintian-overrides" "$root/usr/share/lintian/overrides/quorlix"
install -m 644 "$HERE/debian/copyright" "$doc/copyright"
gzip -9n <"$HERE/debian/changelog" >"$doc/changelog.Debian.gz"
gzip -9n "$doc/README.md"
gzip -9n "$root/usr/share/man/man1/quorlix.1"
find "$root" -type d -exec chmod 755 {} +
find "$root" -type f -exec chmod 644 {} +
chmod 755 "$root/usr/bin/quorlix"
# The same bytes from the same sources: every file dated as the changelog.
date=$(dpkg-parsechangelog -l "$HERE/debian/changelog" -S Timestamp 2>/dev/null || date +%s)
find "$root" -exec touch -h -d "@$date" {} +

mkdir -p "$root/DEBIAN"
(cd "$root" && find usr -type f -print0 | LC_ALL=C sort -z | xargs -0 md5sum) >"$root/DEBIAN/md5sums"
chmod 644 "$root/DEBIAN/md5sums"
size=$(du -sk --exclude=DEBIAN "$root" | cut -f1)
sed -e "s/@DEB_VERSION@/$deb_version/" -e "s/@INSTALLED_SIZE@/$size/" \
  "$HERE/debian/control.in" >"$root/DEBIAN/control"

package=$out/quorlix_${deb_version}_amd64.deb
SOURCE_DATE_EPOCH=$date dpkg-deb --root-owner-group -Zxz --build "$root" "$package" >/dev/null
echo "$package"
