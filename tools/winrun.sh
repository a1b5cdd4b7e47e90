#!/usr/bin/env bash
# The Wine world every Windows test runs in.
#
#   tools/winrun.sh PROGRAM.exe [ARGS...]   run a Windows program (starts the world if needed)
#   tools/winrun.sh start                   start Xvfb and the persistent wineserver, make the prefix
#   tools/winrun.sh stop                    stop them again
#   tools/winrun.sh arch                    print the Windows build whose tests this machine runs
#
# The world: a WINEPREFIX under build/wine/, made once with wineboot and reused; one persistent
# wineserver; LANG=zh_CN.UTF-8 (ANSI code page 936); WINEDEBUG=-all; a display from Xvfb.
#
# PE32 programs run under wine32. Some machines execute 64-bit user code only (an i386 ELF
# gets ENOEXEC, so wine32 cannot start); there the tests run as the x86-64 build of the same
# sources under wine64, and `arch` says win64. The prefix is chosen by the program's PE machine.
set -euo pipefail

ROOT=$(cd "$(dirname "$0")/.." && pwd)
STATE=${TARNEL_WINE_STATE:-$ROOT/build/wine}
mkdir -p "$STATE"

fail() { printf 'winrun: %s\n' "$*" >&2; exit 125; }

export LANG=zh_CN.UTF-8 LC_ALL=zh_CN.UTF-8
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"

can_run_i386() { [ -x /usr/lib/wine/wine ] && /usr/lib/wine/wine --version >/dev/null 2>&1; }

# PE machine of a program: win32 (0x14c) or win64 (0x8664).
pe_arch() {
    local off machine
    off=$(od -An -tu4 -j60 -N4 "$1" 2>/dev/null | tr -d ' ') || return 1
    machine=$(od -An -tx2 -j$((off + 4)) -N2 "$1" 2>/dev/null | tr -d ' ') || return 1
    case $machine in 014c) echo win32 ;; 8664) echo win64 ;; *) return 1 ;; esac
}

select_arch() {  # sets WINEPREFIX, WINELOADER, WINESERVER for one arch
    local arch=$1
    export WINEPREFIX=$STATE/prefix-$arch WINEARCH=$arch
    if [ "$arch" = win64 ]; then
        export WINELOADER=/usr/lib/wine/wine64 WINESERVER=/usr/lib/wine/wineserver64
    else
        can_run_i386 || fail "this machine cannot run i386 code, so wine32 cannot start a PE32 program; run the win64 build's tests (tools/winrun.sh arch)"
        export WINELOADER=/usr/lib/wine/wine WINESERVER=/usr/lib/wine/wineserver32
        [ -x "$WINESERVER" ] || WINESERVER=/usr/lib/wine/wineserver
    fi
    [ -x "$WINELOADER" ] || fail "Wine cannot start: $WINELOADER is missing (run make deps)"
}

start_xvfb() {
    if [ -f "$STATE/xvfb.pid" ] && kill -0 "$(cat "$STATE/xvfb.pid")" 2>/dev/null; then
        export DISPLAY=:$(cat "$STATE/display")
        return
    fi
    command -v Xvfb >/dev/null || fail "Xvfb cannot start: it is not installed (run make deps)"
    local n=90
    while [ -e /tmp/.X$n-lock ] || [ -e /tmp/.X11-unix/X$n ]; do n=$((n + 1)); done
    Xvfb ":$n" -screen 0 1024x768x24 -nolisten tcp >"$STATE/xvfb.log" 2>&1 &
    echo $! >"$STATE/xvfb.pid"
    echo $n >"$STATE/display"
    for _ in $(seq 100); do
        [ -e /tmp/.X11-unix/X$n ] && break
        kill -0 "$(cat "$STATE/xvfb.pid")" 2>/dev/null || fail "Xvfb could not start on :$n (log: $STATE/xvfb.log)"
        sleep 0.1
    done
    [ -e /tmp/.X11-unix/X$n ] || fail "Xvfb did not open display :$n within 10 s (log: $STATE/xvfb.log)"
    export DISPLAY=:$n
}

start_wine() {
    if [ ! -f "$WINEPREFIX/system.reg" ] || [ ! -f "$WINEPREFIX/.tarnel-ready" ]; then
        echo "winrun: creating the $WINEARCH Wine prefix $WINEPREFIX (once)" >&2
        rm -rf "$WINEPREFIX"
        "$WINELOADER" wineboot -i >"$STATE/wineboot-$WINEARCH.log" 2>&1 \
            || fail "Wine could not start: wineboot failed (log: $STATE/wineboot-$WINEARCH.log)"
        "$WINESERVER" -w
        touch "$WINEPREFIX/.tarnel-ready"
    fi
    # A new persistent server (it stays until `stop`) gets Wine's services started here, with
    # their output detached: a service that inherits a test's stdout would hold its pipe open.
    if "$WINESERVER" -p 2>/dev/null; then
        "$WINELOADER" wineboot </dev/null >/dev/null 2>&1 \
            || fail "Wine could not start its services in $WINEPREFIX"
    fi
}

ensure() {  # arch: world up for that arch, made once under a lock
    select_arch "$1"
    exec 9>"$STATE/lock"
    flock 9
    start_xvfb
    start_wine
    flock -u 9
}

default_arch() { if can_run_i386; then echo win32; else echo win64; fi; }

case "${1:-}" in
"")
    sed -n '2,9p' "$0" | sed 's/^# \{0,1\}//' >&2
    exit 2
    ;;
arch)
    default_arch
    ;;
start)
    ensure "${2:-$(default_arch)}"
    echo "winrun: Wine ($WINEARCH) on display $DISPLAY, prefix $WINEPREFIX" >&2
    ;;
stop)
    for a in win32 win64; do
        [ -d "$STATE/prefix-$a" ] || continue
        ( select_arch "$a" 2>/dev/null && "$WINESERVER" -k 2>/dev/null ) || true
    done
    if [ -f "$STATE/xvfb.pid" ]; then
        kill "$(cat "$STATE/xvfb.pid")" 2>/dev/null || true
        rm -f "$STATE/xvfb.pid"
    fi
    ;;
*)
    program=$1
    shift
    [ -f "$program" ] || fail "no such program: $program"
    arch=$(pe_arch "$program") || fail "$program is not a PE32 or PE32+ program"
    ensure "$arch"
    exec "$WINELOADER" "$program" "$@"
    ;;
esac
