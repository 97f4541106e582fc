#!/usr/bin/env bash
# Runs every fuzz target for SECONDS seconds on its seed corpus, at most two at a time, and prints
# each one's execs and findings. Exits 1 when any target found something.
#   fuzz/run.sh [SECONDS] [BUILD_DIR]      (defaults: 60, build/fuzz)
# Build the targets first: cmake --preset fuzz && cmake --build --preset fuzz
# What a target learns stays in BUILD_DIR/fuzz/corpus/<target> and seeds the next run; inputs that
# failed land in BUILD_DIR/fuzz/findings/<target>/, the full output in BUILD_DIR/fuzz/logs/.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-60}
build=${2:-build/fuzz}
parallel=${FUZZ_PARALLEL:-2}
out=$build/fuzz

# Seed folders of each target, under fuzz/seeds; the document readers also take examples/.
seeds_for() {
  case $1 in
    mapping | xml_reader) echo fuzz/seeds/documents examples ;;
    binary | numbers | shapes) echo "fuzz/seeds/$1" ;;
    *) ;;
  esac
}

# The [libfuzzer] settings of fuzz/<target>.options as flags; a dictionary is named from fuzz/.
flags_for() {
  local file=fuzz/$1.options key value
  [ -f "$file" ] || return 0
  sed -n '/^\[libfuzzer\]/,/^\[/{/=/p}' "$file" | while IFS='= ' read -r key value; do
    [ "$key" = dict ] && value=fuzz/$value
    echo "-$key=$value"
  done
}

run_target() {
  local name=$1 binary=$out/$1
  local corpus=$out/corpus/$name findings=$out/findings/$name/ log=$out/logs/$name.log
  mkdir -p "$corpus" "$findings" "$out/logs"
  local seeds=()
  for dir in $(seeds_for "${name#fuzz_}"); do
    [ -d "$dir" ] && [ -n "$(ls -A "$dir")" ] && seeds+=("$dir")
  done
  # shellcheck disable=SC2046
  nice -n 10 "$binary" $(flags_for "$name") -max_total_time="$seconds" -print_final_stats=1 \
    -artifact_prefix="$findings" "$corpus" "${seeds[@]}" >"$log" 2>&1 && echo 0 >"$log.status" \
    || echo $? >"$log.status"
}

targets=()
for binary in "$out"/fuzz_*; do
  [ -x "$binary" ] && [ -f "$binary" ] && targets+=("$(basename "$binary")")
done
[ ${#targets[@]} -gt 0 ] || { echo "no fuzz targets in $out; build the fuzz preset first" >&2; exit 2; }

echo "Fuzzing ${#targets[@]} targets for ${seconds}s each, $parallel at a time"
mkdir -p "$out"
started=$out/.started
touch "$started"
running=0
for name in "${targets[@]}"; do
  if [ "$running" -ge "$parallel" ]; then wait -n || true; running=$((running - 1)); fi
  run_target "$name" &
  running=$((running + 1))
done
wait || true

failed=0
printf '%-18s %12s %9s %8s  %s\n' target execs exec/s corpus findings
for name in "${targets[@]}"; do
  log=$out/logs/$name.log
  execs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -1)
  rate=$(sed -n 's/^stat::average_exec_per_sec: *//p' "$log" | tail -1)
  corpus=$(find "$out/corpus/$name" -type f | wc -l)
  findings=$(find "$out/findings/$name" -type f -newer "$started" | wc -l)
  status=$(cat "$log.status")
  result=none
  if [ "$status" != 0 ] || [ "$findings" != 0 ]; then
    failed=1
    result="$findings (exit $status), see $log"
  fi
  printf '%-18s %12s %9s %8s  %s\n' "$name" "${execs:-?}" "${rate:-?}" "$corpus" "$result"
done
exit $failed
