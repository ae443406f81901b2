#!/usr/bin/env bash
# Rewrites the reference frames of the render tests (tests/render/golden/*.png)
# from the current drawing code. Run it after an intended change of the
# drawing, look at the new pictures, and commit them with the change.
#   scripts/regen-goldens.sh [BUILD_DIR]     (default: build)
set -euo pipefail
cd "$(dirname "$0")/.."

build=${1:-build}
cmake -S . -B "$build" >/dev/null
cmake --build "$build" -j"$(nproc)" --target test_render
KESTRELPIX_REGEN_GOLDENS=1 "$build/tests/render/test_render" --gtest_filter='GoldenFrames.*'
git status --short tests/render/golden
