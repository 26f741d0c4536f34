#!/usr/bin/env bash
# Sets up a fresh Debian 12 machine, builds Zelvane and runs the whole test suite,
# then builds the fuzzers with Clang and runs each for a bounded time.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
bash scripts/build.sh
(cd build && QT_QPA_PLATFORM=offscreen ctest --output-on-failure --timeout 900)

CC=clang CXX=clang++ cmake -S . -B build-fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DZELVANE_BUILD_FUZZERS=ON -DZELVANE_BUILD_TESTS=OFF -DZELVANE_BUILD_BENCH=OFF
cmake --build build-fuzz --parallel "$(nproc)" --target fuzz_read_write fuzz_apply_pairs fuzz_code_strings fuzz_diff_patch
(cd build-fuzz && ctest --output-on-failure)
