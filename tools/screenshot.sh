#!/usr/bin/env bash
# docs/screenshot.png, the README's picture: the demo of tools/demo.sh on a
# desktop of its own (Xvfb and openbox), connected with F2 and Enter as a
# player would, a greeting said, a step walked, and the bell waited for.
#
#   tools/screenshot.sh [BUILD]     (default build; `make screenshot`)
#
# Installs Xvfb, openbox, xdotool, x11-utils and imagemagick when missing.
set -euo pipefail

build=${1:-build}
root=$(cd "$(dirname "$0")/.." && pwd)
out="$root/docs/screenshot.png"
BELL_SECONDS=${BELL_SECONDS:-42} # the demo world's first message, the bell, comes within 40 s

work=""
started=() # last started first on the way out: demo, window manager, X server

fail() {
  echo "screenshot: $*" >&2
  exit 1
}

cleanup() {
  local i
  for ((i = ${#started[@]} - 1; i >= 0; i--)); do
    kill -TERM "${started[i]}" 2>/dev/null || true
    wait "${started[i]}" 2>/dev/null || true
  done
  [ -n "$work" ] && rm -rf "$work"
}

install_missing() {
  local missing=() p sudo=""
  for p in xvfb openbox xdotool x11-utils imagemagick; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
  done
  ((${#missing[@]})) || return 0
  [ "$(id -u)" -ne 0 ] && sudo="sudo"
  echo "Installing: ${missing[*]}" >&2
  $sudo apt-get update >/dev/null
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y --no-install-recommends "${missing[@]}" >/dev/null
}

# Runs the command every 50 ms until it succeeds, for up to `seconds`.
wait_for() {
  local tries=$(($1 * 20))
  shift
  while ((tries-- > 0)); do
    "$@" && return 0
    sleep 0.05
  done
  return 1
}

# The id of the visible window whose title matches, within ten seconds.
window() {
  wait_for 10 bash -c "xdotool search --onlyvisible --name '$1' >/dev/null 2>&1" || return 1
  xdotool search --onlyvisible --name "$1" 2>/dev/null | tail -n 1
}

keys() { xdotool windowactivate --sync "$1" key --clearmodifiers "${@:2}" >/dev/null 2>&1; }

# Types a line into the command line and sends it.
say() {
  xdotool windowactivate --sync "$1" type --delay 60 "$2" >/dev/null 2>&1
  keys "$1" Return
  sleep 1
}

main() {
  [ -x "$build/ombrel" ] || fail "no program at $build/ombrel (make build)"
  work=$(mktemp -d /tmp/ombrel-screenshot.XXXXXX)
  trap cleanup EXIT
  trap 'exit 130' INT TERM
  install_missing

  Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$work/display" >"$work/xvfb.log" 2>&1 &
  started+=($!)
  wait_for 10 grep -qs '[0-9]' "$work/display" || fail "Xvfb did not start"
  DISPLAY=":$(tr -dc 0-9 <"$work/display")"
  export DISPLAY
  openbox --sm-disable >"$work/openbox.log" 2>&1 &
  started+=($!)
  wait_for 10 bash -c 'xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 0x' ||
    fail "openbox did not start"

  DEMO_DIR="$work/demo" "$root/tools/demo.sh" "$build" >"$work/demo.log" 2>&1 &
  started+=($!)
  local main accounts
  main=$(window '^Ombrel') || fail "the demo showed no window: $(cat "$work/demo.log")"
  keys "$main" F2
  accounts=$(window '^Connect$') || fail "F2 opened no account manager"
  keys "$accounts" Return
  wait_for 10 bash -c "xdotool getwindowname $main | grep -q 'Demo World'" || fail "Enter did not connect"
  sleep 1
  say "$main" "say hello"
  say "$main" "north"
  sleep "$BELL_SECONDS"
  # Typed, not sent: the command line in use.
  xdotool windowactivate --sync "$main" type --delay 60 "greet Ann" >/dev/null 2>&1
  sleep 1

  # The window with its frame: the client area widened by the frame's extents.
  local x y w h l r t b
  x=$(xwininfo -id "$main" | awk '/Absolute upper-left X/ { print $NF }')
  y=$(xwininfo -id "$main" | awk '/Absolute upper-left Y/ { print $NF }')
  w=$(xwininfo -id "$main" | awk '/^ *Width:/ { print $NF }')
  h=$(xwininfo -id "$main" | awk '/^ *Height:/ { print $NF }')
  # "_NET_FRAME_EXTENTS(CARDINAL) = left, right, top, bottom"
  read -r l r t b < <(xprop -id "$main" _NET_FRAME_EXTENTS | sed 's/.*= //; s/,/ /g')
  mkdir -p "$(dirname "$out")"
  import -window root -crop "$((w + l + r))x$((h + t + b))+$((x - l))+$((y - t))" +repage "$work/shot.png"
  # A palette of 256 colours keeps the text sharp at a fraction of the size.
  convert "$work/shot.png" -strip -colors 256 -define png:compression-level=9 "PNG8:$out"
  keys "$main" alt+F4
  echo "$out: $(identify -format '%wx%h' "$out"), $(($(stat -c %s "$out") / 1024)) KB"
}

main "$@"
