#!/bin/sh
# Installs the Debian packages the build and the tests need, when some are missing.
set -eu
# clang-tidy carries its own clang front end and headers: it is also the second compiler the
# Windows sources go through (tools/tidy.sh), so no clang package is needed. python3 writes the
# release zip; osslsigncode signs it, and openssl makes the throwaway certificate the release
# check signs with (tests/check_release.sh, which copies the sources that git tracks).
packages="cmake make g++ libgtest-dev googletest clang-tidy
    g++-mingw-w64-x86-64-posix mingw-w64-tools
    wine wine64 fonts-wine xvfb xauth x11-utils imagemagick liblnk-utils
    python3 osslsigncode openssl git"
missing=""
for package in $packages; do
    dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed" ||
        missing="$missing $package"
done
[ -z "$missing" ] && exit 0
echo "Installing:$missing"
sudo=""
[ "$(id -u)" -eq 0 ] || sudo=sudo
$sudo apt-get update -q
# wine64 alone brings no wine command and no fonts: each package is named.
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -q --no-install-recommends $missing
