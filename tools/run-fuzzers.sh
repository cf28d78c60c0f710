#!/usr/bin/env bash
# Builds the libFuzzer targets with clang and runs each for a bounded time.
#   tools/run-fuzzers.sh [BUILD-DIR]
# BUILD-DIR defaults to "build-fuzz". Environment:
#   FUZZ_SECONDS     seconds per target (default 60)
#   VD_TESTDATA_DIR  the shared test data (default ../shared/testdata)
# Every fuzz_* target the build defines is built and run. Each is seeded from
# fuzz/corpus/<target>/ and, when the shared test data is there, from the BMP
# Suite (fuzz_bitmap), the SHG files (fuzz_shg_reader) or the project
# databases (fuzz_jet_store). New inputs collect
# in BUILD-DIR/corpus/<target>/ (never in the source tree); a crashing input
# is saved in BUILD-DIR/crashes/ and makes the script exit non-zero.
set -euo pipefail
cd "$(dirname "$0")/.."
BUILD=${1:-build-fuzz}
FUZZ_SECONDS=${FUZZ_SECONDS:-60}
TESTDATA=${VD_TESTDATA_DIR:-../shared/testdata}

GENERATOR=()
if command -v ninja >/dev/null 2>&1 && [ ! -f "$BUILD/CMakeCache.txt" ]; then
    GENERATOR=(-G Ninja)
fi
cmake -S . -B "$BUILD" "${GENERATOR[@]}" \
    -DCMAKE_C_COMPILER="${CC:-clang}" -DCMAKE_CXX_COMPILER="${CXX:-clang++}" \
    -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVD_BUILD_FUZZ=ON \
    -DVD_BUILD_TESTS=OFF -DVD_BUILD_BENCH=OFF -DVD_BUILD_CLI=OFF \
    -DVD_WERROR="${VD_WERROR:-OFF}" >/dev/null

mapfile -t TARGETS < <(cmake --build "$BUILD" --target help |
    grep -oE '(^|[ .])fuzz_[A-Za-z0-9_]+' | grep -oE 'fuzz_[A-Za-z0-9_]+' | sort -u)
if [ ${#TARGETS[@]} -eq 0 ]; then
    echo "run-fuzzers: no fuzz targets" >&2
    exit 1
fi

mkdir -p "$BUILD/crashes"
FAILED=()
for target in "${TARGETS[@]}"; do
    echo "--- $target: building"
    if ! cmake --build "$BUILD" --target "$target" -j "$(nproc)" >"$BUILD/$target.build.log" 2>&1; then
        tail -n 30 "$BUILD/$target.build.log"
        FAILED+=("$target (build)")
        continue
    fi
    program=$(find "$BUILD" -type f -name "$target" -perm -u+x | head -n 1)
    corpus="$BUILD/corpus/$target"
    mkdir -p "$corpus"
    seeds=()
    [ -d "fuzz/corpus/$target" ] && seeds+=("fuzz/corpus/$target")
    case "$target" in
        fuzz_bitmap)
            for sub in g q b; do
                [ -d "$TESTDATA/bmpsuite/$sub" ] && seeds+=("$TESTDATA/bmpsuite/$sub")
            done
            ;;
        fuzz_shg_reader)
            [ -d "$TESTDATA/shg" ] && seeds+=("$TESTDATA/shg")
            ;;
        fuzz_jet_store)
            [ -d "$TESTDATA/mdb" ] && seeds+=("$TESTDATA/mdb")
            ;;
    esac
    echo "--- $target: running ${FUZZ_SECONDS}s, seeds: ${seeds[*]:-none}"
    if "$program" -max_total_time="$FUZZ_SECONDS" -timeout=30 -rss_limit_mb=2048 \
        -print_final_stats=1 -artifact_prefix="$BUILD/crashes/$target-" \
        "$corpus" "${seeds[@]}" >"$BUILD/$target.log" 2>&1; then
        grep -E '^stat::number_of_executed_units|^Done' "$BUILD/$target.log" || true
    else
        tail -n 40 "$BUILD/$target.log"
        FAILED+=("$target")
    fi
done

if [ ${#FAILED[@]} -gt 0 ]; then
    echo "run-fuzzers: failed: ${FAILED[*]}; inputs in $BUILD/crashes/" >&2
    exit 1
fi
echo "run-fuzzers: ${#TARGETS[@]} targets ran ${FUZZ_SECONDS}s each without a finding"
