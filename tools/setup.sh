#!/usr/bin/env bash
# Installs every Debian package that building, testing and running Velvane needs.
# Does nothing when everything is already there. Without root it installs
# through sudo; without sudo either it says what to run as root and stops.
#   tools/setup.sh           the program and its tests
#   tools/setup.sh --bench   also PipeWire's session manager, which the benchmarks
#                            run against (BENCH_SERVER=pipewire); the program needs
#                            none of it. The tests meet PipeWire without it.
set -euo pipefail

packages=(
  cmake g++ make pkg-config
  qt6-base-dev libgl-dev
  libsdl2-dev
  libportmidi-dev libasound2-dev
  googletest libgtest-dev
  fonts-liberation fonts-comic-neue
  locales-all
  xvfb xauth xdotool imagemagick x11-utils openbox python3
  pulseaudio pulseaudio-utils
  pipewire pipewire-bin pipewire-pulse
  desktop-file-utils appstream
)
if [ "${1:-}" = "--bench" ]; then
  # WirePlumber links the streams and needs a D-Bus session.
  packages+=(wireplumber dbus)
fi
# More packages to require, for the set-up's own test (one never installed).
read -r -a extra <<<"${VELVANE_SETUP_EXTRA_PACKAGES:-}"
packages+=("${extra[@]}")

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done

if [ ${#missing[@]} -eq 0 ]; then
  exit 0
fi

install=(apt-get install -y --no-install-recommends "${missing[@]}")
as_root=()
if [ "$(id -u)" -ne 0 ]; then
  if ! command -v sudo >/dev/null; then
    cat >&2 <<MESSAGE
tools/setup.sh: these Debian packages are missing: ${missing[*]}
Installing them needs root, and sudo is not installed. Run as root:
  apt-get update && ${install[*]}
or install sudo; then run this again.
MESSAGE
    exit 1
  fi
  as_root=(sudo)
fi

# apt and dpkg write hundreds of lines; they go to a log, named if it fails.
log=$(mktemp "${TMPDIR:-/tmp}/velvane-setup.XXXXXX.log")
step() {
  echo "  $1"
  shift
  if ! "${as_root[@]}" env DEBIAN_FRONTEND=noninteractive "$@" >>"$log" 2>&1; then
    echo "tools/setup.sh: '$*' failed; its output is in $log" >&2
    exit 1
  fi
}
echo "Installing ${#missing[@]} packages: ${missing[*]}"
step "updating the package lists" apt-get update
step "installing (apt's output goes to $log)" "${install[@]}"
rm -f "$log"
echo "Installed."
