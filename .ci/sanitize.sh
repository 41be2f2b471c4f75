#!/bin/sh
# The whole test suite again, built with AddressSanitizer and UndefinedBehaviorSanitizer.
set -eu
cd "$(dirname "$0")/.."
. .ci/sanitizer-env.sh
cmake -S . -B build-asan -DLOOM_SANITIZE=ON -DLOOM_BUILD_BENCH=OFF
cmake --build build-asan -j2
{
    status=0
    ctest --test-dir build-asan --output-on-failure 2>&1 || status=$?
    echo "$status" >build-asan/ctest.status
} | tee build-asan/ctest.log
[ "$(cat build-asan/ctest.status)" -eq 0 ] || exit 1
# A report that did not end its test (a child process's, say) still fails the step.
if grep -E "ERROR: (Address|Leak)Sanitizer|: runtime error: " build-asan/ctest.log; then
    echo "sanitizer reports above" >&2
    exit 1
fi
