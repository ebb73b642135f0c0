#!/bin/sh
# Measures the launcher's start-up under Wine against the least window program that looks like it
# (the floor) and checks its size and imports. Prints figures and whether each target is met; fails only if it could not
# measure at all.
#   bench/run.sh                       build the windows preset, measure MorvaLauncher.exe
#   BUILD_DIR=dir bench/run.sh         use (and bring up to date) that build tree instead
#   SUBJECT=path.exe RUNS=20 ...       measure another program, more runs (at least 10)
#   BASELINE=old.exe bench/run.sh      time another build of it too, in turns in the same run
set -eu
# Paths given are taken from where the script was started.
[ -z "${SUBJECT:-}" ] || SUBJECT=$(realpath "$SUBJECT")
[ -z "${BASELINE:-}" ] || BASELINE=$(realpath "$BASELINE")
[ -z "${BUILD_DIR:-}" ] || BUILD_DIR=$(realpath -m "$BUILD_DIR")
cd "$(dirname "$0")/.."
# One Wine for every picture and figure: the system's (wine-run.sh).
export MORVA_WINE=system

runs=${RUNS:-15}
[ "$runs" -ge 10 ] || { echo "RUNS must be at least 10" >&2; exit 2; }

# Build what is measured; the launcher only when it is the subject.
targets="bench_bare_window bench_styled_window bench_startup_timer"
[ -n "${SUBJECT:-}" ] || targets="$targets MorvaLauncher"
if [ -z "${BUILD_DIR:-}" ]; then
    BUILD_DIR=build/windows
    cmake --preset windows >/dev/null
elif [ ! -f "$BUILD_DIR/CMakeCache.txt" ]; then
    cmake --preset windows -B "$BUILD_DIR" >/dev/null
fi
# shellcheck disable=SC2086
cmake --build "$BUILD_DIR" -j2 --target $targets >/dev/null
build=$(cd "$BUILD_DIR" && pwd)
subject=${SUBJECT:-$build/bin/MorvaLauncher.exe}
# The floor: a window with one push button, built with the launcher's manifest, so it pays what
# any program with visual styles pays (common controls 6 and the theme) and nothing of ours.
floor=$build/bin/bench_styled_window.exe
# For comparison only: the same window without the manifest or the button.
bare=$build/bin/bench_bare_window.exe

# A package folder like the player's: the programs start from it, beside the files the
# launcher looks for. Empty files do, since nothing is launched.
package=$build/bench-package
rm -rf "$package"
mkdir -p "$package"
touch "$package/duke3d.exe" "$package/setup.exe" "$package/Morva.txt"
cp "$subject" "$floor" "$bare" "$package/"
# The other build under a name of its own.
baseline=""
if [ -n "${BASELINE:-}" ]; then
    baseline=$package/baseline-$(basename "$BASELINE")
    cp "$BASELINE" "$baseline"
fi

results=$build/bench-results.txt
rm -f "$results"

# An idle virtual machine lets its processors sleep, and waking them costs every one of Wine's
# many round trips between a program, wineserver and the X server: on this 2-processor VM the
# same program took 60 or 200 ms depending on it. Busy loops at the lowest priority keep all
# but one processor awake while measuring, for every program alike.
spinners=$(( $(nproc) - 1 ))
spinner_pids=""
stop_spinners() { [ -z "$spinner_pids" ] || kill $spinner_pids 2>/dev/null || true; }
trap stop_spinners EXIT
i=0
while [ $i -lt $spinners ]; do
    nice -n 19 sh -c 'while :; do :; done' &
    spinner_pids="$spinner_pids $!"
    i=$((i + 1))
done

# Everything Wine runs on a private display, and the Wine session ends before the display does.
# One timer process starts the programs in turns (see startup_timer.cpp).
# shellcheck disable=SC2016 # expanded by the inner shell
xvfb-run -a -s "-screen 0 1024x768x24" sh -c '
    set -eu
    build=$1 package=$2 results=$3 runs=$4
    shift 4
    in_wine() { cmake/wine-run.sh "$build/wine" "$@"; }
    timer=$(in_wine winepath -w "$build/bin/bench_startup_timer.exe" | tr -d "\r")
    folder=$(in_wine winepath -w "$package" | tr -d "\r")
    for name in "$@"; do
        set -- "$@" "$folder\\$name"
        shift
    done
    status=0
    in_wine "$timer" "$runs" "$folder" "$@" >"$results" || status=1
    WINEPREFIX=$build/wine/prefix wineserver -w
    exit $status
' sh "$build" "$package" "$results" "$runs" \
    "$(basename "$subject")" "$(basename "$floor")" "$(basename "$bare")" \
    ${baseline:+"$(basename "$baseline")"} || {
    echo "measuring failed; output so far:" >&2
    cat "$results" >&2 2>/dev/null || true
    exit 1
}

# Per-run figures of one program: start-up times in ms, sorted; the largest peak working set.
runs_of() { grep "^run [0-9]* $(basename "$1"):" "$results" || true; }
run_ms() { runs_of "$1" | sed -n 's/^run [^:]*: \([0-9.]*\) ms.*/\1/p' | sort -n; }
median() {
    awk '{ v[NR] = $1 } END { print NR % 2 ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'
}
peak_kb() { runs_of "$1" | sed -n 's/.*peak_working_set_kb=\([0-9]*\).*/\1/p' | sort -n | tail -n 1; }
# show EXE: which window was timed, and every run.
show() {
    name=$(basename "$1")
    echo "== $name: $(sed -n "s/^warm-up $name: .*window=/window /p" "$results")"
    echo "   $(run_ms "$1" | wc -l) runs, ms sorted: $(run_ms "$1" | tr '\n' ' ')"
    killed=$(runs_of "$1" | grep -c 'terminated' || true)
    [ "$killed" = 0 ] || echo "   $killed runs ignored WM_CLOSE and were terminated"
}
show "$subject"
show "$floor"
show "$bare"
[ -z "$baseline" ] || show "$baseline"
subject_ms=$(run_ms "$subject" | median)
floor_ms=$(run_ms "$floor" | median)
bare_ms=$(run_ms "$bare" | median)
subject_kb=$(peak_kb "$subject")
floor_kb=$(peak_kb "$floor")
size_bytes=$(wc -c <"$subject")
if [ -z "$subject_ms" ] || [ -z "$floor_ms" ] || [ -z "$bare_ms" ]; then
    echo "the timer gave no figures" >&2
    exit 1
fi

# Imports outside Windows' own DLLs (names compared without case).
dlls=$(x86_64-w64-mingw32-objdump -p "$subject" | sed -n 's/.*DLL Name: *//p' | tr -d '\r')
system_dll='^(kernel32|user32|gdi32|shell32|ole32|oleaut32|comctl32|advapi32|msvcrt|ucrtbase'
system_dll="$system_dll|uxtheme|shlwapi|psapi|comdlg32|version|ws2_32|msimg32|winmm|api-ms-win-crt-.*)"
foreign=$(printf "%s\n" "$dlls" | grep -viE "$system_dll\\.dll\$" || true)

verdict() { if [ "$1" = 1 ]; then echo MET; else echo MISSED; fi; }
ratio=$(awk -v a="$subject_ms" -v b="$floor_ms" 'BEGIN { printf "%.2f", a / b }')
bare_ratio=$(awk -v a="$subject_ms" -v b="$bare_ms" 'BEGIN { printf "%.2f", a / b }')
size_kb=$(awk -v s="$size_bytes" 'BEGIN { printf "%.1f", s / 1024 }')

echo
echo "== Summary"
# Other work on the machine only ever adds time, to all the programs alike.
[ ! -r /proc/loadavg ] || printf '%-40s %12s\n' "load average after measuring" \
    "$(cut -d ' ' -f 1 /proc/loadavg)"
printf '%-40s %12s\n' "processors kept awake while measuring" "$spinners of $(nproc)"
printf '%-40s %12s\n' "start-up median, $(basename "$subject")" "$subject_ms ms"
printf '%-40s %12s\n' "start-up median, styled window (floor)" "$floor_ms ms"
printf '%-40s %12s\n' "start-up median, unstyled bare window" "$bare_ms ms"
if [ -n "$baseline" ]; then
    baseline_ms=$(run_ms "$baseline" | median)
    printf '%-40s %12s\n' "start-up median, the other build" "$baseline_ms ms"
    printf '%-40s %12s\n' "ratio to the other build" \
        "$(awk -v a="$subject_ms" -v b="$baseline_ms" 'BEGIN { printf "%.2f", a / b }')"
fi
printf '%-40s %12s   target <= 1.2   %s\n' "ratio to the floor" "$ratio" \
    "$(verdict "$(awk -v r="$ratio" 'BEGIN { print (r <= 1.2) }')")"
printf '%-40s %12s\n' "ratio to the unstyled bare window" "$bare_ratio"
printf '%-40s %12s   target < 300 KB %s\n' "exe size" "$size_kb KB" \
    "$(verdict "$(awk -v s="$size_bytes" 'BEGIN { print (s < 300 * 1024) }')")"
printf '%-40s %12s   target: system DLLs only %s\n' "imported DLLs" "$(echo "$dlls" | wc -l)" \
    "$(verdict "$([ -z "$foreign" ] && echo 1 || echo 0)")"
printf '%s\n' "$dlls" | sed 's/^/    /'
[ -z "$foreign" ] || printf '%s\n' "$foreign" | sed 's/^/    not a system DLL: /'
printf '%-40s %12s\n' "peak working set, $(basename "$subject")" "$subject_kb KB"
printf '%-40s %12s\n' "peak working set, styled window" "$floor_kb KB"
