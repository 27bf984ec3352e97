#!/usr/bin/env bash
# Installs every Debian package that building, testing and running Velvane needs.
# Does nothing when everything is already there.
#   tools/setup.sh           the program and its tests
#   tools/setup.sh --bench   also the PipeWire server the benchmarks run against
#                            (BENCH_SERVER=pipewire); the program needs none of it
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
  desktop-file-utils appstream
)
if [ "${1:-}" = "--bench" ]; then
  # WirePlumber links the streams and needs a D-Bus session; pipewire-pulse
  # lets the recorder's parec read the null sink's monitor.
  packages+=(pipewire pipewire-bin wireplumber pipewire-pulse dbus)
fi

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done

if [ ${#missing[@]} -eq 0 ]; then
  exit 0
fi

echo "Installing: ${missing[*]}"
sudo_cmd=()
if [ "$(id -u)" -ne 0 ]; then
  sudo_cmd=(sudo)
fi
export DEBIAN_FRONTEND=noninteractive
"${sudo_cmd[@]}" apt-get update -qq
"${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
