#!/usr/bin/env bash
# Installs what is missing, builds the program and starts it. With no display
# (no DISPLAY or WAYLAND_DISPLAY) it does the program's main job headless
# instead: the shipped GSI 8 measurement sample is converted into an ASCII
# file by veltro-convert (the transfer engine the window drives), and the
# result is shown.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build build -j "$(nproc)" --target TransferVeltro veltro-convert
if [ -n "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ]; then
  exec ./build/app/TransferVeltro "$@"
fi
OUT=$(mktemp -d)/sample-messung.asc
./build/app/veltro-convert --create-settings --settings "$(dirname "$OUT")/settings.ini" tests/data/gsi/sample-messung.gsi "$OUT"
echo "== $OUT"
cat "$OUT"
