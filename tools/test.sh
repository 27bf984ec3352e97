#!/usr/bin/env bash
# Installs what is missing, builds everything and runs the whole test suite,
# first in the normal build, then under AddressSanitizer and
# UndefinedBehaviorSanitizer in a build folder of its own.
set -euo pipefail
cd "$(dirname "$0")/.."
bash tools/setup.sh
export QT_QPA_PLATFORM=offscreen SDL_AUDIODRIVER=dummy

cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build build -j"$(nproc)"
ctest --test-dir build --output-on-failure -j"$(nproc)"

cmake -S . -B build-asan -DCMAKE_BUILD_TYPE=Debug -DVELVANE_SANITIZE=ON
cmake --build build-asan -j"$(nproc)"
ctest --test-dir build-asan --output-on-failure -j"$(nproc)"
