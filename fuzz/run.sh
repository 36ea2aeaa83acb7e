#!/bin/sh
# Builds the fuzz targets with clang and runs each of them for a while.
#
#   fuzz/run.sh [SECONDS [TARGET...]]
#
# Each target first replays its seed corpus (fuzz/corpus/TARGET, regression inputs
# included) and then fuzzes for SECONDS (default 25) in one process. New inputs go to a
# scratch corpus that is thrown away; the checked-in corpus is not changed. A finding
# (crash, sanitizer report, leak, timeout, memory blow-up) is copied to
# BUILD/findings/TARGET and makes the script exit 1 after the remaining targets ran.
# BUILD is $HB_FUZZ_BUILD_DIR or build-fuzz beside this folder.
set -eu

HERE=$(cd "$(dirname "$0")" && pwd)
ROOT=$(dirname "$HERE")
BUILD="${HB_FUZZ_BUILD_DIR:-$ROOT/build-fuzz}"
SECONDS_EACH="${1:-25}"
[ $# -gt 0 ] && shift
TARGETS="${*:-dbf_table memo cdx_walk cdx_seek expr}"

CC=clang CXX=clang++ cmake -S "$HERE" -B "$BUILD" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$BUILD" -j2

SCRATCH=$(mktemp -d "${TMPDIR:-/tmp}/hbfuzz-run.XXXXXX")
trap 'rm -rf "$SCRATCH"' EXIT INT TERM
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"

failed=""
for t in $TARGETS; do
  mkdir -p "$SCRATCH/$t/corpus" "$SCRATCH/$t/artifacts" "$SCRATCH/$t/tmp"
  dict=""
  [ -f "$HERE/$t.dict" ] && dict="-dict=$HERE/$t.dict"
  echo "== fuzz $t: corpus replay and $SECONDS_EACH s"
  if TMPDIR="$SCRATCH/$t/tmp" "$BUILD/fuzz_$t" $dict -max_total_time="$SECONDS_EACH" \
      -timeout=10 -rss_limit_mb=2048 -print_final_stats=1 \
      -artifact_prefix="$SCRATCH/$t/artifacts/" "$SCRATCH/$t/corpus" "$HERE/corpus/$t" \
      >"$SCRATCH/$t/log" 2>&1; then
    grep -E '^(Done|stat::number_of_executed_units|stat::peak_rss_mb)|DONE' "$SCRATCH/$t/log" || true
  else
    echo "fuzz $t: FINDING" >&2
    pattern='^==[0-9]+==ERROR|runtime error|deadly signal|ALARM|out-of-memory'
    if grep -qE "$pattern" "$SCRATCH/$t/log"; then
      grep -B2 -A30 -E "$pattern" "$SCRATCH/$t/log" | head -60 >&2
    else
      tail -40 "$SCRATCH/$t/log" >&2
    fi
    mkdir -p "$BUILD/findings/$t"
    cp "$SCRATCH/$t/artifacts/"* "$SCRATCH/$t/log" "$BUILD/findings/$t/" 2>/dev/null || true
    echo "fuzz $t: input and log kept in $BUILD/findings/$t" >&2
    failed="$failed $t"
  fi
done
if [ -n "$failed" ]; then
  echo "fuzz findings in:$failed" >&2
  exit 1
fi
echo "fuzz: no findings"
