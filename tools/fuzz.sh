#!/usr/bin/env bash
# Builds the core's fuzz targets with clang, libFuzzer, address and
# undefined-behaviour sanitizers in build-fuzz/ and runs each for
# FUZZ_SECONDS (FUZZ_TARGETS picks some of them). The corpus grows in build-fuzz/corpus/<name>; an input that
# breaks a property is left in build-fuzz/findings/<name>/. Known findings
# (faults the core has today) are listed, not fatal, unless
# OMBREL_FUZZ_STRICT=1. `tools/fuzz.sh configure` only configures the
# build folder (FUZZ_BUILD, build-fuzz unless set).
set -uo pipefail
seconds="${FUZZ_SECONDS:-60}"
build="${FUZZ_BUILD:-build-fuzz}"
read -r -a targets <<<"${FUZZ_TARGETS:-receive telnet files command view game_data}"
sanitize="-fsanitize=address,undefined -fno-sanitize-recover=undefined -fsanitize=fuzzer-no-link"

# ccache speeds up a second run where it is installed; the set-up does not
# install it, and a folder configured with it earlier is set back.
launcher=""
if command -v ccache >/dev/null; then launcher=ccache; fi

cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_CXX_COMPILER=clang++-14 \
  -DCMAKE_CXX_COMPILER_LAUNCHER="$launcher" -DCMAKE_CXX_FLAGS="$sanitize" >/dev/null || exit 1
[ "${1:-}" = configure ] && exit 0
cmake --build "$build" -j 2 --target "${targets[@]/#/fuzz_}" || exit 1

found=0
summary=()
for t in "${targets[@]}"; do
  corpus="$build/corpus/$t" findings="$build/findings/$t"
  rm -rf "$findings"  # what an earlier run found is in its log
  mkdir -p "$corpus" "$findings"
  log="$build/fuzz_$t.log"
  echo "== fuzz_$t for ${seconds}s"
  "$build/fuzz/fuzz_$t" -max_total_time="$seconds" -print_final_stats=1 -artifact_prefix="$findings/" \
    "$corpus" "fuzz/corpus/$t" >"$log" 2>&1
  runs=$(grep -o 'stat::number_of_executed_units: *[0-9]*' "$log" | grep -o '[0-9]*$' | tail -n 1)
  crash=$(ls "$findings" 2>/dev/null | head -n 1)
  grep '^known finding' "$log" | sort -u
  if [ -n "$crash" ]; then
    found=1
    grep -m 1 -E 'property failed|ERROR: (Address|Undefined|libFuzzer)|runtime error' "$log"
    summary+=("fuzz_$t: ${runs:-?} runs, FINDING $findings/$crash (log $log)")
  else
    summary+=("fuzz_$t: ${runs:-?} runs, nothing found")
  fi
done
printf '%s\n' "${summary[@]}"
exit "$found"
