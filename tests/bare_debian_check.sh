#!/usr/bin/env bash
# Runs the README's two commands as a newcomer would, each in a fresh,
# minimal Debian 12 root (debootstrap --variant=minbase bookworm) that has
# nothing but apt: a clone of this checkout's HEAD, and ../shared beside
# it where it is there. Prints how long each took. Needs root, debootstrap
# and the network to Debian's mirror and the npm registry; it is not part
# of the test suite.
#
#   bash tests/bare_debian_check.sh [examples|suite|both]
#
# BARE_BASE (default /var/tmp/bare-debian-base) keeps the debootstrapped
# root between runs; each command gets its own copy of it, under
# BARE_WORK (default /var/tmp/bare-debian-runs), removed afterwards unless
# BARE_KEEP=1. BARE_MIRROR names the mirror; by default it is the first
# Debian URI of this machine's apt sources, and without one the check
# stops.
set -eu
what=${1:-both}
case "$what" in examples|suite|both) ;; *) echo "Usage: bash tests/bare_debian_check.sh [examples|suite|both]"; exit 1 ;; esac
[ "$(id -u)" -eq 0 ] || { echo "The bare root check needs root (debootstrap, chroot and mounts)."; exit 1; }
command -v debootstrap >/dev/null || { echo "The bare root check needs debootstrap (apt-get install debootstrap)."; exit 1; }

top=$(cd "$(dirname "$0")/.." && pwd)
base=${BARE_BASE:-/var/tmp/bare-debian-base}
work=${BARE_WORK:-/var/tmp/bare-debian-runs}
# The first mirror of this machine's apt sources, in either form: "URIs:"
# lines of *.sources files or "deb URI suite" lines of *.list files.
apt_mirror() {
    { grep -hos '^URIs: *[^ ]*' /etc/apt/sources.list.d/*.sources | sed 's/^URIs: *//'
      grep -hos '^deb \(\[[^]]*\] \)\?[^ ]*' /etc/apt/sources.list /etc/apt/sources.list.d/*.list |
          sed 's/^deb \(\[[^]]*\] \)\?//'
    } | grep -v security | head -1
}
mirror=${BARE_MIRROR:-$(apt_mirror)}
[ -n "$mirror" ] || { echo "No Debian mirror in this machine's apt sources: name one in BARE_MIRROR."; exit 1; }

if [ ! -x "$base/bin/bash" ]; then
    echo "== debootstrap --variant=minbase bookworm $base ($mirror)"
    rm -rf "$base"
    debootstrap --variant=minbase bookworm "$base" "$mirror" >/dev/null
fi

root=""
# Processes the command left running in the root (Wine's server lingers a
# few seconds after its last program) would keep the bound /dev busy.
end_processes() {
    local process ended=0
    for process in /proc/[0-9]*; do
        if [ "$(readlink "$process/root" 2>/dev/null)" = "$root" ]; then
            kill "${process#/proc/}" 2>/dev/null && ended=1
        fi
    done
    [ "$ended" = 0 ] || sleep 2
}
unmount() {
    [ -n "$root" ] || return 0
    end_processes
    umount -R "$root/dev" 2>/dev/null || true
    umount "$root/proc" "$root/sys" 2>/dev/null || true
}
trap unmount EXIT

# Removes a run's root, never while anything is still mounted inside it
# (a bound /dev would go with it).
remove_root() {
    if grep -q " $1/" /proc/mounts; then
        echo "Still mounted inside $1; left in place."
        return 1
    fi
    rm -rf "$1"
}

# One command in a fresh copy of the base root; returns its exit code.
run_in_bare_root() {
    local name=$1 command=$2
    root="$work/$name"
    unmount
    remove_root "$root"
    mkdir -p "$work"
    cp -a "$base" "$root"
    cp /etc/resolv.conf "$root/etc/"
    # debootstrap writes only the release's main suite; an installed
    # Debian 12 also has its security and point-release updates (the
    # browsers the page is tested in come from there).
    local uri=${mirror%/debian}
    printf '%s\n' "deb $mirror bookworm main" "deb $mirror bookworm-updates main" \
        "deb $uri/debian-security bookworm-security main" > "$root/etc/apt/sources.list"
    # npm reaches its registry through this machine's certificate trust.
    [ -f /etc/ssl/certs/ca-certificates.crt ] &&
        mkdir -p "$root/etc/ssl/certs" && cp /etc/ssl/certs/ca-certificates.crt "$root/etc/ssl/certs/host-ca.crt"
    mkdir -p "$root/home/user"
    git clone -q "$top" "$root/home/user/main"
    [ -d "$top/../shared" ] && cp -a "$top/../shared" "$root/home/user/shared"
    mount --bind /proc "$root/proc"
    mount --rbind /dev "$root/dev"
    mount --make-rslave "$root/dev"
    mount --bind /sys "$root/sys"
    local start=$SECONDS code=0
    echo "== $name: $command (log: $work/$name.log)"
    chroot "$root" /usr/bin/env -i HOME=/root PATH=/usr/local/sbin:/usr/local/bin:/usr/sbin:/usr/bin:/sbin:/bin \
        LANG=C.UTF-8 NODE_EXTRA_CA_CERTS=/etc/ssl/certs/host-ca.crt \
        bash -c "cd /home/user/main && $command" >"$work/$name.log" 2>&1 || code=$?
    local took=$((SECONDS - start))
    echo "== $name: exit $code after $((took / 60)) min $((took % 60)) s"
    tail -n 5 "$work/$name.log"
    unmount
    [ "${BARE_KEEP:-0}" = 1 ] || remove_root "$root" || true
    root=""
    return "$code"
}

status=0
if [ "$what" != suite ]; then
    run_in_bare_root examples 'bash examples/run.sh && ls build/examples/*.rt2 build/examples/drive.gpx.svg build/examples/drive-gpx-route.gpx' || status=1
fi
if [ "$what" != examples ]; then
    run_in_bare_root suite 'bash tests/run_all.sh' || status=1
fi
exit "$status"
