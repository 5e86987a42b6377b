#!/bin/bash
# scripts/setup's installation step against a fake apt: a partly failed update, a
# package that cannot be installed, and wine32:i386 missing on a machine that runs
# 32-bit programs. Needs no root: apt-get, dpkg, dpkg-query and sudo are fakes.
set -u
root=$(cd "$(dirname "$0")/../.." && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fails=0

mkdir -p "$work/bin"
# Installed packages are lines of $FAKE_APT/installed; packages named in
# $FAKE_APT/broken cannot be installed. Every call is logged.
cat > "$work/bin/apt-get" <<'FAKE'
#!/bin/bash
echo "apt-get $*" >> "$FAKE_APT/log"
if [ "$1" = update ]; then
    echo "E: Failed to fetch http://mirror/debian/dists/bookworm/main/i18n/Translation-en  File has unexpected size" >&2
    echo "E: Some index files failed to download. They have been ignored, or old ones used instead." >&2
    exit 100
fi
[ "$1" = install ] || exit 1
shift
dry=0; pkgs=()
for a in "$@"; do
    case "$a" in --dry-run) dry=1 ;; -*) ;; *) pkgs+=("$a") ;; esac
done
for p in "${pkgs[@]}"; do
    if grep -qx "$p" "$FAKE_APT/broken"; then
        echo "E: Unable to correct problems, you have held broken packages." >&2
        exit 100
    fi
done
[ $dry -eq 1 ] || printf '%s\n' "${pkgs[@]}" >> "$FAKE_APT/installed"
FAKE
cat > "$work/bin/dpkg-query" <<'FAKE'
#!/bin/bash
grep -qx "${@: -1}" "$FAKE_APT/installed" && printf 'install ok installed' && exit 0
exit 1
FAKE
cat > "$work/bin/dpkg" <<'FAKE'
#!/bin/bash
echo "dpkg $*" >> "$FAKE_APT/log"
[ "$1" = --print-foreign-architectures ] && [ -f "$FAKE_APT/i386" ] && echo i386
[ "$1" = --add-architecture ] && touch "$FAKE_APT/i386"
exit 0
FAKE
printf '#!/bin/bash\nexec "$@"\n' > "$work/bin/sudo"
chmod +x "$work/bin/"*

# Runs setup --no-build in a fresh state; $1 lists the broken packages, the rest are
# environment assignments. Leaves output in $out and the exit code in $rc.
run_setup() {
    local broken=$1; shift
    export FAKE_APT="$work/case$((++case_no))"
    mkdir -p "$FAKE_APT"
    : > "$FAKE_APT/installed"
    printf '%s\n' $broken > "$FAKE_APT/broken"
    out=$(env -u TEVRIN_ARCH PATH="$work/bin:$PATH" TEVRIN_BUILD_DIR="$FAKE_APT/build" "$@" \
          "$root/scripts/setup" --no-build 2>&1)
    rc=$?
}
case_no=0

check() {
    local what=$1; shift
    if ! "$@"; then
        echo "FAIL (case $case_no): $what"
        echo "$out" | sed 's/^/    /'
        fails=$((fails + 1))
    fi
}
installed() { grep -qx "$1" "$FAKE_APT/installed"; }
said() { grep -q -- "$1" <<< "$out"; }

# The update fails in part: setup goes on and installs everything.
run_setup "" TEVRIN_HOST_32BIT=0
check "setup succeeds after a partial update failure" [ $rc -eq 0 ]
check "the update ran" grep -qx "apt-get update -q" "$FAKE_APT/log"
check "it says the update failed in part" said "apt-get update failed in part"
check "the packages were installed" installed xdotool
check "64-bit Wine was installed" installed wine64

# One package cannot be installed: setup fails and names it, and only it.
run_setup "xdotool" TEVRIN_HOST_32BIT=0
check "setup fails when a package cannot be installed" [ $rc -ne 0 ]
check "the failing package is named" said "cannot install xdotool "
check "no installable package is blamed" bash -c '! grep -q "cannot install.*cmake" <<< "$0"' "$out"

# 32-bit host, wine32:i386 not installable: the tested build becomes 64-bit.
run_setup "wine32:i386" TEVRIN_HOST_32BIT=1
check "setup falls back instead of failing" [ $rc -eq 0 ]
check "one line says why" said "wine32:i386 cannot be installed here, so the tested build is the 64-bit one"
check "64-bit Wine was installed instead" installed wine64
check "wine32 was not installed" bash -c '! grep -qx "wine32:i386" "$0"' "$FAKE_APT/installed"
check "the i386 architecture was added for the attempt" grep -q "dpkg --add-architecture i386" "$FAKE_APT/log"
check "the build tree remembers the 64-bit choice" [ "$(cat "$FAKE_APT/build/tevrin-arch" 2>/dev/null)" = x86_64 ]

# 32-bit host with a working wine32: the 32-bit build is kept.
run_setup "" TEVRIN_HOST_32BIT=1
check "setup succeeds with wine32" [ $rc -eq 0 ]
check "wine32:i386 was installed" installed wine32:i386
check "no 64-bit Wine was needed" bash -c '! grep -qx wine64 "$0"' "$FAKE_APT/installed"

# TEVRIN_ARCH=i686 asked for explicitly: no fallback, the failure names wine32:i386.
run_setup "wine32:i386" TEVRIN_ARCH=i686
check "an explicit 32-bit choice fails" [ $rc -ne 0 ]
check "the failure names wine32:i386" said "cannot install wine32:i386"

# Everything installed already: neither update nor install runs.
run_setup "" TEVRIN_HOST_32BIT=0
: > "$FAKE_APT/log"
out=$(env -u TEVRIN_ARCH PATH="$work/bin:$PATH" TEVRIN_BUILD_DIR="$FAKE_APT/build" TEVRIN_HOST_32BIT=0 \
      "$root/scripts/setup" --no-build 2>&1); rc=$?
check "setup succeeds with everything present" [ $rc -eq 0 ]
check "apt is not called" bash -c '! grep -q apt-get "$0"' "$FAKE_APT/log"

[ $fails -eq 0 ] && echo "setup install tests passed ($case_no cases)"
exit $((fails > 0))
