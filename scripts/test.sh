#!/usr/bin/env bash
# Builds everything and passes every test, on a fresh Debian 12 machine as root:
#   1. the Linux build with its unit and scenario tests (simulated machine);
#   2. the same tests under AddressSanitizer + UndefinedBehaviorSanitizer;
#   3. the Windows program cross-built with mingw-w64 (x86_64 and i686);
#   4. the end-to-end tests of the Windows program under Wine.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
bash scripts/deps.sh cmake ninja-build g++ make libgtest-dev libgmock-dev libbenchmark-dev

passed=0
failed=0
run_ctest() {  # $1 build dir
  local log
  log=$(mktemp)
  set +e
  ctest --test-dir "$1" --output-on-failure -j2 2>&1 | tee "$log"
  local rc=${PIPESTATUS[0]}
  set -e
  local line total fails
  line=$(grep -E 'tests passed, [0-9]+ tests failed out of [0-9]+' "$log" | tail -n 1 || true)
  total=$(sed -E 's/.*out of ([0-9]+).*/\1/' <<<"$line")
  fails=$(sed -E 's/.*passed, ([0-9]+) tests failed.*/\1/' <<<"$line")
  rm -f "$log"
  if [[ -z "$line" ]]; then echo "ctest in $1 ran no test" >&2; return 1; fi
  passed=$((passed + total - fails))
  failed=$((failed + fails))
  return "$rc"
}

echo "== Linux build and tests"
cmake -S . -B build/release -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build/release -j2
run_ctest build/release

echo "== Tests under AddressSanitizer and UndefinedBehaviorSanitizer"
cmake -S . -B build/asan -G Ninja -DCMAKE_BUILD_TYPE=Debug -DORTAVIA_SANITIZE=ON -DORTAVIA_BENCHMARKS=OFF >/dev/null
cmake --build build/asan -j2
ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 run_ctest build/asan

if [[ -f scripts/build_win32.sh ]]; then
  echo "== Windows program (mingw-w64 cross build)"
  bash scripts/build_win32.sh
fi
if [[ -f scripts/test_wine.sh ]]; then
  echo "== Windows program under Wine"
  set +e
  bash scripts/test_wine.sh
  rc=$?
  set -e
  if ((rc == 0)); then passed=$((passed + 1)); else failed=$((failed + 1)); fi
fi

cd "$root"
echo "Summary: $passed passed, $failed failed"
((failed == 0))
