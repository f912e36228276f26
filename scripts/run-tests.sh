#!/usr/bin/env bash
# Installs what is missing, builds everything and runs every test: once in a
# normal build, once under AddressSanitizer and UndefinedBehaviorSanitizer,
# then replays the fuzz corpus and fuzzes every reader for a bounded time.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
export QT_QPA_PLATFORM=offscreen
JOBS=$(nproc)

cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build build -j "$JOBS"
ctest --test-dir build --output-on-failure -j "$JOBS"
# Tests of file permissions skip under root: run them as an ordinary user.
AS_NOBODY=(setpriv --reuid=nobody --regid=nogroup --clear-groups env TMPDIR=/tmp HOME=/tmp)
if [ "$(id -u)" = 0 ]; then
  if "${AS_NOBODY[@]}" test -x build/tests/tests_platform; then
    "${AS_NOBODY[@]}" build/tests/tests_platform \
      --gtest_filter='RegistryTest.AnUnreadableFileIsNeverReplaced:TextFile.FailedSaveKeepsTheExistingFile'
  else
    echo "permission tests not rerun: an ordinary user cannot reach build/tests/tests_platform here"
  fi
fi

if [ "${VELTRO_SKIP_SANITIZERS:-0}" != "1" ]; then
  cmake -S . -B build-asan -G Ninja -DCMAKE_BUILD_TYPE=Debug -DVELTRO_SANITIZE=ON -DVELTRO_BENCH=OFF
  cmake --build build-asan -j "$JOBS"
  ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 \
    ctest --test-dir build-asan --output-on-failure -j "$JOBS"
fi

if [ "${VELTRO_SKIP_FUZZ:-0}" != "1" ]; then
  CC=clang CXX=clang++ cmake -S . -B build-fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVELTRO_FUZZ=ON
  cmake --build build-fuzz -j "$JOBS"
  bash scripts/fuzz.sh build-fuzz
fi
