#!/usr/bin/env bash
# Builds vkCert and runs every test: the main build with all tests, a clang
# build of the non-GUI libraries and tests under AddressSanitizer and
# UndefinedBehaviorSanitizer (which also builds the fuzz targets, each then run
# briefly), and a ThreadSanitizer build of the tests marked for it. Installs
# what is missing first.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh

jobs=$(nproc)
fuzz_seconds=${VK_FUZZ_SECONDS:-20}
export CCACHE_DIR=${CCACHE_DIR:-$HOME/.cache/vkcert-ccache}
# Clones in other folders share the cache: paths are taken relative to here.
export CCACHE_BASEDIR=$PWD CCACHE_NOHASHDIR=1
export CCACHE_MAXSIZE=${CCACHE_MAXSIZE:-5G}
summary=$(mktemp)
trap 'rm -f "$summary"' EXIT

run_ctest() {
    local dir=$1
    (cd "$dir" && ctest -j"$jobs" --output-on-failure --timeout 600) | tee -a "$summary"
}

echo "== main build"
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j"$jobs"
run_ctest build

echo "== sanitizer build (clang; address, undefined; non-GUI tests and fuzz targets)"
CC=clang CXX=clang++ cmake -S . -B build-san -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
      -DVK_GUI=OFF -DVK_BENCH=OFF -DVK_FUZZ=ON -DVK_SANITIZE=address,undefined >/dev/null
cmake --build build-san -j"$jobs"
ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 run_ctest build-san

echo "== thread sanitizer build (tests labelled tsan)"
cmake -S . -B build-tsan -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVK_GUI=OFF -DVK_BENCH=OFF \
      -DVK_SANITIZE=thread >/dev/null
mapfile -t tsan_targets < build-tsan/tsan-targets.txt
if ((${#tsan_targets[@]})); then
    cmake --build build-tsan -j"$jobs" --target "${tsan_targets[@]}"
    # A race ends the program that has it, the token service too, so that its tests fail.
    (cd build-tsan && TSAN_OPTIONS=halt_on_error=1 ctest -j"$jobs" -L tsan --output-on-failure \
        --timeout 600) | tee -a "$summary"
fi

echo "== fuzz targets (${fuzz_seconds}s each)"
fuzz_passed=0
while IFS= read -r target; do
    name=$(basename "$target")
    corpus="build-san/corpus/$name"
    mkdir -p "$corpus"
    seeds="fuzz/seeds/${name#fuzz_}"
    [[ -d $seeds ]] || seeds=""
    echo "-- $name"
    mkdir -p build-san/artifacts
    "$target" -max_total_time="$fuzz_seconds" -print_final_stats=0 \
        -artifact_prefix=build-san/artifacts/ "$corpus" $seeds 2>&1 | tail -n 3
    fuzz_passed=$((fuzz_passed + 1))
done < <(find build-san/fuzz -maxdepth 2 -type f -name 'fuzz_*' -perm -u+x | sort)

passed=$(grep -Eo 'tests passed, [0-9]+ tests failed out of [0-9]+' "$summary" |
         awk '{t += $NF; f += $3} END {print t - f}')
failed=$(grep -Eo 'tests failed out of [0-9]+' "$summary" | awk '{s += $1} END {print s + 0}')
echo "fuzz: $fuzz_passed targets ran clean"
echo "$((passed + fuzz_passed)) passed, $failed failed"
