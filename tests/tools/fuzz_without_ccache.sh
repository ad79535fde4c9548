#!/usr/bin/env bash
# The fuzz build on a machine without ccache: tools/fuzz.sh configures its
# build folder, and a source file of the core compiles there, with every
# program on the path but ccache. Skipped (77) without clang.
set -euo pipefail
src="$1" work="$2"
command -v clang++-14 >/dev/null || { echo "clang++-14 is not installed: skipped"; exit 77; }
rm -rf "$work"
mkdir -p "$work/bin"
ccache="$(command -v ccache || true)"
declare -A seen
links=()
IFS=: read -r -a dirs <<<"$PATH"
for dir in "${dirs[@]}"; do
  for f in "$dir"/*; do
    name="${f##*/}"
    # The first of a name wins, as on the path; ccache's own wrappers are left out too.
    [ -x "$f" ] && [ -z "${seen[$name]:-}" ] || continue
    seen[$name]=1
    [ -n "$ccache" ] && [ "$f" -ef "$ccache" ] && continue
    links+=("$f")
  done
done
ln -s "${links[@]}" "$work/bin/"
export PATH="$work/bin"
! command -v ccache >/dev/null || { echo "ccache is still on the path"; exit 1; }
cd "$src"
FUZZ_BUILD="$work/build" tools/fuzz.sh configure
object="$(ninja -C "$work/build" -t targets all | grep -o '^[^:]*/util/digits\.cpp\.o' | head -n 1)"
[ -n "$object" ] || { echo "no object of the core to build"; exit 1; }
ninja -C "$work/build" "$object"
