#!/usr/bin/env bash
# Installs what is missing, builds the program and opens its window.
set -euo pipefail
cd "$(dirname "$0")/.."
bash tools/setup.sh
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build build -j"$(nproc)" --target velvane
exec ./build/velvane
