#!/usr/bin/env bash
# The main job, on a fresh Debian 12 machine as root: a complete installation
# of Ortavia-on-line on the default simulated Windows machine, printing what the
# user would have seen and where the files went.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/deps.sh cmake ninja-build g++ make libgtest-dev libgmock-dev libbenchmark-dev
cmake -S . -B build/release -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build/release -j2 --target ortavia-sim
exec build/release/ortavia-sim "$@"
