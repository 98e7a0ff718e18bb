#!/usr/bin/env bash
# The random draw of scripts/mutants.sh:
#   scripts/mutants.sh --random N --seed S [BUILD]
# Draws N mutation sites from the sources of engine/ (but Direct3D), driver/
# and viewer/ that some test program links, never on a line of the fixed
# list. Each mutant is applied alone, only the test programs linking its file
# are rebuilt and run (GL ones in one Xvfb of the script's own); a mutant
# they all pass then meets the CTest tests that run the programs built from
# its file (the off-screen benchmark, the exit statuses, the installed run),
# Valgrind's and the thread sanitizer's aside. Its fate is printed: killed,
# survived or not compiled (KORVA_MUTANT_LOGS=DIR keeps the compiler's words
# on those). Ends with the counts per folder, the
# seed, and the time per mutant and of the whole run.
set -u
root=$(cd "$(dirname "$0")/.." && pwd)
count=
seed=
while [ $# -gt 0 ]; do
    case $1 in
    --seed) seed=${2:-}; shift 2 ;;
    --seed=*) seed=${1#--seed=}; shift ;;
    -*) echo "mutants.sh: unknown option $1" >&2; exit 2 ;;
    *)
        if [ -z "$count" ]; then count=$1; else build=$1; fi
        shift ;;
    esac
done
if ! [[ "$count" =~ ^[1-9][0-9]*$ && "$seed" =~ ^[0-9]+$ ]]; then
    echo "usage: scripts/mutants.sh --random N --seed S [BUILD]" >&2
    exit 2
fi
build=$(realpath "${build:-$root/build}")
cd "$root" || exit 1
[ -d "$build/tests/CMakeFiles" ] || { echo "mutants.sh: $build is no configured build with tests" >&2; exit 1; }

started=$(date +%s)
work=$(mktemp -d)
current=
xvfbPid=
restore() {
    if [ -n "$current" ]; then
        cp "$work/file" "$root/$current"
        current=
    fi
}
finish() {
    restore
    [ -n "$xvfbPid" ] && kill "$xvfbPid" 2>/dev/null
    rm -rf "$work"
}
trap finish EXIT
trap 'exit 130' INT TERM HUP

# the test programs linking a source: through its static library, or its object
suitesOf() {
    local src=$1 obj lib t
    local dir=${src%%/*} rel=${src#*/}
    for obj in "$build/$dir"/CMakeFiles/*.dir/"$rel".o; do
        [ -f "$obj" ] || continue
        lib=$(basename "${obj%/"$rel".o}" .dir)
        for t in "$build"/tests/CMakeFiles/test_*.dir/link.txt; do
            if grep -q -e "lib$lib\.a" -e "$rel\.o" "$t"; then
                basename "$(dirname "$t")" .dir
            fi
        done
    done | sort -u | grep -v -x -e test_music_tsan | tr '\n' ' '
}

# the programs (not tests, not benchmarks) linking a source, as target names
programsOf() {
    local src=$1 obj lib t
    local dir=${src%%/*} rel=${src#*/}
    for obj in "$build/$dir"/CMakeFiles/*.dir/"$rel".o; do
        [ -f "$obj" ] || continue
        lib=$(basename "${obj%/"$rel".o}" .dir)
        for t in "${programLinks[@]}"; do
            grep -q -e "lib$lib\.a" -e "$rel\.o" "$t" && basename "$(dirname "$t")" .dir
        done
    done | sort -u | tr '\n' ' '
}

# the CTest tests that run any of the given programs (by the path of what
# they build) or the whole build (an install), gtest programs aside: those
# ran already
testsOfPrograms() {
    local t out dir
    [ $# -eq 0 ] && return
    local paths=()
    for t in "$@"; do
        for dir in "$build"/*/CMakeFiles/"$t".dir; do
            out=$(grep -o -- ' -o [^ ]*' "$dir/link.txt" | head -1)
            out=${out# -o }
            [ -n "$out" ] && paths+=("$(realpath -m "$dir/../../$out")")
        done
    done
    python3 - "$work/ctest.json" "$build" "${paths[@]}" <<'PY'
import json, sys
tests = json.load(open(sys.argv[1]))["tests"]
build, paths = sys.argv[2], set(sys.argv[3:])
aside = ("valgrind", "test_music_tsan")
for t in tests:
    cmd = t.get("command") or []
    if any(a.split("/")[-1].startswith("test_") for a in cmd) or any(w in a for a in cmd for w in aside):
        continue
    if any(a in paths or a == build for a in cmd):
        print(t["name"])
PY
}

# one target at a time: make builds a library two targets share only once
buildSuites() {
    local t
    for t in "$@"; do
        cmake --build "$build" -j "$(nproc)" --target "$t" || return 1
    done
}

programLinks=()
for t in "$build"/*/CMakeFiles/*.dir/link.txt; do
    case $t in "$build"/tests/* | "$build"/bench/* | "$build"/fuzz/*) continue ;; esac
    grep -q -- ' -o ' "$t" && programLinks+=("$t")
done
(cd "$build" && ctest --show-only=json-v1) >"$work/ctest.json" || exit 1

declare -A suitesFor
files=()
while IFS= read -r f; do
    s=$(suitesOf "$f")
    [ -z "$s" ] && continue
    suitesFor[$f]=$s
    files+=("$f")
done < <(git ls-files 'engine/*.cpp' 'driver/*.cpp' 'viewer/*.cpp' | grep -v '^engine/d3d/')

[ ${#files[@]} -gt 0 ] || { echo "mutants.sh: no source in $build is linked by a test program" >&2; exit 1; }
# the fixed list's lines are its own
sed -n '/^[a-z]* @ /p' "$root/scripts/mutants.sh" | awk -F ' @ ' '{print $3}' >"$work/fixed"
python3 "$root/scripts/mutantSites.py" draw "$seed" "$count" --skip "$work/fixed" "${files[@]}" >"$work/sites" || exit 1

# one X server for the GL suites
Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$work/display" >/dev/null 2>&1 &
xvfbPid=$!
for _ in $(seq 50); do [ -s "$work/display" ] && break; sleep 0.1; done
[ -s "$work/display" ] || { echo "mutants.sh: Xvfb did not start" >&2; exit 1; }
DISPLAY=:$(cat "$work/display")
export DISPLAY LIBGL_ALWAYS_SOFTWARE=1

# every suite a drawn site needs, built and passing without a mutant, timed
declare -A baseTime
needed=()
while IFS=$'\t' read -r file _; do
    for t in ${suitesFor[$file]}; do
        [[ " ${needed[*]} " == *" $t "* ]] || needed+=("$t")
    done
done <"$work/sites"
buildSuites "${needed[@]}" >/dev/null || exit 1
for t in "${needed[@]}"; do
    s=$(date +%s%N)
    if ! (cd "$build/tests" && timeout 900 "./$t" --gtest_brief=1 >"$work/base.log" 2>&1); then
        echo "mutants.sh: $t fails without a mutant: nothing to measure" >&2
        tail -20 "$work/base.log" >&2
        exit 1
    fi
    baseTime[$t]=$(( ($(date +%s%N) - s) / 1000000 ))
done

# and the CTest tests of the programs they are built into
declare -A programsFor
neededPrograms=()
while IFS=$'\t' read -r file _; do
    [ -n "${programsFor[$file]+set}" ] && continue
    programsFor[$file]=$(programsOf "$file")
    for t in ${programsFor[$file]}; do
        [[ " ${neededPrograms[*]} " == *" $t "* ]] || neededPrograms+=("$t")
    done
done <"$work/sites"
mapfile -t baseTests < <(testsOfPrograms "${neededPrograms[@]}")
if [ ${#baseTests[@]} -gt 0 ]; then
    buildSuites "${neededPrograms[@]}" >/dev/null || exit 1
    pattern="^($(printf '%s|' "${baseTests[@]}" | sed 's/|$//; s/\./\\./g'))\$"
    if ! (cd "$build" && ctest -j "$(nproc)" -R "$pattern" >"$work/ctest.log" 2>&1); then
        echo "mutants.sh: the programs' tests fail without a mutant: nothing to measure" >&2
        tail -20 "$work/ctest.log" >&2
        exit 1
    fi
fi

declare -A killed survived broken
n=0
while IFS=$'\t' read -r file line col op from to; do
    n=$((n + 1))
    folder=${file%%/*}
    t0=$(date +%s%N)
    cp "$root/$file" "$work/file"
    current=$file
    python3 "$root/scripts/mutantSites.py" apply "$root/$file" "$line" "$col" "$from" "$to" || exit 1
    # the quickest first: most mutants die there
    read -r -a suites < <(for t in ${suitesFor[$file]}; do echo "${baseTime[$t]} $t"; done | sort -n |
        awk '{print $2}' | tr '\n' ' ')
    fate=survived
    by=
    if ! buildSuites "${suites[@]}" >"$work/build.log" 2>&1; then
        # the build also runs the engine: the data generator loads the scene it wrote
        if grep -qE ': (fatal )?error: ' "$work/build.log"; then
            fate="not compiled"
        else
            fate=killed
            by=" by the build's data generator"
        fi
        [ -n "${KORVA_MUTANT_LOGS:-}" ] && cp "$work/build.log" "$KORVA_MUTANT_LOGS/mutant-$n.log"
    else
        for t in "${suites[@]}"; do
            # a mutant that loops is killed by its time limit
            limit=$(( baseTime[$t] * 5 / 1000 + 60 ))
            if ! (cd "$build/tests" && timeout "$limit" "./$t" --gtest_brief=1 >/dev/null 2>&1); then
                fate=killed
                by=" by $t"
                break
            fi
        done
    fi
    programs=()
    rebuilt=0
    if [ "$fate" = survived ]; then
        read -r -a programs <<<"${programsFor[$file]}"
        mapfile -t ctests < <(testsOfPrograms "${programs[@]}")
        if [ ${#ctests[@]} -gt 0 ]; then
            pattern="^($(printf '%s|' "${ctests[@]}" | sed 's/|$//; s/\./\\./g'))\$"
            rebuilt=1
            if ! buildSuites "${programs[@]}" >"$work/build.log" 2>&1; then
                fate=killed
                by=" by the build's data generator"
            elif ! (cd "$build" && timeout 1800 ctest -j "$(nproc)" -R "$pattern" >"$work/ctest.log" 2>&1); then
                fate=killed
                by=" by $(sed -n 's/.* - \([^ ]*\) (Failed).*/\1/p; s/.* - \([^ ]*\) (Timeout).*/\1/p' \
                    "$work/ctest.log" | head -1)"
            fi
        fi
    fi
    restore
    # a program built from the mutant is built back at once, before a test can run it
    [ $rebuilt -eq 1 ] && buildSuites "${programs[@]}" >/dev/null 2>&1
    case $fate in
    killed) killed[$folder]=$(( ${killed[$folder]:-0} + 1 )) ;;
    survived) survived[$folder]=$(( ${survived[$folder]:-0} + 1 )) ;;
    *) broken[$folder]=$(( ${broken[$folder]:-0} + 1 )) ;;
    esac
    secs=$(( ($(date +%s%N) - t0) / 1000000 ))
    printf 'mutant %d %s:%s %s: %s -> %s: %s%s (%d.%d s)\n' "$n" "$file" "$line" "$op" "$from" "$to" \
        "$fate" "$by" $((secs / 1000)) $((secs % 1000 / 100))
done <"$work/sites"
# the build back to the sources as they are
buildSuites "${needed[@]}" >/dev/null 2>&1

for folder in engine driver viewer; do
    k=${killed[$folder]:-0}
    s=${survived[$folder]:-0}
    b=${broken[$folder]:-0}
    [ $((k + s + b)) -eq 0 ] && continue
    printf '%-7s %2d killed, %2d survived, %2d not compiled: %d %% of the compiled killed\n' "$folder" "$k" "$s" "$b" \
        $(( k + s > 0 ? 100 * k / (k + s) : 0 ))
done
whole=$(( $(date +%s) - started ))
printf 'seed %s: %d mutants in %d s, %d s a mutant\n' "$seed" "$n" "$whole" $(( n > 0 ? whole / n : 0 ))
