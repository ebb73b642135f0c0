#!/bin/sh
# Builds every configuration and runs every test: the release check (two clean builds, signing),
# clang-tidy over the sources, the launch logic natively, again with the address and
# undefined-behaviour sanitizers, then the Windows build under Wine on a virtual X display of its
# own.
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
# Always a private display: the tests send real keyboard and mouse input.
xvfb-run -a -s "-screen 0 1024x768x24" ctest --preset windows || status=1
# The start-up benchmark prints its figures; it fails only if it cannot measure, never on time.
bench/run.sh || status=1

# What a package maintainer gets.
for zip in build/windows/MorvaLauncher-*-win64.zip; do
    echo "== $zip"
    cmake -E tar tvf "$zip"
done
exit $status
