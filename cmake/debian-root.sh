#!/bin/sh
# Prints the path of a Debian 13 root holding Debian 13's Wine (10), kept in the user's cache
# folder so that every clone on this machine shares it; makes it first when it is missing or was
# left half-made. Needs root (or sudo) and Debian's package mirror.
#   debian-root.sh
set -eu
cache=${XDG_CACHE_HOME:-$HOME/.cache}/morva-launcher
root=$cache/debian13-wine
mirror=${MORVA_DEBIAN_MIRROR:-http://deb.debian.org/debian}
sudo=""
[ "$(id -u)" -eq 0 ] || sudo=sudo

# The marker is written last: a root without it (an interrupted download) is made again.
ready() { [ -f "$root/.morva-ready" ] && [ -x "$root/usr/bin/wine" ]; }

fail() {
    echo "debian-root.sh: $1 (log: $2)" >&2
    tail -n 20 "$2" >&2
    exit 1
}

if ! ready; then
    mkdir -p "$cache"
    # Several tests may start at once; one makes the root, the others wait for it.
    (
        flock 9
        if ! ready; then
            if ! command -v debootstrap >/dev/null 2>&1; then
                $sudo apt-get update -q >&2
                DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -q debootstrap >&2
            fi
            log=$cache/debian13-wine.log
            echo "debian-root.sh: making a Debian 13 root with its Wine in $root" \
                "(once per machine, about 6 minutes)" >&2
            $sudo rm -rf "$root"
            $sudo debootstrap --variant=minbase trixie "$root" "$mirror" >"$log" 2>&1 ||
                fail "debootstrap could not make the root" "$log"
            # Recommended packages too: the Wine a player installs, with its X11 libraries.
            $sudo unshare --mount --propagation private sh -c '
                mount --rbind /proc "$1/proc" && mount --rbind /dev "$1/dev" &&
                mount --rbind /sys "$1/sys" &&
                chroot "$1" sh -c "apt-get update -q &&
                    DEBIAN_FRONTEND=noninteractive apt-get install -y -q wine wine64 fonts-wine &&
                    apt-get clean"' sh "$root" >>"$log" 2>&1 ||
                fail "Wine could not be installed in the root" "$log"
            $sudo touch "$root/.morva-ready"
        fi
    ) 9>"$cache/debian13-wine.lock"
fi
echo "$root"
