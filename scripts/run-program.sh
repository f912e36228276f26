#!/usr/bin/env bash
# Installs what is missing, builds the program and does its main job as far
# as it is built: today a headless transfer of the shipped sample through the
# transfer engine (see README).
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build build -j "$(nproc)"
./build/app/spine-demo tests/data/spine/sample.txt
