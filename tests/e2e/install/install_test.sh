#!/bin/bash
# Installs Tevrin as a user does, into brand-new Wine prefixes that nothing else touched,
# and checks what the user sees.
#   install_test.sh setup     the installer of the tested bitness: silent install, the demo
#                             in the installed Tevrin.exe, Wine's own cscript.exe creating the
#                             wrappers, a breakpoint and a step in the installed window, then
#                             silent uninstall back to the registry and Program Files of before
#   install_test.sh portable  the zip: unzipped into a fresh prefix, the demo runs, no other step
#   install_test.sh faults    installing twice, over an older version, uninstalling while
#                             Tevrin runs
# Each mode has its own prefix in build/install-test/<mode>. Exit code 77 (ctest: skipped)
# when the package it needs was not built.
set -u
here=$(cd "$(dirname "$0")" && pwd)
source "$here/../../../scripts/lib/env.sh"

mode=${1:-}
case "$mode" in
    setup|portable|faults) ;;
    *) die "usage: install_test.sh setup|portable|faults" ;;
esac

arch=$(tevrin_arch)
if [ "$arch" = x86_64 ]; then target=win64; else target=win32; fi
version=$(sed -n 's/^project(Tevrin VERSION \([0-9][0-9.]*\).*/\1/p' "$TEVRIN_ROOT/CMakeLists.txt" | head -n 1)
packages="$TEVRIN_BUILD_DIR/packages"
setup_exe="$packages/Tevrin-$version-$target-setup.exe"
zip="$packages/Tevrin-$version-$target.zip"
work="$TEVRIN_BUILD_DIR/install-test/$mode"

need() {
    if [ ! -f "$1" ]; then
        echo "SKIPPED: $(basename "$1") was not built (scripts/setup makes it in build/packages)"
        exit 77
    fi
}
if [ "$mode" = portable ]; then need "$zip"; else need "$setup_exe"; fi

wine_env "$arch"
export WINEPREFIX="$work/prefix"
start_xvfb_if_needed
cleanup() {
    # Only this test's prefix: its server ends every program the test left running.
    [ -d "$WINEPREFIX" ] && "$WINESERVER" -k 2>/dev/null
    stop_wine_and_xvfb
}
trap cleanup EXIT
trap 'exit 130' INT TERM

failures=0
pass() { echo "ok: $*"; }
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }
check() {   # check <description> <command...>
    local what=$1; shift
    if "$@"; then pass "$what"; else fail "$what"; fi
}

win() {     # Windows path of a Linux path (drive Z: is the root)
    local p=$1
    echo "Z:${p//\//\\}"
}

# Runs a Windows program in the test's prefix with a time limit; output on stdout
# without carriage returns, exit code as the program's.
run() {
    local limit=$1; shift
    timeout "$limit" "$WINELOADER" "$@" 2>/dev/null | tr -d '\r'
    return "${PIPESTATUS[0]}"
}

# Waits until every program of the prefix has ended and its server with them (an
# uninstaller goes on in a copy of itself after the program started has ended).
settle() {
    timeout 120 "$WINESERVER" -w || fail "the prefix's programs did not end within 120 s"
}

# True while a process of this prefix (not another one's) has a command line matching
# the extended regular expression $1. Wine's tasklist lists nothing, so /proc is read.
prefix_runs() {
    local pid
    for pid in $(pgrep -f -- "$1"); do
        tr '\0' '\n' 2>/dev/null < "/proc/$pid/environ" | grep -qxF "WINEPREFIX=$WINEPREFIX" && return 0
    done
    return 1
}

# Runs a Windows command line as it is, through a batch file: wine would quote an
# argument with spaces, and an uninstaller's _?= must not be quoted.
run_raw() {
    local limit=$1 line=$2
    printf '@%s\r\n@exit /b %%errorlevel%%\r\n' "$line" > "$work/raw.cmd"
    run "$limit" cmd.exe /c "$(win "$work/raw.cmd")"
}

fresh_prefix() {
    rm -rf "$work"
    mkdir -p "$work"
    echo "creating a fresh prefix in $WINEPREFIX"
    timeout 300 "$WINELOADER" wineboot -i >/dev/null 2>&1
    settle
    [ -f "$WINEPREFIX/system.reg" ] || { echo "FAIL: wineboot made no prefix"; exit 1; }
}

install_dir="C:\\Program Files\\Tevrin"
start_menu="$WINEPREFIX/drive_c/ProgramData/Microsoft/Windows/Start Menu/Programs/Tevrin"
uninst_key='HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\Tevrin'
settings_key='HKCU\Software\Norwend\Tevrin'

# --- Snapshots --------------------------------------------------------------------------

# The registry as sorted lines "[key]" and "[key] value=data", read from the prefix's
# files while its server is down; key time stamps left out.
registry_lines() {
    local hive
    for hive in system user; do
        awk -v hive="$hive" '
            /^\[/ { key = $0; sub(/\] [0-9]+$/, "]", key); print hive " " key; next }
            /^#time=/ || /^;;/ || /^WINE REGISTRY/ || /^#arch=/ || /^$/ { next }
            {
                line = $0
                while (line ~ /\\$/ && (getline more) > 0) { sub(/\\$/, "", line); sub(/^ +/, "", more); line = line more }
                print hive " " key " " line
            }' "$WINEPREFIX/$hive.reg"
    done | LC_ALL=C sort
}

# Everything below Program Files and the shared Start menu, one path a line.
file_lines() {
    local dir
    for dir in "$WINEPREFIX/drive_c/Program Files" "$WINEPREFIX/drive_c/Program Files (x86)" \
               "$WINEPREFIX/drive_c/ProgramData/Microsoft/Windows/Start Menu"; do
        [ -d "$dir" ] && find "$dir" -mindepth 1 -printf "${dir#$WINEPREFIX/drive_c/}/%P\n"
    done | LC_ALL=C sort
}

snapshot() {    # snapshot <name>: $work/<name>.reg and $work/<name>.files
    settle
    registry_lines > "$work/$1.reg"
    file_lines > "$work/$1.files"
}

# Keys whose lines differ between two snapshots, one "hive [key]" a line.
changed_keys() {
    LC_ALL=C comm -3 "$work/$1.reg" "$work/$2.reg" | sed 's/^\t//' |
        sed -n 's/^\(\(system\|user\) \[[^]]*\]\).*/\1/p' | LC_ALL=C sort -u
}

# A session that installs nothing: Wine starts its services and, for the window of a
# message box that closes itself, its desktop; and, as Windows does at a restart, it
# carries out the file operations left for it (an uninstaller's temporary copy is
# deleted then).
# In a 64-bit prefix the 32-bit script host runs too: its first run registers its own
# type library, which is the host's doing, not the installer's.
quiet_session() {
    printf 'CreateObject("WScript.Shell").Popup "quiet session", 1\r\n' > "$work/session.vbs"
    local host
    for host in "${script_hosts[@]}"; do
        run 60 "$host" //nologo "$(win "$work/session.vbs")" >/dev/null
    done
    settle
}
if [ "$target" = win64 ]; then
    script_hosts=('C:\windows\system32\cscript.exe' 'C:\windows\syswow64\cscript.exe')
else
    script_hosts=('C:\windows\system32\cscript.exe')
fi

# Wine rewrites some keys by itself (device maps, the display adapter's date, network
# cards). They are found by diffing snapshots around sessions that install nothing, and
# left out of every comparison.
learn_volatile_keys() {
    snapshot quiet-0
    quiet_session
    snapshot quiet-1
    quiet_session
    snapshot quiet-2
    { changed_keys quiet-0 quiet-1; changed_keys quiet-1 quiet-2; } | LC_ALL=C sort -u > "$work/volatile-keys"
    echo "keys Wine changed by itself: $(wc -l < "$work/volatile-keys")"
}

# Lines of a registry snapshot minus the volatile keys and the user's own (Tevrin's
# window saves its settings when it closes; check_settings_kept pins down that install
# and uninstall leave them alone).
comparable() {
    LC_ALL=C grep -v -F -f "$work/volatile-keys" "$work/$1.reg" | LC_ALL=C grep -v -F -f <(users_own) || true
}
# What a user's own work leaves: Tevrin's settings, and the shell's record of the folders
# the Open dialog showed (the window test opens a script through it).
users_own() {
    printf '%s\n' 'user [Software\\Norwend\\Tevrin' \
        'user [Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\ComDlg32' \
        'user [Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Advanced]'
}

# Fails unless the registry and the files match those of snapshot $1 after a restart.
same_as() {
    local before=$1 after="after-$1-$((++snapshots))"
    quiet_session
    snapshot "$after"
    local reg files
    reg=$(diff <(comparable "$before") <(comparable "$after"))
    files=$(diff "$work/$before.files" "$work/$after.files")
    check "the registry (HKLM and HKCU) is as before" [ -z "$reg" ]
    [ -z "$reg" ] || echo "$reg" | head -n 40
    check "Program Files and the Start menu are as before" [ -z "$files" ]
    [ -z "$files" ] || echo "$files" | head -n 40
}
snapshots=0

# --- What an install gives --------------------------------------------------------------

# reg_value <key> <value> [/reg:32|/reg:64]: the data, or nothing. (Default) names the
# key's default value.
reg_value() {
    local which=(/v "$2")
    [ "$2" = '(Default)' ] && which=(/ve)
    run 60 reg.exe query "$1" "${which[@]}" ${3:+"$3"} 2>/dev/null |
        sed -n "s/^ *$2 *REG_[A-Z_]* *//p" | head -n 1
}

# True when Wrappers.WNDWrapper's class names the DLL $1 in registry view $2 (/reg:32,
# /reg:64 or nothing). Program identifiers are shared by both views, classes are not.
wrappers_registered() {
    local clsid
    clsid=$(reg_value 'HKCR\Wrappers.WNDWrapper\CLSID' '(Default)')
    [ -n "$clsid" ] && [ "$(reg_value "HKCR\\CLSID\\$clsid\\InprocServer32" '(Default)' ${2:+"$2"})" = "$1" ]
}

# The Linux path of a path on the prefix's drive C:.
unix_of() {
    local p=${1#C:\\}
    echo "$WINEPREFIX/drive_c/${p//\\//}"
}

check_installed() {     # check_installed <version> [<folder>]
    local v=$1 folder=${2:-$install_dir} dir f
    dir=$(unix_of "$folder")
    local files=(Tevrin.exe wrappers.dll ostrel.dll debugservices.dll stepscript.dll
                 languages.ini tagclass.ini Tevrin.chm Uninstall.exe)
    local missing=()
    for f in "${files[@]}"; do [ -f "$dir/$f" ] || missing+=("$f"); done
    if [ "$target" = win64 ]; then
        for f in "${files[@]}"; do
            [ "$f" = Uninstall.exe ] || [ -f "$dir/x86/$f" ] || missing+=("x86/$f")
        done
    fi
    check "the release files are in $folder${missing:+ (missing: ${missing[*]})}" [ ${#missing[@]} -eq 0 ]

    check "DisplayName is Tevrin" [ "$(reg_value "$uninst_key" DisplayName)" = Tevrin ]
    check "DisplayVersion is $v" [ "$(reg_value "$uninst_key" DisplayVersion)" = "$v" ]
    check "Publisher is Norwend" [ "$(reg_value "$uninst_key" Publisher)" = Norwend ]
    check "InstallLocation names the folder" [ "$(reg_value "$uninst_key" InstallLocation)" = "$folder" ]
    check "UninstallString names the uninstaller" \
        [ "$(reg_value "$uninst_key" UninstallString)" = "\"$folder\\Uninstall.exe\"" ]
    check "QuietUninstallString adds /S" \
        [ "$(reg_value "$uninst_key" QuietUninstallString)" = "\"$folder\\Uninstall.exe\" /S" ]
    local size
    size=$(reg_value "$uninst_key" EstimatedSize)
    check "EstimatedSize ($size) is the size in KB" [ "$((${size:-0}))" -gt 100 ]

    local links=("Tevrin.lnk" "Tevrin Help.lnk" "Uninstall Tevrin.lnk")
    [ "$target" = win64 ] && links+=("Tevrin (32-bit).lnk")
    missing=()
    for f in "${links[@]}"; do [ -f "$start_menu/$f" ] || missing+=("$f"); done
    check "the Start menu holds Tevrin's shortcuts${missing:+ (missing: ${missing[*]})}" [ ${#missing[@]} -eq 0 ]

    if [ "$target" = win64 ]; then
        check "the 64-bit view has Wrappers.WNDWrapper in $folder" wrappers_registered "$folder\\wrappers.dll" /reg:64
        check "the 32-bit view has Wrappers.WNDWrapper in $folder\\x86" \
            wrappers_registered "$folder\\x86\\wrappers.dll" /reg:32
    else
        check "Wrappers.WNDWrapper is registered in $folder" wrappers_registered "$folder\\wrappers.dll"
    fi
}

# Runs examples/demo.vbs in the Tevrin.exe at Windows path $1 and checks the README's lines.
check_demo() {
    local exe=$1 out rc
    local script
    script=$(win "$TEVRIN_ROOT/examples/demo.vbs")
    local shown
    shown=$(echo "$script" | tr 'A-Z' 'a-z')
    out=$(timeout 300 "$WINELOADER" "$exe" "$script" 2>"$work/demo.err" | tr -d '\r'; exit "${PIPESTATUS[0]}")
    rc=$?
    local expected
    expected=$(printf '%s\n' \
        "Info: $shown (10): Notepad started" \
        "Info: $shown (17): Notepad read back: Hello from Tevrin" \
        "Info: $shown (24): Notepad closed" \
        "Info: Script ended with no errors.")
    if [ $rc -eq 0 ] && [ "$out" = "$expected" ]; then
        pass "$exe runs the demo"
    else
        fail "$exe runs the demo (exit code $rc); it printed:"
        echo "$out" | head -n 20
        tr -d '\r' < "$work/demo.err" | head -n 20
    fi
}

# In the window of the Tevrin.exe at Windows path $1, driven from outside through the
# wrappers: a breakpoint on a script's first line stops the run, Step Over runs one
# statement, Go runs to the end.
check_debugging() {
    local exe=$1 out rc expected missing=()
    printf 'Env.LogInfo "before"\r\nEnv.LogInfo "after"\r\n' > "$WINEPREFIX/drive_c/users/Public/debugged.vbs"
    # Into a file, not a pipe: a window left open would hold a pipe open.
    timeout 300 "$WINELOADER" "${script_hosts[0]}" //nologo \
        "$(win "$TEVRIN_ROOT/tests/e2e/frame/scripts/debugtevrin.vbs")" "$exe" 'C:\users\Public\debugged.vbs' \
        > "$work/debugging.out" 2>/dev/null
    rc=$?
    out=$(tr -d '\r' < "$work/debugging.out")
    # File > Exit does not always close the window under Wine: close it as a user would,
    # then end it.
    local i
    for i in $(seq 1 40); do
        prefix_runs 'Tevrin\.exe' || break
        [ $i = 1 ] && run 30 taskkill.exe /im Tevrin.exe >/dev/null
        [ $i = 20 ] && run 30 taskkill.exe /f /im Tevrin.exe >/dev/null
        sleep 0.5
    done
    for expected in "opened=True" "stopped=True" "before at break=False" "stepped=True" "still at break=True" \
                    "after at step=False" "ended=True" "after at end=True"; do
        grep -qxF "$expected" <<< "$out" || missing+=("$expected")
    done
    if [ $rc -eq 0 ] && [ ${#missing[@]} -eq 0 ]; then
        pass "a run in $exe's window stops at a breakpoint and steps"
    else
        fail "a run in $exe's window stops at a breakpoint and steps (exit code $rc, missing: ${missing[*]}); it printed:"
        echo "$out" | head -n 20
    fi
    rm -f "$WINEPREFIX/drive_c/users/Public/debugged.vbs"
}

# Wine's cscript.exe (at Windows path $1) drives Notepad through the registered wrappers.
check_cscript() {
    local host=$1 out rc
    out=$(run 180 "$host" //nologo "$(win "$here/notepad.vbs")")
    rc=$?
    if [ $rc -eq 0 ] && [ "$out" = "read back: Hello from cscript" ]; then
        pass "$host creates Wrappers.WNDWrapper and reads Notepad's text"
    else
        fail "$host creates Wrappers.WNDWrapper and reads Notepad's text (exit code $rc); it printed:"
        echo "$out" | head -n 20
    fi
}

silent_install() {      # silent_install <setup.exe> [more arguments]: exit code
    local exe=$1; shift
    run 300 "$(win "$exe")" /S "$@" >/dev/null
}

silent_uninstall() {
    run 300 "$install_dir\\Uninstall.exe" /S >/dev/null
    local rc=$?
    settle
    return $rc
}

# The user's own settings, written before any install: no install or uninstall touches them.
seed_settings() {
    run 60 reg.exe add "$settings_key" /v InstallTestMarker /d "the user's own" /f >/dev/null
}
check_settings_kept() {
    check "the user's settings ($settings_key) are kept" \
        [ "$(reg_value "$settings_key" InstallTestMarker)" = "the user's own" ]
}

# --- The modes --------------------------------------------------------------------------

test_setup() {
    fresh_prefix
    learn_volatile_keys
    seed_settings
    snapshot before

    silent_install "$setup_exe"
    check "the silent install ends with exit code 0" [ $? -eq 0 ]
    check_installed "$version"
    check_settings_kept

    check_demo "$install_dir\\Tevrin.exe"
    [ "$target" = win64 ] && check_demo "$install_dir\\x86\\Tevrin.exe"
    local host
    for host in "${script_hosts[@]}"; do check_cscript "$host"; done
    check_debugging "$install_dir\\Tevrin.exe"

    silent_uninstall
    check "the silent uninstall ends with exit code 0" [ $? -eq 0 ]
    check "the install folder is gone" [ ! -e "$(unix_of "$install_dir")" ]
    check "the uninstall entry is gone" [ -z "$(reg_value "$uninst_key" DisplayName)" ]
    check_settings_kept
    same_as before
}

test_portable() {
    fresh_prefix
    learn_volatile_keys
    snapshot before
    local folder="$WINEPREFIX/drive_c/users/Public/Downloads"
    mkdir -p "$folder"
    (cd "$folder" && cmake -E tar xf "$zip") || fail "unzipping $zip"
    local name
    name=$(basename "$zip" .zip)
    local exe="C:\\users\\Public\\Downloads\\$name\\Tevrin.exe"
    check_demo "$exe"

    # What the copy registered for itself goes with /unregister; the folder is the user's.
    run 120 "$exe" /unregister >/dev/null
    check "$exe /unregister ends with exit code 0" [ $? -eq 0 ]
    rm -rf "${folder:?}/$name"
    same_as before
}

test_faults() {
    fresh_prefix
    learn_volatile_keys
    seed_settings
    snapshot before

    # An older version in a folder of the user's choice; this version over it goes there.
    local older=0.0.1 elsewhere='C:\OldTevrin' rc
    [ "$version" != "$older" ] || older=0.0.0
    TEVRIN_SKIP_OTHER_ARCH= "$TEVRIN_ROOT/scripts/package" --version "$older" --out "$work/older" \
        --only "$target-setup" >/dev/null || fail "making the $older installer"
    silent_install "$work/older/Tevrin-$older-$target-setup.exe" "/D=$elsewhere"
    check "the older version installs into $elsewhere" [ $? -eq 0 ]
    check_installed "$older" "$elsewhere"
    silent_install "$setup_exe"
    check "installing over the older version ends with exit code 0" [ $? -eq 0 ]
    check_installed "$version" "$elsewhere"

    # /D= elsewhere moves the install: the earlier folder is uninstalled, one entry stays.
    run_raw 300 "\"$(win "$setup_exe")\" /S /D=$install_dir" >/dev/null
    check "installing into another folder ends with exit code 0" [ $? -eq 0 ]
    check_installed "$version"
    check "the earlier folder $elsewhere is gone" [ ! -e "$(unix_of "$elsewhere")" ]

    silent_install "$setup_exe"
    check "installing twice ends with exit code 0" [ $? -eq 0 ]
    check_installed "$version"
    # The 64-bit install holds the 32-bit Tevrin: the 32-bit setup leaves it alone.
    local setup32="$packages/Tevrin-$version-win32-setup.exe"
    if [ "$target" = win64 ] && [ -f "$setup32" ]; then
        silent_install "$setup32"
        rc=$?
        check "the win32 setup refuses beside the win64 install (exit code $rc)" [ $rc -ne 0 ]
        check "the 32-bit view holds no Tevrin entry" [ -z "$(reg_value "$uninst_key" DisplayName /reg:32)" ]
    fi
    check_settings_kept

    # Tevrin running from the install folder: the uninstaller says so and removes nothing.
    "$WINELOADER" "$install_dir\\Tevrin.exe" >/dev/null 2>&1 &
    local tevrin=$! i
    for i in $(seq 1 240); do
        prefix_runs 'Tevrin\.exe' && break
        sleep 0.25
    done
    run_raw 120 "\"$install_dir\\Uninstall.exe\" /S _?=$install_dir" >/dev/null
    rc=$?
    check "a silent uninstall while Tevrin runs fails (exit code $rc)" [ $rc -ne 0 ]
    check_installed "$version"
    # Interactive: a message box, then the same end.
    run_raw 120 "\"$install_dir\\Uninstall.exe\" _?=$install_dir" > /dev/null &
    local uninstaller=$! box=
    for i in $(seq 1 240); do
        box=$(xdotool search --onlyvisible --name '^Tevrin Uninstall$' 2>/dev/null | head -n 1)
        [ -n "$box" ] && break
        sleep 0.25
    done
    check "the interactive uninstaller shows a message" [ -n "$box" ]
    [ -n "$box" ] && xdotool key --window "$box" Return 2>/dev/null
    wait "$uninstaller"
    rc=$?
    check "the interactive uninstall while Tevrin runs fails (exit code $rc)" [ $rc -ne 0 ]
    check_installed "$version"
    # The same through the uninstall entry's command, which goes on in a temporary copy.
    run 120 "$install_dir\\Uninstall.exe" /S >/dev/null
    for i in $(seq 1 240); do
        prefix_runs '~nsu.*Un\.exe' || break
        sleep 0.25
    done
    check_installed "$version"
    # Setup refuses as well: it could not replace the running program's files.
    silent_install "$setup_exe"
    rc=$?
    check "installing while Tevrin runs fails (exit code $rc)" [ $rc -ne 0 ]
    check_installed "$version"

    run 60 taskkill.exe /f /im Tevrin.exe >/dev/null
    wait "$tevrin" 2>/dev/null
    silent_uninstall
    check "the uninstall after Tevrin ended succeeds" [ $? -eq 0 ]
    check_settings_kept
    same_as before
}

"test_$mode"
if [ $failures -gt 0 ]; then
    echo "$failures check(s) failed"
    exit 1
fi
echo "all checks passed"
