#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Sets Tavrel up (see setup.sh) and runs the whole test suite: once in the
# ordinary build, a short run of every fuzz target, then the suite again
# built with AddressSanitizer and UndefinedBehaviorSanitizer.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh test
jobs=$(nproc 2>/dev/null || echo 2)
ctest --test-dir build --output-on-failure -j "$jobs"

if command -v clang++ >/dev/null; then
  scripts/fuzz.sh "${TAVREL_FUZZ_SECONDS:-20}"
else
  echo "clang is missing: the fuzz targets were not run" >&2
fi

# The program relies on failed allocations answering null, and any leak,
# overflow or undefined behaviour fails its test.
ASAN_OPTIONS=detect_leaks=1:allocator_may_return_null=1 \
UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
  ctest --test-dir build-sanitize --output-on-failure -j "$jobs"
