#!/usr/bin/env bash
# CI: builds the fuzz targets with clang and gives each a short run from its seeds (every seed is
# run whole first); any crash, leak, timeout or broken invariant fails the job. Installs nothing:
# clang and libclang-rt-14-dev come with ./build.sh deps.
set -euo pipefail
cd "$(dirname "$0")/.."
VANTREL_FUZZ_JOBS="$(nproc 2>/dev/null || echo 2)" VANTREL_FUZZ_BUILD=build-fuzz-ci \
  exec fuzz/run.sh "${VANTREL_FUZZ_SMOKE_SECONDS:-12}"
