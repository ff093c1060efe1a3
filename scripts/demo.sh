#!/usr/bin/env bash
# Sets up what is missing, builds, and runs the tool on the built-in demo world.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/install-deps.sh"
"$root/scripts/build.sh" "$root/build" >/dev/null
cd "$root/demo"
exec "$root/build/kestrix-cli" "${@:-getinfo}"
