#!/bin/sh
# Runs a Windows program under Wine with everything Wine writes kept in one state folder of the
# build tree: the prefix, HOME and the XDG folders. The first run makes the prefix.
#   wine-run.sh STATE_DIR [--dpi N] PROGRAM [ARGS...]
# --dpi gives the prefix that display density (LogPixels); use a state folder per density.
# MORVA_WINE picks the Wine: "system" (the default) is the one on PATH; "debian13" is Debian
# 13's Wine 10 in a Debian 13 root of its own (debian-root.sh), run in a private mount namespace
# so that nothing stays mounted when it ends. Each Wine has a state folder of its own.
set -eu
state=$1
shift

mkdir -p "$state"
state=$(cd "$state" && pwd)

case "${MORVA_WINE:-system}" in
system) ;;
debian13)
    if [ -z "${MORVA_IN_ROOT:-}" ]; then
        here=$(cd "$(dirname "$0")" && pwd)
        root=$("$here/debian-root.sh")
        tree=$(dirname "$state")
        state=$state/debian13
        mkdir -p "$state"
        sudo=""
        [ "$(id -u)" -eq 0 ] || sudo="sudo -E"
        # Inside the root the paths are the same as outside: the project (sources and build
        # tree), the state folder, the X server's sockets and its authority file. The program
        # runs as the caller, in the caller's folder.
        # shellcheck disable=SC2016 # expanded by the inner shell
        exec $sudo unshare --mount --propagation private sh -c '
            set -eu
            root=$1 user=$2 group=$3
            shift 3
            for path in /proc /sys /dev; do
                mount --rbind "$path" "$root$path"
            done
            for path in "$@"; do
                case "$path" in --) break ;; esac
                [ -e "$path" ] || continue
                if [ -d "$path" ]; then mkdir -p "$root$path"; else
                    mkdir -p "$(dirname "$root$path")" && touch "$root$path"; fi
                mount --rbind "$path" "$root$path"
            done
            while [ "$1" != -- ]; do shift; done
            shift
            exec chroot "$root" setpriv --reuid="$user" --regid="$group" --clear-groups \
                sh -c "cd \"\$0\" && exec \"\$@\"" "$PWD" env MORVA_IN_ROOT=1 "$@"
        ' sh "$root" "$(id -u)" "$(id -g)" \
            "$(cd "$here/.." && pwd)" "$tree" /tmp/.X11-unix ${XAUTHORITY:+"$XAUTHORITY"} \
            -- sh "$here/wine-run.sh" "$state" "$@"
    fi
    ;;
*)
    echo "wine-run.sh: MORVA_WINE is \"$MORVA_WINE\"; it is \"system\" or \"debian13\"" >&2
    exit 2
    ;;
esac

dpi=96
if [ "${1:-}" = "--dpi" ]; then
    dpi=$2
    shift 2
fi

export WINEPREFIX="$state/prefix"
export HOME="$state/home"
export XDG_CONFIG_HOME="$HOME/.config" XDG_DATA_HOME="$HOME/.local/share"
export XDG_CACHE_HOME="$HOME/.cache" XDG_STATE_HOME="$HOME/.local/state"
export XDG_DESKTOP_DIR="$HOME/Desktop"
export WINEDEBUG=-all
# No menu entries or file associations written to the (test) home; mscoree and mshtml stay on,
# since a prefix made without them loses its file associations.
export WINEDLLOVERRIDES=winemenubuilder.exe=d
export LC_ALL=C.UTF-8
# Debian's Wine does not look for its own fonts here: without them in the prefix, "MS Sans
# Serif" falls back to another face and the caption buttons lose their Marlett glyphs.
wine_fonts=/usr/share/wine/fonts

# Made by this Wine, and made with its fonts (a prefix from before they were copied counts as
# half-made; one made by another Wine is made again, never opened).
wine_version=$(wine --version)
ready() {
    [ "$(cat "$WINEPREFIX/.morva-ready" 2>/dev/null)" = "$wine_version" ] &&
        [ -f "$WINEPREFIX/drive_c/windows/Fonts/marlett.ttf" ]
}

if ! ready; then
    if [ ! -f "$wine_fonts/marlett.ttf" ]; then
        echo "wine-run.sh: Wine's fonts are missing from $wine_fonts: install the package fonts-wine" >&2
        exit 1
    fi
    mkdir -p "$HOME" "$XDG_CONFIG_HOME" "$XDG_DATA_HOME" "$XDG_CACHE_HOME"
    # Tests may start in parallel; one makes the prefix, the others wait for it.
    (
        flock 9
        if ! ready; then
            # A prefix left half-made by an interrupted run lacks parts (file associations):
            # start again from nothing.
            rm -rf "$WINEPREFIX"
            wineboot --init >/dev/null 2>&1
            wineserver --wait
            cp "$wine_fonts"/* "$WINEPREFIX/drive_c/windows/Fonts/"
            # One virtual desktop for every process, so SendInput reaches the foreground
            # window and GetGUIThreadInfo reports the focus.
            wine reg add 'HKCU\Software\Wine\Explorer' /v Desktop /d Default /f >/dev/null 2>&1
            wine reg add 'HKCU\Software\Wine\Explorer\Desktops' /v Default /d 800x600 /f >/dev/null 2>&1
            wine reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d "$dpi" /f >/dev/null 2>&1
            wineserver --wait
            # Wine links the user's Desktop to $HOME; a plain folder keeps links written
            # there inside the prefix.
            for desktop in "$WINEPREFIX"/drive_c/users/*/Desktop; do
                if [ -L "$desktop" ]; then
                    rm "$desktop"
                    mkdir "$desktop"
                fi
            done
            echo "$wine_version" >"$WINEPREFIX/.morva-ready"
        fi
    ) 9>"$state/.prefix.lock"
fi

exec wine "$@"
