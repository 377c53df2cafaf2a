#!/bin/bash
# The README's two commands on a fresh machine: a clean Debian 12 root made
# with debootstrap, a clone of the current commit in it, and the two commands
# of the README's "Two commands for a fresh machine" run inside it, one after
# the other, exactly as written there.
#
#   bash scripts/fresh-machine.sh [LOG_DIR]
#
# Run by hand, as root (it mounts and chroots); not part of the test command.
# It prints each command's wall time and exit status and keeps the logs in
# LOG_DIR (by default build/fresh-machine). The root lives in a directory of
# its own under $FRESH_MACHINE_TMP (by default /var/tmp) and is unmounted and
# removed on every way out, a failure or Ctrl-C included; FRESH_MACHINE_KEEP=1
# keeps it (unmounted) for a look inside. The exit status is 0 when both
# commands succeeded.
set -euo pipefail
cd "$(dirname "$(readlink -f "$0")")/.."
repo=$PWD
logs=$(realpath -m -- "${1:-build/fresh-machine}")
mirror=${FRESH_MACHINE_MIRROR:-http://deb.debian.org/debian}

[ "$(id -u)" -eq 0 ] || { echo "fresh-machine: run as root (it mounts and chroots)" >&2; exit 2; }
commit=$(git rev-parse HEAD)
if [ -n "$(git status --porcelain --untracked-files=no)" ]; then
    echo "fresh-machine: uncommitted changes are not in the clone; it checks $commit as committed" >&2
fi

# The commands as the README writes them: the lines of the first sh block
# after the heading, comments cut off.
mapfile -t commands < <(awk '
    /^## Two commands for a fresh machine/ { section = 1; next }
    section && /^## / { exit }
    section && /^```sh/ { block = 1; next }
    block && /^```/ { exit }
    block { sub(/[ \t]+#.*$/, ""); if ($0 != "") print }
' README.md)
[ ${#commands[@]} -eq 2 ] || { echo "fresh-machine: README.md should hold two commands, found ${#commands[@]}" >&2; exit 2; }

if ! command -v debootstrap >/dev/null; then
    echo "fresh-machine: installing debootstrap"
    DEBIAN_FRONTEND=noninteractive apt-get install -y -q debootstrap </dev/null >/dev/null
fi

work=$(mktemp -d "${FRESH_MACHINE_TMP:-/var/tmp}/fresh-machine.XXXXXX")
root=$work/root
mounts=()

# Everything mounted in the root, innermost first, then the root itself.
cleanup() {
    local status=$? i p
    trap - EXIT INT TERM
    # Whatever still runs in the root (a wineserver, an Xvfb) ends first.
    for p in /proc/[0-9]*; do
        [ "$(readlink "$p/root" 2>/dev/null)" = "$root" ] && kill -9 "${p#/proc/}" 2>/dev/null
    done
    for ((i = ${#mounts[@]} - 1; i >= 0; i--)); do
        umount -l "${mounts[i]}" 2>/dev/null || true
    done
    if findmnt -rn -o TARGET | grep -q "^$root"; then
        echo "fresh-machine: something is still mounted under $root; it is left in place" >&2
    elif [ "${FRESH_MACHINE_KEEP:-0}" = 1 ]; then
        echo "fresh-machine: the root is kept in $root"
    else
        rm -rf --one-file-system -- "$work"
    fi
    exit "$status"
}
trap cleanup EXIT
trap 'exit 130' INT
trap 'exit 143' TERM

bind() {
    mkdir -p "$root$1"
    mount --rbind "$1" "$root$1"
    mount --make-rslave "$root$1"
    mounts+=("$root$1")
}

# The packages installed in the root.
count_packages() {
    # shellcheck disable=SC2016 # a dpkg-query format, not a shell expansion
    chroot "$root" dpkg-query -W -f='${db:Status-Status}\n' | grep -cx installed
}

mkdir -p "$logs"
echo "== A fresh Debian 12 root in $root"
t0=$SECONDS
debootstrap --variant=minbase bookworm "$root" "$mirror" >"$logs/debootstrap.log" 2>&1 ||
    { echo "fresh-machine: debootstrap failed (see $logs/debootstrap.log)" >&2; exit 1; }
before=$(count_packages)
echo "debootstrap: $((SECONDS - t0)) s, $before packages"

cp /etc/resolv.conf "$root/etc/resolv.conf"
for dir in /proc /sys /dev; do
    bind "$dir"
done
# /dev/pts comes with /dev's recursive bind; /tmp is the root's own.
mount -t tmpfs -o mode=1777 tmpfs "$root/tmp"
mounts+=("$root/tmp")

project=/root/demomb
git clone -q --no-hardlinks "$repo" "$root$project"
git -C "$root$project" checkout -q --detach "$commit"
echo "clone: $commit in $project"

results=()
status=0
n=0
for command in "${commands[@]}"; do
    n=$((n + 1))
    log=$logs/command-$n.log
    echo
    echo "== $command (log: $log)"
    t0=$SECONDS
    set +e
    chroot "$root" /usr/bin/env -i HOME=/root TERM="${TERM:-dumb}" \
        PATH=/usr/local/sbin:/usr/local/bin:/usr/sbin:/usr/bin:/sbin:/bin \
        /bin/bash -c "cd $project && $command" </dev/null >"$log" 2>&1
    code=$?
    set -e
    seconds=$((SECONDS - t0))
    tail -n 5 "$log" | sed 's/^/    /'
    results+=("$(printf '%-26s %5d s  exit %d' "$command" "$seconds" "$code")")
    [ "$code" -eq 0 ] || status=1
done

after=$(count_packages)
echo
echo "== Summary (commit $commit)"
printf '%s\n' "${results[@]}"
echo "packages: $before after debootstrap, $after at the end ($((after - before)) installed)"
echo "logs: $logs"
exit "$status"
