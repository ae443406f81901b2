#!/usr/bin/env bash
# Rewrites the reference frames of the render tests (tests/render/golden/*.png)
# from the current drawing code. Run it after an intended change of the
# drawing, look at the new pictures, and commit them with the change.
#   scripts/regen-goldens.sh [BUILD_DIR] [SET]
# BUILD_DIR defaults to build. SET is "all" (the default), "latin" (Latin,
# Greek and Cyrillic frames: GoldenFrames) or "scripts" (shaped and
# right-to-left frames: ScriptGoldenFrames; their fonts come from
# scripts/install-deps.sh).
set -euo pipefail
cd "$(dirname "$0")/.."

build=${1:-build}
case "${2:-all}" in
  all) filter='GoldenFrames.*:ScriptGoldenFrames.MatchTheReferencePictures' ;;
  latin) filter='GoldenFrames.*' ;;
  scripts) filter='ScriptGoldenFrames.MatchTheReferencePictures' ;;
  *) echo "unknown set '$2': use all, latin or scripts" >&2; exit 2 ;;
esac
cmake -S . -B "$build" >/dev/null
cmake --build "$build" -j"$(nproc)" --target test_render
KESTRELPIX_REGEN_GOLDENS=1 "$build/tests/render/test_render" --gtest_filter="$filter"
git status --short tests/render/golden
