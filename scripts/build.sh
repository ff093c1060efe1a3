#!/usr/bin/env bash
# Configures and builds one flavour of the tree.
# Usage: scripts/build.sh DIR [cmake options…]; KESTRIX_TARGETS="a b" builds only those targets.
set -euo pipefail
dir=${1:-build}
shift || true
cmake -S "$(dirname "$0")/.." -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo "$@" >/dev/null
targets=()
for target in ${KESTRIX_TARGETS:-}; do targets+=(--target "$target"); done
cmake --build "$dir" -j2 "${targets[@]}"
