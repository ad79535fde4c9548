#!/bin/sh
# Runs the walker's differential check: the same random streams through the
# old loops and the walker, which must write the same. A longer run:
#   tools/walker_reference/walker_diff.sh build/tools/walker_diff_old build/tools/walker_diff_new 200000 7
set -e
old=$1 new=$2 streams=${3:-2000} seed=${4:-1}
dir=$(mktemp -d)
trap 'rm -rf "$dir"' EXIT
"$old" "$streams" "$seed" > "$dir/old"
"$new" "$streams" "$seed" > "$dir/new"
if ! cmp -s "$dir/old" "$dir/new"; then
  first=$(diff "$dir/old" "$dir/new" | sed -n '2s/^< \([0-9]*\) .*/\1/p')
  echo "stream $first differs (old <, walker >):"
  "$old" 1 "$seed" "$first" -v > "$dir/old.dump"
  "$new" 1 "$seed" "$first" -v > "$dir/new.dump"
  diff "$dir/old.dump" "$dir/new.dump" | head -40
  exit 1
fi
echo "$streams streams (seed $seed): store, replies, paint plans, positions, copy, find, links and HTML alike"
