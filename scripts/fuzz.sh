#!/usr/bin/env bash
# Builds the libFuzzer targets with clang (ASan + UBSan), replays every kept
# corpus (tests/fuzz/corpus/NAME) once, then runs each target for the given
# number of seconds (default 10). Crashes fail the run.
#
#   bash scripts/fuzz.sh [SECONDS]
#   bash scripts/fuzz.sh campaign RUNS [NAME...]
#   bash scripts/fuzz.sh minimise NAME...
#   bash scripts/fuzz.sh totals
#
# The campaign runs each target (or the named ones) for RUNS executions, one
# process at a time at the lowest priority, and merges what it found into the
# kept corpus, minimised. Each finished campaign adds a line (date, target,
# executions) to tests/fuzz/campaigns.tsv, which is kept with the corpora;
# totals sums it per target. A campaign that finds something fails and adds
# nothing: its executions count once the finding is mended and it runs again.
# TAVO_FUZZ_MAX_SECONDS, when set, also bounds each target's time.
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"

record=tests/fuzz/campaigns.tsv

totals() {  # target and executions of all its campaigns, a line each
  awk -F '\t' '!/^#/ && NF == 3 { s[$2] += $3 } END { for (n in s) print n, s[n] }' "$record" | sort
}

if [ "${1:-}" = totals ]; then
  totals
  exit 0
fi

if [ ! -f build/fuzz/build.ninja ]; then
  CXX=clang++ CC=clang cmake -S . -B build/fuzz -G Ninja -DTAVO_FUZZ=ON \
    -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
fi
cmake --build build/fuzz -j "$(nproc 2>/dev/null || echo 2)"

shopt -s nullglob

# Inputs of the targets: what they start from and what they keep.
seeds_of() { [ -d "tests/fuzz/seeds/$1" ] && echo "tests/fuzz/seeds/$1"; true; }
kept_of() { echo "tests/fuzz/corpus/$1"; }

campaign() {
  local runs=$1; shift
  local names=("$@")
  if [ ${#names[@]} -eq 0 ]; then
    for target in build/fuzz/tests/fuzz/fuzz-*; do
      target=$(basename "$target")
      names+=("${target#fuzz-}")
    done
  fi
  mkdir -p build/fuzz/campaign build/fuzz/artifacts
  for name in "${names[@]}"; do
    local target=build/fuzz/tests/fuzz/fuzz-$name work=build/fuzz/campaign/$name kept
    kept=$(kept_of "$name")
    mkdir -p "$work" "$kept"
    echo "fuzz campaign: $name for $runs runs"
    nice -n 19 "$target" -runs="$runs" -max_total_time="${TAVO_FUZZ_MAX_SECONDS:-0}" -timeout=10 -print_final_stats=1 \
      -artifact_prefix="build/fuzz/artifacts/$name-" "$work" "$kept" $(seeds_of "$name") \
      >"$work.log" 2>&1 || { tail -n 40 "$work.log"; echo "fuzz campaign: $name failed" >&2; return 1; }
    local ran
    ran=$(sed -n 's/^stat::number_of_executed_units: *//p' "$work.log")
    printf '%s\t%s\t%s\n' "$(date -u +%F)" "$name" "$ran" >>"$record"
    echo "fuzz campaign: $name ran $ran inputs, $(totals | awk -v n="$name" '$1 == n { print $2 }') in all campaigns"
    minimise "$name" "$work"
  done
}

# Makes the kept corpus of target $1 again from itself and the further
# corpora given, keeping only inputs that reach code the others do not (hit
# counts are not told apart, which keeps the corpus to a few hundred files).
minimise() {
  local name=$1; shift
  local target=build/fuzz/tests/fuzz/fuzz-$name kept merged=build/fuzz/campaign/$name.merged
  kept=$(kept_of "$name")
  mkdir -p "$kept" build/fuzz/campaign
  rm -rf "$merged"
  mkdir -p "$merged"
  nice -n 19 "$target" -merge=1 -use_counters=0 "$merged" "$kept" "$@" >"build/fuzz/campaign/$name.merge.log" 2>&1
  rm -rf "$kept"
  mv "$merged" "$kept"
  echo "fuzz: $name keeps $(ls "$kept" | wc -l) inputs"
}

if [ "${1:-}" = campaign ]; then
  shift
  campaign "$@"
  exit 0
fi
if [ "${1:-}" = minimise ]; then
  shift
  for name in "$@"; do minimise "$name"; done
  exit 0
fi
seconds=${1:-10}

for target in build/fuzz/tests/fuzz/fuzz-*; do
  [ -x "$target" ] || continue
  name=$(basename "$target")
  kept=$(kept_of "${name#fuzz-}")
  [ -d "$kept" ] || continue
  inputs=("$kept"/*)
  [ ${#inputs[@]} -gt 0 ] || continue
  echo "fuzz: $name replays ${#inputs[@]} kept inputs"
  "$target" "${inputs[@]}" >build/fuzz/$name.replay.log 2>&1 ||
    { tail -n 40 build/fuzz/$name.replay.log; echo "fuzz: $name failed on its kept corpus" >&2; exit 1; }
done

for target in build/fuzz/tests/fuzz/fuzz-*; do
  [ -x "$target" ] || continue
  name=$(basename "$target")
  corpus=build/fuzz/corpus/$name
  mkdir -p "$corpus"
  kept=$(kept_of "${name#fuzz-}")
  [ -d "$kept" ] || kept=
  echo "fuzz: $name for ${seconds}s"
  "$target" -max_total_time="$seconds" -print_final_stats=0 "$corpus" $kept $(seeds_of "${name#fuzz-}") \
    2>build/fuzz/$name.log ||
    { tail -n 40 build/fuzz/$name.log; echo "fuzz: $name failed" >&2; exit 1; }
done
