#!/usr/bin/env bash
# Ombrel with a world to try it on: a private copy of the built program in
# BUILD/demo with its own data/ (the player's data/ is never touched), one
# account "Demo World" on the loopback demo server and an option set "Demo"
# that shows colours, a trigger with a sound, an alias, macros and
# speedwalking. The server runs as long as the program does.
#
#   tools/demo.sh [BUILD]         (default build; `make demo` builds it first)
#   tools/demo.sh --write-data DIR PORT
#                                 only the data folder, for a server on PORT
#
# The demo's files are written afresh at every start, since the server's
# port changes: what is changed in the demo lasts until it is closed.
set -euo pipefail

SERVER_HOURS=${SERVER_HOURS:-12} # the server ends by itself after that
# DEMO_DIR: where the copy and its data/ go, BUILD/demo by default

server_pid=""
program_pid=""
demo_mark=.made-by-demo # in a data folder that may be cleared

fail() {
  echo "demo: $*" >&2
  exit 1
}

cleanup() {
  local pid
  for pid in $program_pid $server_pid; do
    kill -TERM "$pid" 2>/dev/null || true
    wait "$pid" 2>/dev/null || true
  done
}

crlf() { printf '%s\r\n' "$@"; }
tab() { printf '#%s\t%s\r\n' "$1" "$2"; }

# The four little-endian bytes of a non-negative 32-bit integer.
int32() {
  local shift
  for shift in 0 8 16 24; do
    # shellcheck disable=SC2059 # the format is the escaped byte itself
    printf "\\x$(printf %02x $(($1 >> shift & 255)))"
  done
}

# A colour as the files store it: red in the low byte.
rgb() { echo $(($1 | $2 << 8 | $3 << 16)); }

# A short bell: two decaying partials, 8-bit mono at 8 kHz, as a wave file.
write_bell() {
  local samples=6000
  {
    printf 'RIFF'
    int32 $((36 + samples))
    printf 'WAVEfmt '
    int32 16
    printf '\x01\x00\x01\x00' # PCM, one channel
    int32 8000
    int32 8000
    printf '\x01\x00\x08\x00' # one byte a frame, 8 bits
    printf 'data'
    int32 "$samples"
    LC_ALL=C awk -v n="$samples" 'BEGIN {
      for (i = 0; i < n; i++) {
        t = i / 8000
        v = exp(-4 * t) * (0.6 * sin(6.2832 * 880 * t) + 0.3 * sin(6.2832 * 2217 * t))
        printf "%c", int(128 + 100 * v)
      }
    }'
  } >"$1"
}

# The option set "Demo", every line as the program writes it. Accounts added
# in the demo name "Default", which is not there: they keep this set.
write_options() {
  local bell
  bell="$(cd "$data" && pwd)/bell.wav"
  {
    tab optionset Demo
    tab bgcolor "$(rgb 24 26 32)"
    tab textbrightcolor "$(rgb 255 255 255)"
    tab textcolor "$(rgb 204 204 204)"
    crlf '#ansimap'
    # Black, red, green, yellow, blue, magenta, cyan, gray; then bold.
    crlf "$(rgb 0 0 0)" "$(rgb 205 49 49)" "$(rgb 13 188 121)" "$(rgb 229 229 16)" \
      "$(rgb 36 114 200)" "$(rgb 188 63 188)" "$(rgb 17 168 205)" "$(rgb 229 229 229)" \
      "$(rgb 102 102 102)" "$(rgb 241 76 76)" "$(rgb 35 209 139)" "$(rgb 245 245 67)" \
      "$(rgb 59 142 234)" "$(rgb 214 112 214)" "$(rgb 41 184 219)" "$(rgb 255 255 255)"
    crlf '#endansimap'
    tab fontname 'DejaVu Sans Mono'
    tab fontsize 11
    tab fontstyle ''
    tab ansi true
    tab scrollbar true
    tab localecho true
    tab margin ''
    tab telnet true
    tab telnetinit true
    tab telopnaws true
    tab teloplinemode false
    tab pipechar '|'
    tab pathchar /
    tab stdpasteprefix ''
    tab stdpastesuffix ''
    tab altpasteprefix ''
    tab altpastesuffix ''
    tab paramstart '['
    tab paramend ']'
    crlf '#triggers'
    tab trigger Bell
    tab string 'A bell rings'
    tab soundfile "$bell"
    crlf '#text' '#endtext'
    tab textenabled false
    tab soundenabled true
    crlf '#endtrigger' '#endtriggers' '#macros'
    crlf '#macro' look '#endmacro' '#macro' /nesw '#endmacro'
    for _ in 3 4 5 6 7 8 9; do crlf '#macro' '#endmacro'; done
    crlf '#endmacros' '#aliases'
    tab alias greet
    crlf '#translation' 'say Well met, [1]!' '#endtranslation' '#endalias'
    crlf '#endaliases' '#endoptionset'
  } >"$data/options.dat"
}

# config.cfg, 280 bytes: left, top, width, height, the account chosen,
# expert mode off, toolbar shown, the file dialogs' directory, padding.
write_config() {
  local dir bytes
  dir="$(cd "$data" && pwd)/"
  bytes=$(printf %s "$dir" | wc -c)
  ((bytes <= 255)) || dir="" bytes=0 # too long for the record: none
  {
    int32 100; int32 80; int32 1000; int32 700; int32 0
    printf '\x00\x01'
    # shellcheck disable=SC2059
    printf "\\x$(printf %02x "$bytes")"
    printf %s "$dir"
    head -c $((255 - bytes + 2)) /dev/zero
  } >"$data/config.cfg"
}

# accounts.dat, options.dat, config.cfg and the trigger's sound in $data,
# the account on the demo server at `port`.
write_data() {
  local port=$1
  mkdir -p "$data"
  write_bell "$data/bell.wav"
  # name, server, port, option set, no auto-send lines, one comment line
  crlf 'Demo World' 127.0.0.1 "$port" Demo 0 1 \
    "The loopback server of make demo; F2 and Enter connect." >"$data/accounts.dat"
  write_options
  write_config
}

main() {
  if [ "${1:-}" = --write-data ]; then
    data=$2
    write_data "$3"
    return
  fi
  local build=${1:-build}
  local program="$build/ombrel" server="$build/tools/mud_test_server" demo=${DEMO_DIR:-$build/demo}
  [ -x "$program" ] || fail "no program at $program (make build)"
  [ -x "$server" ] || fail "no server at $server (cmake --build $build --target mud_test_server)"
  trap cleanup EXIT
  trap 'exit 130' INT TERM

  mkdir -p "$demo"
  data="$demo/data"
  # DEMO_DIR may name the folder of a program the player uses: there only a
  # data folder the demo made itself is cleared.
  [ -z "${DEMO_DIR:-}" ] || [ ! -e "$data" ] || [ -e "$data/$demo_mark" ] ||
    fail "$data was not made by the demo: remove it or choose another DEMO_DIR"
  rm -rf "$data"
  mkdir -p "$data"
  : >"$data/$demo_mark"
  # The program keeps its files beside its executable: a copy of its own.
  cp -f "$program" "$demo/ombrel"

  "$server" --demo --port 0 --timeout $((SERVER_HOURS * 3600)) >"$demo/server.out" 2>&1 &
  server_pid=$!
  local tries=100
  until grep -qs '^PORT ' "$demo/server.out"; do
    kill -0 "$server_pid" 2>/dev/null || fail "the demo server did not start: $(cat "$demo/server.out")"
    ((tries-- > 0)) || fail "the demo server did not report its port"
    sleep 0.05
  done
  local port
  port=$(awk '/^PORT /{print $2}' "$demo/server.out")
  write_data "$port"

  echo "Demo World on 127.0.0.1:$port. In Ombrel: F2, then Enter. Type help there."
  "$demo/ombrel" &
  program_pid=$!
  local status=0
  wait "$program_pid" || status=$?
  program_pid=""
  exit "$status"
}

main "$@"
