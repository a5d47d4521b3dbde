#!/usr/bin/env bash
# The main job: builds tolvane-cli, saves a new document and describes it.
set -euo pipefail
cd "$(dirname "$0")"
scripts/deps.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build --target tolvane-cli
mkdir -p out
rm -f out/new.yka
build/src/cli/tolvane-cli new out/new.yka
build/src/cli/tolvane-cli info out/new.yka
