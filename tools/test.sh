#!/bin/sh
# Builds every configuration and runs every test: the release check (two clean builds, signing),
# clang-tidy over the sources, the launch logic natively, again with the address and
# undefined-behaviour sanitizers, then the Windows build under two Wines on a virtual X display,
# and its checked build under Wine 10.
set -eu
cd "$(dirname "$0")/.."
tools/install-packages.sh

for preset in host host-asan windows; do
    cmake --preset "$preset"
    cmake --build --preset "$preset"
done
cmake --preset windows-checked

status=0
# Two clean builds give the same bytes; signing and SHA256SUMS work (builds only the release).
tests/check_release.sh || status=1
ctest --preset host || status=1
ctest --preset host-asan || status=1

# The Windows suites mostly wait on Wine and the X server: the checked build and clang-tidy run
# beside the release suites, at the lowest priority, so that the suites' own processes keep the
# processors whenever they want them. Their output follows the suites'.
background=$(mktemp)
# shellcheck disable=SC2016 # expanded by the inner shell
nice -n 19 sh -c 'failed=0
    cmake --build --preset windows-checked || failed=1
    tools/tidy.sh || failed=1
    exit $failed' >"$background" 2>&1 &
beside=$!

# The Windows suite under each Wine, each on a private display of its own (the tests send real
# keyboard and mouse input): the system's, then Debian 13's Wine 10 in its root, made on first use;
# then the checked build (library assertions, undefined behaviour trapped, freed memory poisoned,
# and a fault ends the program, however deep in the system it happens) under Wine 10, the one most
# players now have. The log names each Wine once; a Wine 10 that cannot be had fails the run.
for suite in "system windows" "debian13 windows-wine10" "debian13 windows-checked"; do
    # shellcheck disable=SC2086 # two words: the Wine and the test preset
    set -- $suite
    if [ "$2" = windows-checked ]; then
        echo "== The checked build and clang-tidy, run beside the suites above"
        wait "$beside" || status=1
        cat "$background"
        rm -f "$background"
    fi
    # shellcheck disable=SC2016 # expanded by the inner shell
    MORVA_WINE=$1 xvfb-run -a -s "-screen 0 1024x768x24" sh -c '
        version=$(cmake/wine-run.sh build/windows/wine --version) || exit 1
        if [ "$MORVA_WINE" != system ] && [ "$version" = "$(wine --version)" ]; then
            echo "Debian 13 Wine answered as the system Wine ($version)" >&2
            exit 1
        fi
        build=""
        [ "$1" != windows-checked ] || build=", checked build,"
        echo "== The Windows tests$build under $version ($MORVA_WINE)"
        ctest --preset "$1"' sh "$2" || status=1
done
# The start-up benchmark prints its figures; it fails only if it cannot measure, never on time.
bench/run.sh || status=1

# What a package maintainer gets.
for zip in build/windows/MorvaLauncher-*-win64.zip; do
    echo "== $zip"
    cmake -E tar tvf "$zip"
done
exit $status
