#!/usr/bin/env bash
# Installs what is missing, builds, and runs the main job on the bundled
# sample subtitle.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/install-deps.sh
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j"$(nproc)" --target kestrelpix-cli
mkdir -p build/sample
build/src/kestrelpix-cli convert examples/sample.srt --output-dir build/sample
