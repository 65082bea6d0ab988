#!/usr/bin/env bash
# Builds the release engine and starts it in protocol mode on stdin/stdout.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh >&2
cmake -S . -B build/release -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build build/release --target talvik -j "$(nproc)" >&2
exec build/release/talvik "$@"
