#!/usr/bin/env bash
# Installs what is missing, builds, checks the Debian package, and runs every test: once under
# AddressSanitizer and UndefinedBehaviorSanitizer, then in the normal build.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/deps.sh
scripts/build.sh build
scripts/package.sh build
scripts/build.sh build-asan -DDOVI_SANITIZE=ON -DCMAKE_BUILD_TYPE=Debug
ctest --test-dir build-asan --output-on-failure --parallel "$(nproc)"
ctest --test-dir build --output-on-failure --parallel "$(nproc)"
