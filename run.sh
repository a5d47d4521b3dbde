#!/usr/bin/env bash
# The main job: builds tolvane-cli and the example hypertext, exports the
# example as a web site into ./site and prints the path of its start page.
set -euo pipefail
cd "$(dirname "$0")"
scripts/deps.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build --target tolvane-cli demo_yka
rm -rf site
build/src/cli/tolvane-cli export build/examples/demo.yka site
