#!/usr/bin/env bash
# Installs what building Talvik needs beyond the base image (g++, cmake,
# GoogleTest, Google Benchmark): Debian packages, which needs root or sudo,
# and the source of Fathom, the Syzygy table prober, from Debian's source
# package into /usr/local/src/fathom (TALVIK_FATHOM_DIR), where CMake finds it.
# With the argument "test" it also installs what the tests need: Chromium,
# Node.js and npm for the browser test of the HTML log, and that test's npm
# packages (tests/e2e/browser); xboard, polyglot, Xvfb, Fairy-Max and xdotool
# for the matches under a real GUI (the games land in /usr/games; xdotool types
# a user's moves into xboard's window); clang with its
# runtime for the libFuzzer targets; the ARM cross compiler and qemu-user for
# the 32-bit ARMv6 build under emulation; dpkg-dev, lintian and groff for the
# Debian packages and the manual page. Idempotent; does nothing when
# everything is present. Usage: scripts/setup.sh [test]
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
with_tests=0
[ "${1:-}" = "test" ] && with_tests=1

packages=(ninja-build python3 dpkg-dev)
[ $with_tests -eq 1 ] && packages+=(chromium xboard polyglot xvfb xauth fairymax xdotool clang libclang-rt-14-dev
                                     g++-arm-linux-gnueabi qemu-user dpkg-dev lintian groff-base)
missing=()
for p in "${packages[@]}"; do dpkg -s "$p" >/dev/null 2>&1 || missing+=("$p"); done
# Node.js may come from elsewhere than Debian (with its own npm): only ask
# for the Debian packages when the commands are missing.
if [ $with_tests -eq 1 ]; then
  command -v node >/dev/null 2>&1 || missing+=(nodejs)
  command -v npm >/dev/null 2>&1 || missing+=(npm)
fi

if [ ${#missing[@]} -gt 0 ]; then
  sudo=""
  [ "$(id -u)" -ne 0 ] && sudo="sudo"
  export DEBIAN_FRONTEND=noninteractive
  $sudo apt-get update -qq
  $sudo apt-get install -y -qq "${missing[@]}" >/dev/null
fi

# Fathom, the Syzygy table prober, is built from Debian's source package:
# the packaged library has no thread support and no static or armel build.
fathom_dir="${TALVIK_FATHOM_DIR:-/usr/local/src/fathom}"
if [ ! -f "$fathom_dir/src/tbprobe.c" ]; then
  sudo=""
  [ "$(id -u)" -ne 0 ] && sudo="sudo"
  if ! apt-get source --print-uris fathom >/dev/null 2>&1; then
    . /etc/os-release
    printf 'Types: deb-src\nURIs: http://deb.debian.org/debian\nSuites: %s\nComponents: main\nSigned-By: /usr/share/keyrings/debian-archive-keyring.gpg\n' \
      "$VERSION_CODENAME" | $sudo tee /etc/apt/sources.list.d/talvik-deb-src.sources >/dev/null
    $sudo apt-get update -qq
  fi
  unpacked="$(mktemp -d)"
  (cd "$unpacked" && apt-get source -qq fathom >/dev/null 2>&1) ||
    { echo "setup.sh: apt-get source fathom failed" >&2; exit 1; }
  $sudo mkdir -p "$fathom_dir"
  $sudo cp -r "$unpacked"/fathom-*/. "$fathom_dir"/
  rm -rf "$unpacked"
fi

if [ $with_tests -eq 1 ]; then
  browser="$root/tests/e2e/browser"
  # Reinstall when the lock file is newer than the installed packages.
  if [ ! -d "$browser/node_modules/playwright-core" ] ||
     [ "$browser/package-lock.json" -nt "$browser/node_modules/.package-lock.json" ]; then
    (cd "$browser" && npm ci --no-audit --no-fund --loglevel=error)
  fi
fi
