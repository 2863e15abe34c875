#!/usr/bin/env bash
# Builds every package of Quorlix into dist/:
#   dist/quorlix_VERSION_amd64.deb        the Linux command line (Debian package)
#   dist/quorlix-VERSION-x64.msi          the Windows installer (both programs)
#   dist/quorlix-VERSION-windows.zip      the Windows programs without installer
#
#   bash scripts/package.sh
#
# Installs what the builds need (scripts/setup.sh), configures and builds the
# linux and windows presets as far as their packages need, and copies the
# packages to dist/. Their tests are part of the test command
# (scripts/test.sh: ctest -L package in both presets).
set -euo pipefail

cd "$(dirname "${BASH_SOURCE[0]}")/.."
ROOT=$PWD
bash scripts/setup.sh

started=$SECONDS
cmake --preset linux >/dev/null
cmake --build --preset linux -j 2 --target deb
cmake --preset windows >/dev/null
cmake --build --preset windows -j 2 --target windows_packages

mkdir -p "$ROOT/dist"
version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' build/linux/CMakeCache.txt)
deb_version=$(sed -n '1s/^quorlix (\([^)]*\)).*/\1/p' packaging/debian/changelog)
packages=(
  "build/linux/package/quorlix_${deb_version}_amd64.deb"
  "build/windows/package/quorlix-${version}-x64.msi"
  "build/windows/package/quorlix-${version}-windows.zip"
)
for package in "${packages[@]}"; do
  cp "$package" "$ROOT/dist/"
done
echo "packages in dist/ ($((SECONDS - started)) s):"
for package in "${packages[@]}"; do
  ls -l "$ROOT/dist/$(basename "$package")"
done
