#!/usr/bin/env bash
# The Debian package as `make deb` builds it, made once into a folder of its
# own: lintian finds no error in it, its dependencies are those of the
# libraries the program links, apt could install it here, and the program in
# it answers without a display.
set -euo pipefail
cpack="$1" build="$2"
out="$(mktemp -d)"
trap 'rm -rf "$out"' EXIT

if ! "$cpack" --config "$build/CPackConfig.cmake" -G DEB -B "$out" >"$out/cpack.log" 2>&1; then
  cat "$out/cpack.log"
  exit 1
fi
deb="$(ls "$out"/ombrel_*.deb)"

depends="$(dpkg-deb -f "$deb" Depends)"
echo "Depends: $depends"
for lib in libqt6widgets6 libqt6network6 libqt6multimedia6 libstdc++6 zlib1g; do
  grep -q "\b$lib\b" <<<"$depends" || { echo "not found among the dependencies: $lib" >&2; exit 1; }
done

lintian --fail-on error --tag-display-limit 0 "$deb" || { echo "lintian found errors" >&2; exit 1; }

apt-get install --simulate --no-install-recommends "$deb" >"$out/apt.log" 2>&1 || { cat "$out/apt.log"; exit 1; }

dpkg-deb -x "$deb" "$out/root"
version="$(env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM "$out/root/usr/bin/ombrel" --version)"
[ "$version" = "Ombrel $(dpkg-deb -f "$deb" Version)" ] || { echo "--version said: $version" >&2; exit 1; }
