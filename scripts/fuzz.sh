#!/usr/bin/env bash
# Replays the committed corpus of every fuzz target, then fuzzes each for a
# bounded time (FUZZ_SECONDS, default 15) on a scratch copy of its corpus.
# Usage: scripts/fuzz.sh BUILD_DIR
set -euo pipefail
cd "$(dirname "$0")/.."
BUILD=${1:-build-fuzz}
SECONDS_EACH=${FUZZ_SECONDS:-15}
WORK=$(mktemp -d)
trap 'rm -rf "$WORK"' EXIT
status=0
for fuzzer in "$BUILD"/tests/fuzz/fuzz-*; do
  name=${fuzzer##*/fuzz-}
  corpus=tests/fuzz/corpus/$name
  mkdir -p "$WORK/$name" "$WORK/$name-artifacts"
  if [ -d "$corpus" ] && [ -n "$(ls -A "$corpus")" ]; then
    echo "== replay $name"
    "$fuzzer" -rss_limit_mb=2048 -timeout=10 "$corpus"/* >"$WORK/$name.replay.log" 2>&1 || {
      cat "$WORK/$name.replay.log"; status=1; }
    cp "$corpus"/* "$WORK/$name/"
  fi
  echo "== fuzz $name for ${SECONDS_EACH}s"
  "$fuzzer" -max_total_time="$SECONDS_EACH" -rss_limit_mb=2048 -timeout=10 \
    -artifact_prefix="$WORK/$name-artifacts/" "$WORK/$name" >"$WORK/$name.log" 2>&1 || {
    tail -50 "$WORK/$name.log"
    for a in "$WORK/$name-artifacts"/*; do [ -f "$a" ] && { echo "input: $a"; od -c "$a" | head -20; }; done
    status=1; }
done
if [ "$status" -eq 0 ]; then echo "fuzzing: no crash, hang or sanitizer report"; fi
exit $status
