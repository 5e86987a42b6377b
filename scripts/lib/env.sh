# Shared settings of the project's scripts. Source it; it defines no side effects
# beyond variables and functions.

TEVRIN_ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
TEVRIN_BUILD_DIR=${TEVRIN_BUILD_DIR:-$TEVRIN_ROOT/build}

die() {
    echo "$(basename "$0"): $*" >&2
    exit 2
}

# True when this machine's kernel runs 32-bit x86 programs. Wine needs that for
# 32-bit Windows programs; some kernels ship with it switched off.
# TEVRIN_HOST_32BIT=1 or 0 states the answer (setup's tests use it).
host_runs_32bit() {
    case "${TEVRIN_HOST_32BIT:-}" in
        1) return 0 ;;
        0) return 1 ;;
    esac
    local probe
    probe=$(mktemp)
    # A 93-byte ELF32 program that only calls exit(0).
    printf '\x7f\x45\x4c\x46\x01\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00\x02\x00\x03\x00\x01\x00\x00\x00\x54\x80\x04\x08\x34\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x34\x00\x20\x00\x01\x00\x00\x00\x00\x00\x00\x00\x01\x00\x00\x00\x00\x00\x00\x00\x00\x80\x04\x08\x00\x80\x04\x08\x5d\x00\x00\x00\x5d\x00\x00\x00\x05\x00\x00\x00\x00\x10\x00\x00\xb8\x01\x00\x00\x00\x31\xdb\xcd\x80' > "$probe"
    chmod +x "$probe"
    local rc=0
    "$probe" 2>/dev/null || rc=1
    rm -f "$probe"
    return $rc
}

# Architecture of the tested build: TEVRIN_ARCH, else what the build tree was made
# with, else what this machine can run under Wine.
tevrin_arch() {
    if [ -n "${TEVRIN_ARCH:-}" ]; then
        echo "$TEVRIN_ARCH"
    elif [ -f "$TEVRIN_BUILD_DIR/tevrin-arch" ]; then
        cat "$TEVRIN_BUILD_DIR/tevrin-arch"
    elif host_runs_32bit; then
        echo i686
    else
        echo x86_64
    fi
}

# Exports the Wine settings of the project's private prefix for the given architecture.
wine_env() {
    local arch=$1
    export WINEPREFIX="$TEVRIN_BUILD_DIR/wineprefix"
    export WINEDEBUG=${WINEDEBUG:--all}
    # No Mono or Gecko installer dialogs, no desktop menu entries.
    export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d${WINEDLLOVERRIDES:+;$WINEDLLOVERRIDES}"
    if [ "$arch" = x86_64 ]; then
        export WINEARCH=win64
        export WINELOADER=/usr/lib/wine/wine64
        export WINESERVER=/usr/lib/wine/wineserver64
    else
        export WINEARCH=win32
        export WINELOADER=/usr/lib/wine/wine
        export WINESERVER=/usr/lib/wine/wineserver32
    fi
    [ -x "$WINELOADER" ] || die "Wine for $arch is not installed ($WINELOADER); run scripts/setup"
}

# Starts Xvfb on a free display when none is set; sets TEVRIN_XVFB_PID when it did.
TEVRIN_XVFB_PID=
start_xvfb_if_needed() {
    [ -n "${DISPLAY:-}" ] && return 0
    command -v Xvfb >/dev/null || die "Xvfb is not installed; run scripts/setup"
    local n
    for n in $(seq 90 140); do
        [ -e "/tmp/.X$n-lock" ] || [ -e "/tmp/.X11-unix/X$n" ] && continue
        Xvfb ":$n" -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
        TEVRIN_XVFB_PID=$!
        local i
        for i in $(seq 1 100); do
            if [ -S "/tmp/.X11-unix/X$n" ]; then
                export DISPLAY=":$n"
                return 0
            fi
            kill -0 "$TEVRIN_XVFB_PID" 2>/dev/null || break
            sleep 0.1
        done
        kill "$TEVRIN_XVFB_PID" 2>/dev/null
        wait "$TEVRIN_XVFB_PID" 2>/dev/null
        TEVRIN_XVFB_PID=
    done
    die "could not start Xvfb"
}

# When this script started Xvfb: waits for the prefix's Wine processes to end (they
# draw on that display), then stops Xvfb.
stop_wine_and_xvfb() {
    [ -n "$TEVRIN_XVFB_PID" ] || return 0
    if [ -n "${WINESERVER:-}" ] && [ -x "$WINESERVER" ] && [ -d "${WINEPREFIX:-/nonexistent}" ]; then
        # Programs left running (a crashed test's application) would keep the server alive.
        timeout 30 "$WINESERVER" -w 2>/dev/null || "$WINESERVER" -k 2>/dev/null
    fi
    if [ -n "$TEVRIN_XVFB_PID" ]; then
        kill "$TEVRIN_XVFB_PID" 2>/dev/null
        wait "$TEVRIN_XVFB_PID" 2>/dev/null
        TEVRIN_XVFB_PID=
    fi
}

# Creates the prefix on first use and registers the built components whenever they
# are newer than the last registration. Serialised: tests may start in parallel.
prepare_prefix() {
    local dist="$TEVRIN_BUILD_DIR/dist"
    mkdir -p "$TEVRIN_BUILD_DIR"
    (
        flock 9
        if [ ! -f "$WINEPREFIX/system.reg" ]; then
            echo "wine-run: creating the Wine prefix $WINEPREFIX" >&2
            "$WINELOADER" wineboot -i >/dev/null 2>&1 || true
            "$WINESERVER" -w
            [ -f "$WINEPREFIX/system.reg" ] || { echo "wine-run: wineboot failed" >&2; exit 1; }
        fi
        # A crashing program ends at once with a failure: Wine's default crash debugger
        # (winedbg --auto) can hang on a loaded machine until ctest's time-out.
        if [ ! -f "$WINEPREFIX/.tevrin-no-crash-debugger" ]; then
            local aedebug='HKLM\Software\Microsoft\Windows NT\CurrentVersion\AeDebug'
            "$WINELOADER" reg add "$aedebug" /v Debugger /t REG_SZ /d 'cmd.exe /c exit 1 %ld %ld' /f >/dev/null 2>&1 &&
                "$WINELOADER" reg add "$aedebug" /v Auto /t REG_SZ /d 1 /f >/dev/null 2>&1 &&
                touch "$WINEPREFIX/.tevrin-no-crash-debugger"
        fi
        # The release registered as its installer registers it, and nothing more: Tevrin
        # finds its own debug services and engine beside itself. Every component newer than
        # the last registration, judged before any is registered.
        local stamp="$WINEPREFIX/.tevrin-registered" dll pending=()
        for dll in "$dist/wrappers.dll"; do
            [ -f "$dll" ] || continue
            [ -f "$stamp" ] && [ ! "$dll" -nt "$stamp" ] && continue
            pending+=("$dll")
        done
        [ ${#pending[@]} -gt 0 ] && touch "$stamp.next"
        for dll in "${pending[@]}"; do
            # A Windows path: the loader then finds the DLL's own imports (ostrel.dll) beside it.
            "$WINELOADER" regsvr32 /s "Z:${dll//\//\\}" >/dev/null 2>&1 ||
                { rm -f "$stamp.next"; echo "wine-run: regsvr32 $dll failed" >&2; exit 1; }
        done
        [ -f "$stamp.next" ] && mv "$stamp.next" "$stamp"
        exit 0
    ) 9>"$TEVRIN_BUILD_DIR/.wineprefix.lock"
}
