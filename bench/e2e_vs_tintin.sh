#!/usr/bin/env bash
# The same flood of coloured MUD text over loopback into tintin++ and into
# the real ombrel, each as a person runs it: tintin++ in a terminal (tmux),
# ombrel on a desktop (Xvfb and openbox), connected through the account
# manager's keys. For each client: CPU seconds of its process, its peak
# RSS and the wall time until it had read the last line.
#
#   bench/e2e_vs_tintin.sh [OMBREL]      (default build-rel/ombrel, a Release build)
#
#   PAIRS=3    tintin++ and ombrel runs, alternating
#   MB=50      megabytes sent to each client (STREAM_LINES=n sets the line count instead)
#   SERVER     tools/mud_test_server; by default the one built beside OMBREL
#
# The wall time is the server's: from the connection until the client's
# reply to the last line, which a trigger sends. Bytes having left the
# server is not the client having read them; its reply is. CPU and RSS are
# read from /proc once the reply is in, just before the client is stopped,
# so both include starting up; the empty-window run (banner and last line
# only) gives that share, and the base of the RSS target. MB are 10^6 bytes.
set -euo pipefail

OMBREL=${1:-${OMBREL:-build-rel/ombrel}}
SERVER=${SERVER:-$(dirname "$OMBREL")/tools/mud_test_server}
PAIRS=${PAIRS:-3}
MB=${MB:-50}
# A stream line averages 90.5 bytes on the wire, escapes and CR LF included.
STREAM_LINES=${STREAM_LINES:-$((MB * 1000000 * 2 / 181))}
WAIT_SECONDS=180 # a client that has not answered by then has failed

work=""
started=()      # processes this script started and has not yet seen end
tmux_socket=""
display_fd_file=""

fail() {
  echo "e2e_vs_tintin: $*" >&2
  exit 1
}

cleanup() {
  local pid
  if [ -n "$tmux_socket" ] && [ -S "$tmux_socket" ]; then
    tmux -S "$tmux_socket" kill-server >/dev/null 2>&1 || true
  fi
  # Last started first: the clients before the window manager before the X server.
  for ((i = ${#started[@]} - 1; i >= 0; i--)); do
    pid=${started[i]}
    kill -TERM "$pid" 2>/dev/null || true
  done
  for pid in "${started[@]}"; do
    wait "$pid" 2>/dev/null || true
  done
  [ -n "$work" ] && rm -rf "$work"
}

# Only what this benchmark needs beyond tools/setup.sh's list.
install_missing() {
  local missing=() p
  for p in tintin++ tmux xvfb openbox xdotool x11-utils; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
  done
  ((${#missing[@]})) || return 0
  local sudo=""
  [ "$(id -u)" -ne 0 ] && sudo="sudo"
  echo "Installing: ${missing[*]}" >&2
  {
    $sudo apt-get update
    DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y --no-install-recommends "${missing[@]}"
  } >"$work/apt.log" 2>&1 || {
    cat "$work/apt.log" >&2
    fail "could not install ${missing[*]}"
  }
}

# Runs the command every 50 ms until it succeeds, for up to `seconds`.
wait_for() {
  local seconds=$1
  shift
  local tries=$((seconds * 20))
  while ((tries-- > 0)); do
    "$@" && return 0
    sleep 0.05
  done
  return 1
}

# --- the loopback server ---------------------------------------------------

server_out=""
server_pid=""

# One client, `lines` stream lines, then the wait for its reply.
start_server() {
  local lines=$1
  server_out="$work/server.$RANDOM.out"
  "$SERVER" --once --timeout $((WAIT_SECONDS + 30)) --stream "$lines" --until-reply >"$server_out" 2>&1 &
  server_pid=$!
  started+=("$server_pid")
  wait_for 5 grep -qs '^PORT ' "$server_out" || fail "the server did not start"
  server_port=$(awk '/^PORT /{print $2}' "$server_out")
}

# Sets reply_seconds and reply_bytes, or fails naming the client.
await_reply() {
  local client=$1 pid=$2
  local tries=$((WAIT_SECONDS * 20))
  while ! grep -q 'REPLY' "$server_out"; do
    kill -0 "$pid" 2>/dev/null || fail "$client ended before answering the last line"
    ((tries-- > 0)) || fail "$client did not answer the last line within $WAIT_SECONDS s"
    sleep 0.05
  done
  grep -q '^NO REPLY' "$server_out" && fail "$client left without answering the last line"
  read -r _ reply_seconds reply_bytes < <(grep '^REPLY ' "$server_out")
}

# --- what /proc says of a running client -----------------------------------

ticks_per_second=$(getconf CLK_TCK)

# Sets cpu_seconds (user + system) and peak_mb (VmHWM) of `pid`.
sample() {
  local pid=$1 stat rest
  read -r stat <"/proc/$pid/stat" || fail "process $pid is gone before it could be measured"
  # The command name may hold spaces; the fields after it do not.
  rest=${stat##*) }
  read -r -a fields <<<"$rest"
  cpu_seconds=$(awk -v u="${fields[11]}" -v s="${fields[12]}" -v hz="$ticks_per_second" \
    'BEGIN { printf "%.2f", (u + s) / hz }')
  peak_mb=$(awk '/^VmHWM:/ { printf "%.1f", $2 * 1024 / 1e6 }' "/proc/$pid/status")
}

# Ends a child of ours and forgets it, so that cleanup never signals a
# process id the system may since have given to someone else.
stop() {
  local pid=$1 kept=() p
  kill -TERM "$pid" 2>/dev/null || true
  wait "$pid" 2>/dev/null || true
  for p in "${started[@]}"; do
    [ "$p" = "$pid" ] || kept+=("$p")
  done
  started=("${kept[@]}")
}

# --- tintin++ in tmux -------------------------------------------------------

tintin=""

run_tintin() {
  local lines=$1
  start_server "$lines"
  # The action answers the last line with "quit", which goes to the server.
  printf '#action {^END OF STREAM %%d$} {quit}\n#session bench 127.0.0.1 %s\n' "$server_port" \
    >"$work/bench.tin"
  tmux_socket="$work/tmux.sock"
  # tmux and tintin++ read no user files: an empty tmux configuration and a HOME of our own.
  HOME="$work/home" tmux -S "$tmux_socket" -f "$work/tmux.conf" new-session -d -x 120 -y 40 \
    -c "$work" "exec $tintin -G bench.tin"
  local pid
  pid=$(tmux -S "$tmux_socket" display-message -p '#{pane_pid}')
  [ "$(cat "/proc/$pid/comm" 2>/dev/null)" = "tt++" ] || fail "tmux did not start tintin++"
  await_reply tintin++ "$pid"
  sample "$pid"
  # tmux is no child of ours: its own server ends it, and the pane with it.
  tmux -S "$tmux_socket" kill-server >/dev/null 2>&1 || true
  tmux_socket=""
  stop "$server_pid"
}

# --- ombrel on a desktop -----------------------------------------------------

# Xvfb picks a free display itself and tells us which.
start_desktop() {
  display_fd_file="$work/display"
  Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$display_fd_file" >"$work/xvfb.log" 2>&1 &
  started+=($!)
  wait_for 10 grep -q '[0-9]' "$display_fd_file" || fail "Xvfb did not start"
  DISPLAY=":$(tr -dc 0-9 <"$display_fd_file")"
  export DISPLAY
  openbox --sm-disable >"$work/openbox.log" 2>&1 &
  started+=($!)
  wait_for 10 bash -c 'xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 0x' ||
    fail "openbox did not start"
}

crlf() { printf '%s\r\n' "$@"; }

# The four little-endian bytes of a non-negative 32-bit integer.
int32() {
  local shift
  for shift in 0 8 16 24; do
    # shellcheck disable=SC2059 # the format is the escaped byte itself
    printf "\\x$(printf %02x $(($1 >> shift & 255)))"
  done
}

# A fresh data/ as a user who has set up one account would have it: the
# account on the server, its option set with colours, telnet and a trigger
# answering the last line, and the window placed with the account chosen.
prepare_data() {
  local data="$work/ombrel/data"
  rm -rf "$data"
  mkdir -p "$data"
  # name, server, port, option set, no auto-send lines, no comment lines
  crlf Bench 127.0.0.1 "$server_port" Default 0 0 >"$data/accounts.dat"
  # Keys left out keep their defaults when the file is read.
  crlf "#optionset	Default" "#ansi	true" "#scrollbar	true" "#telnet	true" \
    "#triggers" "#trigger	end of stream" "#string	END OF STREAM" "#text" quit "#endtext" \
    "#textenabled	true" "#endtrigger" "#endtriggers" "#endoptionset" >"$data/options.dat"
  # config.cfg, 280 bytes: left, top, width, height, account index, expert
  # mode, toolbar shown, then an empty last directory and zeros.
  {
    int32 100; int32 100; int32 1000; int32 700; int32 0
    printf '\x00\x01'
    head -c 258 /dev/zero
  } >"$data/config.cfg"
}

# The id of the visible window whose title matches, within ten seconds.
window() {
  local id=""
  wait_for 10 bash -c "xdotool search --onlyvisible --name '$1' >/dev/null 2>&1" || return 1
  id=$(xdotool search --onlyvisible --name "$1" 2>/dev/null | tail -n 1)
  echo "$id"
}

keys() {
  xdotool windowactivate --sync "$1" key --clearmodifiers "${@:2}" >/dev/null 2>&1
}

run_ombrel() {
  local lines=$1
  start_server "$lines"
  prepare_data
  "$work/ombrel/ombrel" >"$work/ombrel.log" 2>&1 &
  local pid=$!
  started+=("$pid")
  # F2 opens the account manager on the last account; Enter connects.
  local main accounts
  main=$(window '^Ombrel') || fail "ombrel showed no window"
  keys "$main" F2
  accounts=$(window '^Connect$') || fail "F2 opened no account manager"
  keys "$accounts" Return
  await_reply ombrel "$pid"
  sample "$pid"
  stop "$pid"
  stop "$server_pid"
}

# --- figures ---------------------------------------------------------------

# median DECIMALS VALUE...
median() {
  local decimals=$1
  shift
  printf '%s\n' "$@" | sort -g | awk -v f="%.${decimals}f" '{ v[NR] = $1 } END {
    printf f, NR % 2 ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'
}

row() {
  printf '%-22s %8s %12s %8s\n' "$@"
}

main() {
  [ -x "$OMBREL" ] || fail "no ombrel at $OMBREL (a Release build: cmake --build build-rel --target ombrel)"
  [ -x "$SERVER" ] || fail "no server at $SERVER (cmake --build build-rel --target mud_test_server)"
  work=$(mktemp -d /tmp/ombrel-e2e.XXXXXX)
  trap cleanup EXIT
  trap 'exit 130' INT TERM
  install_missing
  tintin=$(command -v tt++ || echo /usr/games/tt++)
  [ -x "$tintin" ] || fail "tintin++ is installed but tt++ was not found"
  mkdir -p "$work/home" "$work/ombrel"
  : >"$work/tmux.conf"
  # The program keeps its files beside its executable, links resolved.
  cp "$OMBREL" "$work/ombrel/ombrel"
  start_desktop

  run_ombrel 0
  local empty_cpu=$cpu_seconds empty_rss=$peak_mb

  local t_cpu=() t_rss=() t_wall=() o_cpu=() o_rss=() o_wall=() bytes=0
  echo "$STREAM_LINES lines to each client; tintin++ $(dpkg-query -W -f='${Version}' tintin++) in tmux 120x40, ombrel 1000x700 under Xvfb"
  row "" "CPU s" "peak RSS MB" "wall s"
  row "ombrel, empty window" "$empty_cpu" "$empty_rss" "-"
  for ((pair = 1; pair <= PAIRS; pair++)); do
    run_tintin "$STREAM_LINES"
    t_cpu+=("$cpu_seconds") t_rss+=("$peak_mb") t_wall+=("$reply_seconds")
    row "tintin++ $pair" "$cpu_seconds" "$peak_mb" "$reply_seconds"
    run_ombrel "$STREAM_LINES"
    o_cpu+=("$cpu_seconds") o_rss+=("$peak_mb") o_wall+=("$reply_seconds")
    row "ombrel $pair" "$cpu_seconds" "$peak_mb" "$reply_seconds"
    bytes=$reply_bytes
  done

  local tc oc
  tc=$(median 2 "${t_cpu[@]}") oc=$(median 2 "${o_cpu[@]}")
  echo "medians of $PAIRS, $(awk -v b="$bytes" 'BEGIN { printf "%.1f", b / 1e6 }') MB sent to each client:"
  row "tintin++" "$tc" "$(median 1 "${t_rss[@]}")" "$(median 3 "${t_wall[@]}")"
  row "ombrel" "$oc" "$(median 1 "${o_rss[@]}")" "$(median 3 "${o_wall[@]}")"
  awk -v t="$tc" -v o="$oc" 'BEGIN { printf "CPU ratio tintin++ / ombrel: %.2f\n", (o > 0 ? t / o : 0) }'
  awk -v e="$empty_rss" -v b="$bytes" -v p="$(median 1 "${o_rss[@]}")" 'BEGIN {
    printf "RSS target: empty window %.1f + 1.3 x %.1f MB received = %.1f MB; ombrel median peak %.1f MB\n",
      e, b / 1e6, e + 1.3 * b / 1e6, p }'
}

main "$@"
