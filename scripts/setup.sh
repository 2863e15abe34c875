#!/usr/bin/env bash
# Installs every Debian package that the builds and the tests need: the Linux
# build (g++, GoogleTest), the Windows cross build (MinGW-w64) and Wine and
# Xvfb to run the Windows programs. Idempotent: packages that are already
# installed are skipped, so a second run only checks and is quick.
# Runs as root, or through sudo otherwise.
set -euo pipefail

PACKAGES=(
  # Build tools
  cmake ninja-build g++ flex
  # GoogleTest: the Linux build links the packaged library; the Windows build
  # compiles the sources it ships in /usr/src/googletest.
  libgtest-dev googletest
  # Windows cross compiler (the -posix variant is the one used)
  g++-mingw-w64-x86-64 g++-mingw-w64-x86-64-posix
  # Running the Windows programs: /usr/bin/wine comes from "wine", the
  # 64-bit loader from "wine64".
  wine wine64
  # X server for the Windows GUI tests, and the X libraries Wine's X11
  # driver loads at run time (only recommended by the Wine packages).
  xvfb xauth libxrender1 libxi6 libxrandr2 libxcursor1 libxinerama1 libxcomposite1 libxfixes3
  # Test and benchmark helpers
  python3
)

missing=()
for package in "${PACKAGES[@]}"; do
  if ! dpkg-query -W -f='${Status}\n' "$package" 2>/dev/null | grep -qx 'install ok installed'; then
    missing+=("$package")
  fi
done

if [ "${#missing[@]}" -eq 0 ]; then
  echo "setup: all ${#PACKAGES[@]} packages are installed"
  exit 0
fi

if [ "$(id -u)" -eq 0 ]; then
  as_root=()
elif command -v sudo >/dev/null 2>&1; then
  as_root=(sudo)
else
  echo "setup: must run as root or with sudo to install: ${missing[*]}" >&2
  exit 1
fi

echo "setup: installing ${missing[*]}"
export DEBIAN_FRONTEND=noninteractive
apt_options=(-y -q -o DPkg::Lock::Timeout=600 -o Dpkg::Options::=--force-confdef -o Dpkg::Options::=--force-confold)
"${as_root[@]}" env DEBIAN_FRONTEND=noninteractive apt-get -q -o DPkg::Lock::Timeout=600 update
"${as_root[@]}" env DEBIAN_FRONTEND=noninteractive apt-get install "${apt_options[@]}" \
  --no-install-recommends "${missing[@]}" </dev/null
echo "setup: done"
