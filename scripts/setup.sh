#!/usr/bin/env bash
# Installs every Debian package that the builds and the tests need: the Linux
# build (g++, GoogleTest), the Windows cross build (MinGW-w64) and Wine and
# Xvfb to run the Windows programs, the packaging tools (scripts/package.sh), and for the HTML5 validation of the page
# goldens a Java runtime and Node.js with npm (each only when missing), then
# the Nu Html Checker through `npm ci` in tests/validator. Idempotent:
# packages that are already installed are skipped and the npm step runs only
# when node_modules is missing or does not match package-lock.json, so a second
# run only checks and is quick.
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
  # The fuzz target: clang with libFuzzer and the sanitizer runtimes
  clang libclang-rt-14-dev
  # Test and benchmark helpers (HTML Tidy is the benchmark's baseline; GNU
  # parallel runs the README's recipe for spreading a tree over machines;
  # strace sees and injects system calls in tests/e2e/fault_injection_test.sh)
  python3 tidy parallel strace
  # Packages (scripts/package.sh) and their tests: the manual page's
  # renderer and man, the Debian package's tools and lintian, wixl and
  # msiinfo for the Windows installer, zip for the portable Windows files.
  groff man-db file dpkg-dev lintian wixl msitools zip unzip
  # The rendering check (tests/rendering): pages rendered by headless
  # Chromium before and after the conversion, compared by ImageMagick.
  chromium imagemagick
)
# The HTML5 checker (tests/validator): Java 11 or later runs vnu.jar, and npm
# fetches it. A java, node or npm already on PATH (from any source) is kept.
command -v java >/dev/null 2>&1 || PACKAGES+=(default-jre-headless)
command -v node >/dev/null 2>&1 || PACKAGES+=(nodejs)
command -v npm >/dev/null 2>&1 || PACKAGES+=(npm)

missing=()
for package in "${PACKAGES[@]}"; do
  if ! dpkg-query -W -f='${Status}\n' "$package" 2>/dev/null | grep -qx 'install ok installed'; then
    missing+=("$package")
  fi
done

install_packages() {
  if [ "${#missing[@]}" -eq 0 ]; then
    echo "setup: all ${#PACKAGES[@]} packages are installed"
    return 0
  fi

  local as_root
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
  local apt_options=(-y -q -o DPkg::Lock::Timeout=600 -o Dpkg::Options::=--force-confdef -o Dpkg::Options::=--force-confold)
  "${as_root[@]}" env DEBIAN_FRONTEND=noninteractive apt-get -q -o DPkg::Lock::Timeout=600 update
  "${as_root[@]}" env DEBIAN_FRONTEND=noninteractive apt-get install "${apt_options[@]}" \
    --no-install-recommends "${missing[@]}" </dev/null
  echo "setup: packages done"
}

# The Nu Html Checker from the npm registry, at the version that
# tests/validator/package-lock.json pins. --ignore-scripts: the package's
# install script would look for a Java runtime and download one from outside
# the npm registry when it finds none; Java comes from Debian instead. A stamp
# holding the lock file's checksum tells whether node_modules is current.
install_validator() {
  local dir stamp jar sum
  dir="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)/tests/validator"
  stamp="$dir/node_modules/.quorlix-lock.sha256"
  jar="$dir/node_modules/vnu-jar/build/dist/vnu.jar"
  if [ -f "$dir/package-lock.json" ]; then
    sum=$(sha256sum "$dir/package-lock.json" "$dir/package.json" | sha256sum | cut -d' ' -f1)
  else
    sum=$(sha256sum "$dir/package.json" | sha256sum | cut -d' ' -f1)
  fi
  if [ -f "$jar" ] && [ -f "$stamp" ] && [ "$(cat "$stamp")" = "$sum" ]; then
    echo "setup: the HTML5 checker is installed ($(basename "$jar") in tests/validator)"
    return 0
  fi
  echo "setup: installing the HTML5 checker (npm, tests/validator)"
  local npm_options=(--ignore-scripts --no-audit --no-fund --loglevel=error)
  if [ -f "$dir/package-lock.json" ]; then
    (cd "$dir" && npm ci "${npm_options[@]}")
  else
    (cd "$dir" && npm install "${npm_options[@]}")
  fi
  if [ ! -f "$jar" ]; then
    echo "setup: npm finished but $jar is missing" >&2
    exit 1
  fi
  echo "$sum" > "$stamp"
  echo "setup: HTML5 checker done"
}

install_packages
install_validator
