#!/usr/bin/env bash
# Installs what is missing, builds, checks the Debian package, and runs every test.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/deps.sh
scripts/build.sh build
scripts/package.sh build
ctest --test-dir build --output-on-failure --parallel "$(nproc)"
