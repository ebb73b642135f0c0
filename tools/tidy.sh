#!/bin/sh
# Runs clang-tidy (.clang-tidy) over src/: the native build's sources with its compile database,
# then every source of the Windows build with the checked build's mingw-w64 one (it compiles
# them all, and the checked programs' fault listener too), compiled by clang for the same
# target, so the program also passes a second compiler. Any finding, or any source clang cannot
# compile, fails the run.
#   tools/tidy.sh [FILE...]    (default: all of src/)
set -eu
cd "$(dirname "$0")/.."
root=$(pwd)

# Only the compile databases are needed, not a build.
for preset in host windows-checked; do
    [ -f "build/$preset/compile_commands.json" ] || cmake --preset "$preset" >/dev/null
done

# The sources of src/ a build compiles, as paths from the source folder.
sources_of() {
    sed -n "s|^ *\"file\": \"$root/\(src/[^\"]*\)\",*\$|\1|p" "build/$1/compile_commands.json" |
        sort -u
}
# Of those, the ones named on the command line, or all when none are.
selected() {
    build=$1
    shift
    if [ $# -eq 0 ]; then
        sources_of "$build"
        return
    fi
    for file in "$@"; do
        file=${file#"$root"/}
        sources_of "$build" | grep -Fx -- "${file#./}" || true
    done
}
host_sources=$(selected host "$@")
windows_sources=$(selected windows-checked "$@")
if [ $# -gt 0 ] && [ -z "$host_sources$windows_sources" ]; then
    echo "tidy.sh: no build compiles $*" >&2
    exit 2
fi

# Our headers only; the C and C++ libraries and the Windows headers are system headers.
header_filter="^$root/(src|resources)/"

logs=$(mktemp -d)
trap 'rm -rf "$logs"' EXIT
jobs=$(nproc 2>/dev/null || echo 1)
# clang-tidy with the options in $options over each file given, as many at once as there are
# processors, each with a log of its own; printed in order, without the per-file counts of
# warnings it suppressed in system headers.
tidy() {
    result=0 count=0
    for file; do
        count=$((count + 1))
        # shellcheck disable=SC2086 # the options are words
        { clang-tidy --quiet --header-filter="$header_filter" $options "$file" \
            >"$logs/$count.log" 2>&1 || : >"$logs/$count.failed"; } &
        [ $((count % jobs)) -ne 0 ] || wait
    done
    wait
    for log in $(seq 1 "$count"); do
        grep -v '^[0-9]* warnings\{0,1\}\( and [0-9]* errors\{0,1\}\)\{0,1\} generated\.$' \
            "$logs/$log.log" || true
        [ ! -f "$logs/$log.failed" ] || result=1
    done
    rm -f "$logs"/*
    return $result
}

status=0
if [ -n "$host_sources" ]; then
    options="-p build/host"
    # shellcheck disable=SC2086 # one source a word
    tidy $host_sources || status=1
fi

if [ -n "$windows_sources" ]; then
    # For this target clang would search the host's /usr/include; the sysroot gives it the
    # mingw-w64 C and Windows headers instead, and the posix-thread g++'s libstdc++ goes first,
    # as it does for g++. Warning options only g++ knows are no finding, nor is the LTO object
    # format g++ is told to write (-fno-fat-lto-objects).
    gcc_dir=$(ls -d /usr/lib/gcc/x86_64-w64-mingw32/*-posix | sort -V | tail -n 1)
    cxx="$gcc_dir/include/c++"
    options="-p build/windows-checked
        --extra-arg=--target=x86_64-w64-mingw32
        --extra-arg=--sysroot=/usr/x86_64-w64-mingw32
        --extra-arg=-nostdinc++
        --extra-arg=-isystem$cxx
        --extra-arg=-isystem$cxx/x86_64-w64-mingw32
        --extra-arg=-isystem$cxx/backward
        --extra-arg=-Wno-unknown-warning-option
        --extra-arg=-Wno-ignored-optimization-argument"
    # shellcheck disable=SC2086 # one source a word
    tidy $windows_sources || status=1
fi

[ $status -eq 0 ] && echo "clang-tidy: no findings"
exit $status
