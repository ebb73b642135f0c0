#!/bin/sh
# Builds every configuration and runs every test: the release check (two clean builds, signing),
# clang-tidy over the sources, the launch logic natively, again with the address and
# undefined-behaviour sanitizers, then the Windows build under two Wines on a virtual X display.
set -eu
cd "$(dirname "$0")/.."
tools/install-packages.sh

for preset in host host-asan windows; do
    cmake --preset "$preset"
    cmake --build --preset "$preset"
done

status=0
# Two clean builds give the same bytes; signing and SHA256SUMS work (builds only the release).
tests/check_release.sh || status=1
tools/tidy.sh || status=1
ctest --preset host || status=1
ctest --preset host-asan || status=1
# The Windows suite under each Wine, each on a private display of its own (the tests send real
# keyboard and mouse input): the system's, then Debian 13's Wine 10 in its root, made on first use.
# The log names each Wine once; a Wine 10 that cannot be had fails the run.
for wine in system debian13; do
    preset=windows
    [ "$wine" = system ] || preset=windows-wine10
    # shellcheck disable=SC2016 # expanded by the inner shell
    MORVA_WINE=$wine xvfb-run -a -s "-screen 0 1024x768x24" sh -c '
        version=$(cmake/wine-run.sh build/windows/wine --version) || exit 1
        if [ "$MORVA_WINE" != system ] && [ "$version" = "$(wine --version)" ]; then
            echo "Debian 13 Wine answered as the system Wine ($version)" >&2
            exit 1
        fi
        echo "== The Windows tests under $version ($MORVA_WINE)"
        ctest --preset "$1"' sh "$preset" || status=1
done
# The start-up benchmark prints its figures; it fails only if it cannot measure, never on time.
bench/run.sh || status=1

# What a package maintainer gets.
for zip in build/windows/MorvaLauncher-*-win64.zip; do
    echo "== $zip"
    cmake -E tar tvf "$zip"
done
exit $status
