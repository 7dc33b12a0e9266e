#!/usr/bin/env bash
# Installs everything the build and the tests need on a Debian 12 machine.
# Idempotent: when every package is already there it only checks and exits.
set -euo pipefail

packages=(
  cmake ninja-build g++ clang libclang-rt-14-dev clang-tidy clang-format googletest libgtest-dev libgmock-dev
  g++-mingw-w64-i686-posix mingw-w64-i686-dev g++-mingw-w64-x86-64-posix mingw-w64-x86-64-dev
  wine wine64 xvfb xauth x11-utils imagemagick
  ffmpeg sox espeak-ng
  dante-server tinyproxy
  pulseaudio pulseaudio-utils
  nodejs
  iproute2 procps psmisc
  fonts-nanum
  nsis
  gcovr
)

here=$(cd "$(dirname "$0")" && pwd)
. "$here/i386-probe.sh"

# Wine's 32-bit half runs only the 32-bit Windows tests. A kernel that does
# not execute 32-bit programs could never start it, so it is not even asked
# for there. When the archive cannot supply it (its i386 indexes out of step
# with the amd64 ones, as a mirror mid-sync leaves them), everything else
# still installs and the check says why those tests did not run.
optional=()
if halyard_kernel_runs_i386; then
  optional=(wine32:i386)
else
  echo "setup: this kernel does not execute 32-bit x86 programs; Wine's 32-bit half is left out"
fi

missing=()
missing_optional=()
have_i386=0
dpkg --print-foreign-architectures | grep -qx i386 && have_i386=1
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
for p in ${optional[@]+"${optional[@]}"}; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing_optional+=("$p")
done

SUDO=""
[ "$(id -u)" -eq 0 ] || SUDO="sudo"

if [ ${#missing[@]} -gt 0 ] || [ ${#missing_optional[@]} -gt 0 ]; then
  echo "setup: installing ${missing[*]} ${missing_optional[*]}"
  if [ $have_i386 -eq 0 ] && [ ${#optional[@]} -gt 0 ]; then
    $SUDO dpkg --add-architecture i386
  fi
  export DEBIAN_FRONTEND=noninteractive
  # A mirror caught mid-sync serves an index that fails its checksum. apt
  # then keeps the indexes it has, which usually still hold every package we
  # need, so only a failed install counts; it is tried a few times, since
  # such a mirror is consistent again within minutes.
  for attempt in 1 2 3 4; do
    $SUDO apt-get update -qq >/dev/null || echo "setup: some package indexes could not be updated"
    if [ ${#missing[@]} -eq 0 ] || $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null; then
      break
    fi
    [ $attempt -lt 4 ] || { echo "setup: installing packages failed" >&2; exit 1; }
    echo "setup: the package archive was not ready (attempt $attempt); trying again in 30 s"
    sleep 30
  done
  if [ ${#missing_optional[@]} -gt 0 ] &&
     ! $SUDO apt-get install -y -qq --no-install-recommends "${missing_optional[@]}" >/dev/null 2>&1; then
    echo "setup: ${missing_optional[*]} could not be installed from the archive now; 32-bit Windows programs will not run here"
  fi
fi

# The daemons come with services that would listen on their default ports;
# tests start their own instances on free loopback ports instead.
for svc in danted tinyproxy; do
  if command -v systemctl >/dev/null 2>&1 && systemctl is-active -q "$svc" 2>/dev/null; then
    $SUDO systemctl stop "$svc" >/dev/null 2>&1 || true
  fi
done

# mp4box.js checks recordings with a parser independent of ours.
if [ ! -d "$here/../tools/mp4check/node_modules/mp4box" ] && [ -f "$here/../tools/mp4check/package.json" ]; then
  (cd "$here/../tools/mp4check" && npm ci --silent --no-audit --no-fund >/dev/null 2>&1 || npm install --silent --no-audit --no-fund >/dev/null)
fi
echo "setup: ok"
