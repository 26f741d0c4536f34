#!/usr/bin/env bash
# Sets up a fresh Debian 12 machine, builds Zelvane and starts it in the folder
# this command was run from.
set -euo pipefail
here=$(pwd)
repo=$(cd "$(dirname "$0")/.." && pwd)
cd "$repo"
bash scripts/install-deps.sh
bash scripts/build.sh
cd "$here"
exec "$repo/build/app/zelvane" "$@"
