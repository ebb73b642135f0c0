#!/bin/sh
# Runs a Windows program under Wine with everything Wine writes kept in one state folder of the
# build tree: the prefix, HOME and the XDG folders.
#   wine-run.sh STATE_DIR [--dpi N] PROGRAM [ARGS...]
#   wine-run.sh STATE_DIR [--dpi N] --start-server | --stop-server
# --dpi gives the prefix that display density (LogPixels); use a state folder per density.
# Prefixes are made once per machine, Wine and density in the user's cache folder, and copied
# into the state folder. --start-server copies a fresh one and starts one wineserver for it, with
# the prefix's services and desktop, which every program run in the state folder joins until
# --stop-server, or until the process that started it (ctest) has ended, whichever comes first.
# MORVA_HEAP_CHECKS names a folder whose programs --start-server gives the heap's checks.
# MORVA_WINE picks the Wine: "system" (the default) is the one on PATH; "debian13" is Debian
# 13's Wine 10 in a Debian 13 root of its own (debian-root.sh), run in a private mount namespace
# so that nothing stays mounted when it ends. Each Wine has a state folder of its own.
set -eu
state=$1
shift
mkdir -p "$state"
state=$(cd "$state" && pwd)
dpi=96
if [ "${1:-}" = "--dpi" ]; then
    dpi=$2
    shift 2
fi
action=run
case "${1:-}" in
--start-server | --stop-server | --make-prefix)
    action=${1#--}
    shift
    ;;
--serve) # the server's keeper, started by --start-server: --serve OWNER_PID
    action=serve
    owner=$2
    shift 2
    ;;
esac
wine_key=${MORVA_WINE:-system}
here=$(cd "$(dirname "$0")" && pwd)
cache=${MORVA_PREFIX_CACHE:-${XDG_CACHE_HOME:-$HOME/.cache}/morva-launcher/prefixes}
export MORVA_PREFIX_CACHE="$cache"
# The prefix this machine keeps for this Wine and density, and the state folder's copy of it.
made=$cache/$wine_key-${dpi}dpi
[ "$wine_key" = system ] || [ -n "${MORVA_IN_ROOT:-}" ] || state=$state/debian13
mkdir -p "$state" "$cache"

# Whether a process runs: not gone, and no zombie (whose parent may be slow to reap it).
alive() {
    [ -r "/proc/$1/stat" ] && [ "$(sed 's/.*) //; s/ .*//' "/proc/$1/stat" 2>/dev/null)" != Z ]
}

# The keeper of a running server, or nothing: its process id, when that process is still the
# keeper of this state folder (a stale file may name a process id used again since).
keeper() {
    pid=$(cat "$state/server.pid" 2>/dev/null) || return 1
    alive "$pid" && tr '\0' ' ' <"/proc/$pid/cmdline" 2>/dev/null |
        grep -q -- "$state --dpi $dpi --serve" || return 1
    echo "$pid"
}

# Starts the keeper in the background (the command given), and returns once its server is up.
start_keeper() {
    rm -f "$state/server.pid"
    "$@" </dev/null >"$state/server.log" 2>&1 &
    started=$!
    # The first run on a machine makes the prefix first.
    tries=0
    until keeper >/dev/null; do
        if ! alive "$started" || [ "$tries" -ge 2400 ]; then
            echo "wine-run.sh: the wineserver for $state did not start:" >&2
            cat "$state/server.log" >&2
            return 1
        fi
        tries=$((tries + 1))
        sleep 0.05
    done
}

# Ends the keeper, which ends its server and every program of the prefix, and waits until the
# keeper (and with it, under Wine 10, the mount namespace) is gone.
stop_keeper() {
    pid=$(keeper) || return 0
    kill -TERM "$pid"
    tries=0
    while alive "$pid"; do
        if [ "$tries" -ge 600 ]; then
            echo "wine-run.sh: the wineserver's keeper $pid for $state is still running" >&2
            return 1
        fi
        tries=$((tries + 1))
        sleep 0.05
    done
}

marker() { cat "$1/.morva-ready" 2>/dev/null || true; }

# A copy of the machine's prefix, made beside the state folder's, ready to take its place.
# Wine's programs and libraries are hard links, which nothing writes to; every other file (the
# registry first) is a copy of its own. Hard links cannot cross mounts: inside Wine 10's root,
# where the cache and the build tree are mounted apart, it is copied whole.
copy_prefix() {
    rm -rf "$state/prefix.copy"
    if ! cp -al "$made/prefix" "$state/prefix.copy" 2>/dev/null; then
        rm -rf "$state/prefix.copy"
        cp -a "$made/prefix" "$state/prefix.copy"
    fi
    find "$state/prefix.copy" -type f ! \( -name '*.dll' -o -name '*.exe' -o -name '*.sys' -o \
        -name '*.drv' -o -name '*.nls' -o -name '*.fon' -o -name '*.ttf' -o -name '*.ocx' -o \
        -name '*.cpl' -o -name '*.acm' -o -name '*.tlb' \) \
        -exec sh -c 'for file; do cp -p "$file" "$file.own" && mv -f "$file.own" "$file"; done' \
        sh {} +
}
install_copy() {
    rm -rf "$state/prefix"
    mv "$state/prefix.copy" "$state/prefix"
}

case $wine_key in
system) ;;
debian13)
    if [ -z "${MORVA_IN_ROOT:-}" ]; then
        root=$("$here/debian-root.sh")
        tree=$(dirname "$(dirname "$state")")
        sudo=""
        [ "$(id -u)" -eq 0 ] || sudo="sudo -E"
        # Inside the root the paths are the same as outside: the project (sources and build
        # tree), the state folder, the prefix cache, the X server's sockets and its authority
        # file. The program runs as the caller, in the caller's folder.
        # shellcheck disable=SC2016 # expanded by the inner shell
        mount_and_run='
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
                sh -c "cd \"\$0\" && exec \"\$@\"" "$PWD" env MORVA_IN_ROOT=1 "$@"'
        in_new_namespace() {
            exec $sudo unshare --mount --propagation private sh -c "$mount_and_run" sh \
                "$root" "$(id -u)" "$(id -g)" \
                "$(cd "$here/.." && pwd)" "$tree" "$cache" /tmp/.X11-unix \
                ${XAUTHORITY:+"$XAUTHORITY"} -- sh "$here/wine-run.sh" "$state" --dpi "$dpi" "$@"
        }
        # Out here, where the cache and the build tree are one file system, the copy is made of
        # hard links; the root's own Wine checks it and makes the prefix where there is none.
        have_copy() { [ -n "$(marker "$made/prefix")" ] && copy_prefix; }
        case $action in
        start-server)
            keeper >/dev/null && exit 0 # already serving: a second run joins it
            have_copy || true
            # The keeper runs in a mount namespace of its own, made once: the mounts last as
            # long as it and its server do.
            start_keeper in_new_namespace --serve "${MORVA_WINE_SERVER_OWNER:-$PPID}"
            exit
            ;;
        stop-server)
            stop_keeper
            exit
            ;;
        esac
        if [ -z "$(marker "$made/prefix")" ] || [ "$(marker "$state/prefix")" != "$(marker "$made/prefix")" ]; then
            (
                flock 9
                [ "$(marker "$state/prefix")" = "$(marker "$made/prefix")" ] ||
                    { have_copy && install_copy; } || true
            ) 9>"$state/.prefix.lock"
        fi
        if pid=$(keeper); then
            # Joins the keeper's namespace, where the root is already mounted.
            exec $sudo nsenter --mount="/proc/$pid/ns/mnt" chroot "$root" \
                setpriv --reuid="$(id -u)" --regid="$(id -g)" --clear-groups \
                sh -c "cd \"\$0\" && exec \"\$@\"" "$PWD" env MORVA_IN_ROOT=1 \
                sh "$here/wine-run.sh" "$state" --dpi "$dpi" "$@"
        fi
        in_new_namespace "$@"
        exit
    fi
    ;;
*)
    echo "wine-run.sh: MORVA_WINE is \"$MORVA_WINE\"; it is \"system\" or \"debian13\"" >&2
    exit 2
    ;;
esac

case $action in
start-server)
    keeper >/dev/null && exit 0 # already serving: a second run joins it
    start_keeper sh "$here/wine-run.sh" "$state" --dpi "$dpi" --serve \
        "${MORVA_WINE_SERVER_OWNER:-$PPID}"
    exit
    ;;
stop-server)
    stop_keeper
    exit
    ;;
esac

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
mkdir -p "$HOME" "$XDG_CONFIG_HOME" "$XDG_DATA_HOME" "$XDG_CACHE_HOME"
# Debian's Wine does not look for its own fonts here: without them in the prefix, "MS Sans
# Serif" falls back to another face and the caption buttons lose their Marlett glyphs.
wine_fonts=/usr/share/wine/fonts

# Made by this Wine, and made with its fonts (a prefix from before they were copied counts as
# half-made; one made by another Wine is made again, never opened).
# The recipe's number goes up when what make_prefix does changes, so that older prefixes are
# made again.
made_by="$(wine --version), recipe 3"
ready() {
    [ "$(marker "$1")" = "$made_by" ] && [ -f "$1/drive_c/windows/Fonts/marlett.ttf" ]
}

# The machine's prefix for this Wine and density, made when missing.
make_prefix() {
    ! ready "$made/prefix" || return 0
    if [ ! -f "$wine_fonts/marlett.ttf" ]; then
        echo "wine-run.sh: Wine's fonts are missing from $wine_fonts: install the package fonts-wine" >&2
        exit 1
    fi
    mkdir -p "$made"
    # Tests may start in parallel, and clones share the cache; one makes the prefix, the others
    # wait for it.
    (
        flock 9
        if ! ready "$made/prefix"; then
            # A prefix left half-made by an interrupted run lacks parts (file associations):
            # start again from nothing.
            rm -rf "$made/prefix" "$made/home"
            mkdir -p "$made/home"
            # Its own server and home, out of the state folder's way.
            export WINEPREFIX="$made/prefix" HOME="$made/home"
            wineboot --init >/dev/null 2>&1
            wineserver --wait
            cp "$wine_fonts"/* "$WINEPREFIX/drive_c/windows/Fonts/"
            # One virtual desktop for every process, so SendInput reaches the foreground
            # window and GetGUIThreadInfo reports the focus.
            wine reg add 'HKCU\Software\Wine\Explorer' /v Desktop /d Default /f >/dev/null 2>&1
            # Past 150 % the main window needs more room: up to 300 % a desktop as large as the
            # tests' X screen (a larger screen puts Wine 10's mouse input off the desktop).
            desktop=800x600
            [ "$dpi" -le 144 ] || desktop=1024x768
            wine reg add 'HKCU\Software\Wine\Explorer\Desktops' /v Default /d "$desktop" /f \
                >/dev/null 2>&1
            wine reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d "$dpi" /f >/dev/null 2>&1
            # A program that crashes ends at once, with the exception's code: with no debugger
            # command Wine starts none (without one it would start winedbg, whose dialog holds
            # the test until ctest's time-out).
            wine reg add 'HKLM\Software\Microsoft\Windows NT\CurrentVersion\AeDebug' \
                /v Debugger /d "" /f >/dev/null 2>&1
            wineserver --wait
            # Wine links the user's Desktop, Documents and the like to $HOME; plain folders
            # keep what is written there inside each copy of the prefix.
            for link in "$WINEPREFIX"/drive_c/users/*/*; do
                if [ -L "$link" ]; then
                    rm "$link"
                    mkdir "$link"
                fi
            done
            echo "$made_by" >"$WINEPREFIX/.morva-ready"
        fi
    ) 9>"$made.lock"
}

if [ "$action" = make-prefix ]; then
    make_prefix
    exit
fi

if [ "$action" = serve ]; then
    # A fresh copy for every run, in place of the last run's, once no server of the last run
    # (or of the test listing) is left on it.
    wineserver --kill 2>/dev/null || true
    wineserver --wait 2>/dev/null || true
    if ! ready "$state/prefix.copy"; then
        make_prefix
        copy_prefix
    fi
    install_copy
    # Returns once the server listens; it lives until it is killed.
    wineserver --persistent
    # A checked build's programs run with the heap's free, tail and parameter checks
    # (FLG_HEAP_ENABLE_FREE_CHECK, _TAIL_CHECK, _VALIDATE_PARAMETERS): a freed block is filled,
    # so a use after free reads garbage. Windows and Wine take GlobalFlag from the program's
    # Image File Execution Options.
    if [ -n "${MORVA_HEAP_CHECKS:-}" ]; then
        {
            printf 'REGEDIT4\n\n'
            for program in "$MORVA_HEAP_CHECKS"/*.exe; do
                printf '[HKEY_LOCAL_MACHINE\\Software\\Microsoft\\Windows NT\\CurrentVersion'
                printf '\\Image File Execution Options\\%s]\n"GlobalFlag"=dword:00000070\n\n' \
                    "${program##*/}"
            done
        } >"$state/heap-checks.reg"
        wine regedit /S "Z:$(printf '%s' "$state/heap-checks.reg" | tr / '\\')" >/dev/null 2>&1
    fi
    # The desktop closes a second after the last program on it has ended, and the next one
    # starts another (which holds each test's output open for that second): a program that
    # waits on a pipe of this keeper's keeps it open between tests, and ends with the keeper.
    # Then the services and the desktop, started once.
    rm -f "$state/desktop.hold"
    mkfifo "$state/desktop.hold"
    exec 8<>"$state/desktop.hold"
    wine cmd.exe /k <"$state/desktop.hold" >/dev/null 2>&1 &
    wine rundll32 >/dev/null 2>&1 || true
    ended() {
        exec 8>&-
        wineserver --kill 2>/dev/null || true
        wineserver --wait 2>/dev/null || true
        rm -f "$state/server.pid" "$state/desktop.hold"
        exit 0
    }
    trap ended TERM HUP
    echo $$ >"$state/server.pid"
    while alive "$owner"; do
        sleep 1 &
        wait $! || true
    done
    ended
fi

if ! ready "$WINEPREFIX"; then
    make_prefix
    (
        flock 9
        ready "$WINEPREFIX" || { copy_prefix && install_copy; }
    ) 9>"$state/.prefix.lock"
fi

exec wine "$@"
