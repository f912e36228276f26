#!/usr/bin/env bash
# Installs what is missing, builds the program and does its main job as far
# as it is built: the shipped GSI 8 measurement sample is converted into an
# ASCII file by veltro-convert (the transfer engine without a window), and
# the result is shown. The main window comes with its own work.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build build -j "$(nproc)"
OUT=$(mktemp -d)/sample-messung.asc
./build/app/veltro-convert --create-settings --settings "$(dirname "$OUT")/settings.ini" tests/data/gsi/sample-messung.gsi "$OUT"
echo "== $OUT"
cat "$OUT"
