#!/usr/bin/env bash
# Installs, only when missing, what building and testing Ombrel needs on Debian 12.
set -euo pipefail

packages=(
  g++ make cmake ninja-build pkg-config
  qt6-base-dev qt6-multimedia-dev libgl-dev nlohmann-json3-dev
  libgtest-dev libgmock-dev libbenchmark-dev
  fonts-dejavu-core
  gstreamer1.0-plugins-base gstreamer1.0-plugins-good
  xvfb xauth
  openbox xdotool xclip x11-utils
  gcovr
  tinymux
  zlib1g-dev stunnel4 openssl
  dpkg-dev file desktop-file-utils appstream lintian librsvg2-bin man-db
  liblua5.4-dev libpcre2-dev
  dbus-daemon at-spi2-core python3-pyatspi
  qt6-speech-dev qt6-speech-speechd-plugin qt6-declarative-dev
)
# Pattern triggers are scanned with Hyperscan where Debian builds it (amd64)
# and with Vectorscan, its portable fork, elsewhere: Debian 12's Vectorscan
# (5.4.9) misses matches of short literals on amd64. The two conflict, so
# Vectorscan goes when Hyperscan comes.
also=()
if [ "$(dpkg --print-architecture)" = amd64 ]; then
  packages+=(libhyperscan-dev)
  if dpkg-query -W -f='${Status}' libvectorscan5 2>/dev/null | grep -q "install ok installed"; then
    also=(libvectorscan-dev- libvectorscan5-)
  fi
else
  packages+=(libvectorscan-dev)
fi
# `make fuzz` needs clang with libFuzzer; nothing of it is installed otherwise.
if [ "${FUZZ:-}" = 1 ]; then
  packages+=(clang-14 libfuzzer-14-dev)
fi

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done

if ((${#missing[@]})); then
  echo "Installing: ${missing[*]}"
  sudo=""
  if [ "$(id -u)" -ne 0 ]; then sudo="sudo"; fi
  $sudo apt-get update
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y --no-install-recommends "${missing[@]}" "${also[@]}"
fi

# A real telnet server for the end-to-end tests: busybox's telnetd, unpacked
# from Debian's static busybox into the build tree. The system's own busybox
# is left alone. Without it those tests are skipped, saying why.
build_dir="${BUILD:-build}"
busybox="$build_dir/busybox/bin/busybox"
if [ ! -x "$busybox" ]; then
  echo "Fetching busybox-static into $build_dir/busybox"
  tmp="$(mktemp -d)"
  fetch() { (cd "$tmp" && apt-get download busybox-static >/dev/null 2>&1); }
  if ! fetch; then
    # A fresh machine may have no package lists yet.
    sudo=""
    if [ "$(id -u)" -ne 0 ]; then sudo="sudo"; fi
    $sudo apt-get update >/dev/null 2>&1 || true
    fetch || true
  fi
  deb="$(ls "$tmp"/busybox-static_*.deb 2>/dev/null | head -n 1 || true)"
  if [ -n "$deb" ] && mkdir -p "$build_dir/busybox" && dpkg -x "$deb" "$build_dir/busybox"; then
    echo "busybox: $("$busybox" | head -n 1)"
  else
    echo "warning: could not fetch busybox-static; the telnetd tests will be skipped" >&2
  fi
  rm -rf "$tmp"
fi
