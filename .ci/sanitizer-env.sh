# Sourced by the sanitizer and fuzzer steps: any report ends the process with a failure.
ci_dir=$(cd "$(dirname "$0")" && pwd)
export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1
export UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1
export LSAN_OPTIONS="suppressions=$ci_dir/lsan.supp:print_suppressions=1"
