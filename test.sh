#!/usr/bin/env bash
# Installs what the build needs, builds with warnings as errors, runs every test
# and builds and checks the Debian packages.
# The exit code is the test result.
set -euo pipefail
cd "$(dirname "$0")"

./scripts/install-deps.sh
cmake --preset ci
cmake --build --preset ci
ctest --preset ci "$@"
./scripts/check-package.sh build/ci
