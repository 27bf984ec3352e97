#!/usr/bin/env bash
# How long the X server takes to stamp a key press, with the program idle
# and during a test (key_stamp.py). Run by hand; `tools/setup.sh --bench`
# installs what it needs. Builds into $BUILD_DIR (default: build-bench).
#
#   bench/key_stamp/run.sh
set -euo pipefail

here=$(cd "$(dirname "$0")" && pwd)
# shellcheck source=../common/program_bench.sh
source "$here/../common/program_bench.sh"
bench_run_script "$here/key_stamp.py"
