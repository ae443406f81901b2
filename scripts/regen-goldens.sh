#!/usr/bin/env bash
# Rewrites the golden files from the current code: the reference frames of
# the render tests (tests/render/golden/*.png) and the index and sub-picture
# files of the VobSub tests (tests/vobsub/golden/*.idx, *.sub). Run it after
# an intended change of an output, look at the new files, and commit them
# with the change. The tests rewrite instead of compare when
# KESTRELPIX_REGEN_GOLDENS is set (tests/support/golden.h).
#   scripts/regen-goldens.sh [BUILD_DIR] [SET]
# BUILD_DIR defaults to build. SET is "all" (the default), "latin" (Latin,
# Greek and Cyrillic frames: GoldenFrames), "scripts" (shaped and
# right-to-left frames: ScriptGoldenFrames; their fonts come from
# scripts/install-deps.sh) or "vobsub" (the .idx and .sub files).
set -euo pipefail
cd "$(dirname "$0")/.."

build=${1:-build}
render_filter=
vobsub_filter='IndexHeader.PalHeaderAndEntriesMatchTheGoldenFile:GoldenPair.*'
case "${2:-all}" in
  all) render_filter='GoldenFrames.*:ScriptGoldenFrames.MatchTheReferencePictures' ;;
  latin) render_filter='GoldenFrames.*'; vobsub_filter= ;;
  scripts) render_filter='ScriptGoldenFrames.MatchTheReferencePictures'; vobsub_filter= ;;
  vobsub) ;;
  *) echo "unknown set '$2': use all, latin, scripts or vobsub" >&2; exit 2 ;;
esac
cmake -S . -B "$build" >/dev/null
targets=()
[[ -n $render_filter ]] && targets+=(test_render)
[[ -n $vobsub_filter ]] && targets+=(vobsub_tests)
cmake --build "$build" -j"$(nproc)" --target "${targets[@]}"
if [[ -n $render_filter ]]; then
  KESTRELPIX_REGEN_GOLDENS=1 "$build/tests/render/test_render" --gtest_filter="$render_filter"
fi
if [[ -n $vobsub_filter ]]; then
  KESTRELPIX_REGEN_GOLDENS=1 "$build/tests/vobsub/vobsub_tests" --gtest_filter="$vobsub_filter"
fi
git status --short tests/render/golden tests/vobsub/golden
