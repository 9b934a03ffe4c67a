#!/usr/bin/env bash
# The 32-bit Wine the Windows tests run the shipped (32-bit) executable in:
# a minimal i386 Debian root with Debian's own 32-bit Wine, kept outside the
# repository and reused between runs. 32-bit Wine is never installed on this
# machine itself, where it would break the 64-bit `wine` command.
#
#   i386-wine-root.sh probe         exit 0 if this kernel runs 32-bit x86 code;
#                                   else say so in one line and exit 1
#   i386-wine-root.sh ensure        make the root unless it is there and current
#   i386-wine-root.sh run CMD ARGS  run CMD inside the root
#
# The root is POKOMARU_I386_ROOT (default /var/cache/pokomaru-jigsaw/i386-root),
# made with debootstrap from the Debian mirror apt already uses
# (POKOMARU_I386_MIRROR overrides it). A stamp in the root names the version
# and the package list it was made with; when they change, it is made again.
#
# `run` makes its mounts (proc, sys, dev, /tmp with the X socket, and the
# folders in POKOMARU_I386_BINDS, colon-separated, each at its own path) in a
# private mount namespace: they vanish with the last process of the run, and
# nothing outside it ever sees them. Programs and files keep their paths, so
# Wine's drive Z: names the same files inside and out.
set -euo pipefail

root=${POKOMARU_I386_ROOT:-/var/cache/pokomaru-jigsaw/i386-root}
# Bump the version when the way the root is made changes.
stamp_text="pokomaru-jigsaw i386 root, version 1
suite: bookworm
packages: wine wine32 libgl1-mesa-dri x11-utils fonts-ipafont fonts-ipaexfont"
packages=(wine wine32 libgl1-mesa-dri x11-utils fonts-ipafont fonts-ipaexfont)
stamp=$root/etc/pokomaru-i386-root.stamp
# Every run holds this lock shared while it lives; the root is replaced only
# under it held alone, so a root in use (whose mounts other namespaces
# cannot see from here) is never removed.
lock=$root.lock
me=i386-wine-root.sh

say() { echo "$me: $*" >&2; }

# A 96-byte static i386 ELF program: exit(42) through int 0x80.
probe() {
    local dir probe_file rc
    dir=$(mktemp -d "${TMPDIR:-/tmp}/pokomaru-probe.XXXXXX")
    probe_file=$dir/probe
    printf '\177ELF\001\001\001\000\000\000\000\000\000\000\000\000' >"$probe_file"
    # e_type EXEC, e_machine 386, version, entry 0x08048054, phoff 52, shoff 0,
    # flags, ehsize 52, phentsize 32, phnum 1, no sections.
    printf '\002\000\003\000\001\000\000\000\124\200\004\010\064\000\000\000\000\000\000\000' >>"$probe_file"
    printf '\000\000\000\000\064\000\040\000\001\000\000\000\000\000\000\000' >>"$probe_file"
    # One PT_LOAD of the whole file at 0x08048000, read + execute.
    printf '\001\000\000\000\000\000\000\000\000\200\004\010\000\200\004\010' >>"$probe_file"
    printf '\140\000\000\000\140\000\000\000\005\000\000\000\000\020\000\000' >>"$probe_file"
    # mov eax, 1; mov ebx, 42; int 0x80
    printf '\270\001\000\000\000\273\052\000\000\000\315\200' >>"$probe_file"
    chmod +x "$probe_file"
    set +e
    "$probe_file" 2>/dev/null
    rc=$?
    set -e
    rm -rf "$dir"
    if [ "$rc" -ne 42 ]; then
        echo "this kernel runs no 32-bit code: the Windows tests run the 64-bit twin"
        return 1
    fi
}

# The Debian mirror of this machine's apt sources (one-line or deb822 form)
# that carries the bookworm suite itself.
find_mirror() {
    if [ -n "${POKOMARU_I386_MIRROR:-}" ]; then
        echo "$POKOMARU_I386_MIRROR"
        return
    fi
    local f
    for f in /etc/apt/sources.list /etc/apt/sources.list.d/*.list /etc/apt/sources.list.d/*.sources; do
        [ -f "$f" ] || continue
        case "$f" in
            *.sources)
                awk 'BEGIN { RS = ""; FS = "\n" }
                     { uris = ""; suites = ""; types = ""
                       for (i = 1; i <= NF; i++) {
                         if ($i ~ /^URIs:/) uris = substr($i, 6)
                         if ($i ~ /^Suites:/) suites = " " substr($i, 8) " "
                         if ($i ~ /^Types:/) types = " " substr($i, 7) " " }
                       if (types ~ / deb / && suites ~ /[ \t]bookworm[ \t]/) { split(uris, u, " "); print u[1] } }' "$f"
                ;;
            *)
                awk '{ line = $0; sub(/\[[^]]*\]/, "", line); n = split(line, w, " ")
                       if (w[1] == "deb" && w[3] == "bookworm") print w[2] }' "$f"
                ;;
        esac
    done | head -n 1
}

live_mounts() {
    awk -v r="$1" '$2 == r || index($2, r "/") == 1 { print $2 }' /proc/self/mounts
}

# Removes a root that is not in use (a half-made one, or an outdated one).
remove_root() {
    local dir=$1
    [ -e "$dir" ] || return 0
    if [ -n "$(live_mounts "$dir")" ]; then
        say "$dir has live mounts; leaving it alone: $(live_mounts "$dir" | tr '\n' ' ')"
        exit 1
    fi
    rm -rf --one-file-system "$dir"
}

# Runs a command in the root with the run's mounts, in a mount namespace of
# its own.
run_in_root() {
    local target=$1
    shift
    if [ "$target" = "$root" ]; then
        [ -e "$lock" ] || : >"$lock"
        exec 9<"$lock"
        flock -s 9
    fi
    local binds=/tmp
    [ -n "${POKOMARU_I386_BINDS:-}" ] && binds="$binds:$POKOMARU_I386_BINDS"
    export POKOMARU_I386_TARGET=$target POKOMARU_I386_BIND_LIST=$binds
    # Without root, a user namespace of its own (uid 0 inside) allows the
    # bind mounts and the chroot.
    local as_user=()
    [ "$(id -u)" -eq 0 ] || as_user=(--user --map-root-user)
    exec unshare "${as_user[@]}" --mount --propagation private -- bash -c '
        set -e
        r=$POKOMARU_I386_TARGET
        mount --rbind /proc "$r/proc"
        mount --rbind /sys "$r/sys"
        mount --rbind /dev "$r/dev"
        IFS=:
        for d in $POKOMARU_I386_BIND_LIST; do
            [ -n "$d" ] && [ -d "$d" ] || continue
            mkdir -p "$r$d"
            mount --rbind "$d" "$r$d"
        done
        unset IFS POKOMARU_I386_TARGET POKOMARU_I386_BIND_LIST
        export PATH=/usr/local/sbin:/usr/local/bin:/usr/sbin:/usr/bin:/sbin:/bin
        cwd=$PWD
        [ -d "$r$cwd" ] || cwd=/
        exec chroot "$r" /bin/sh -c "cd \"\$0\" && exec \"\$@\"" "$cwd" "$@"
    ' pokomaru-i386-run "$@"
}

ensure() {
    if [ -f "$stamp" ] && [ "$(cat "$stamp")" = "$stamp_text" ]; then
        return 0
    fi
    [ "$(id -u)" -eq 0 ] || { say "making the i386 root needs root (debootstrap, chroot)"; exit 1; }
    command -v debootstrap >/dev/null ||
        { say "debootstrap is not installed: scripts/install-deps.sh installs it"; exit 1; }
    command -v unshare >/dev/null || { say "unshare (util-linux) is missing"; exit 1; }
    local mirror
    mirror=$(find_mirror)
    [ -n "$mirror" ] ||
        { say "no Debian mirror for bookworm in /etc/apt/sources.list*: set POKOMARU_I386_MIRROR"; exit 1; }
    local parent free_kb
    parent=$(dirname "$root")
    mkdir -p "$parent" || { say "cannot make $parent"; exit 1; }
    free_kb=$(df -Pk "$parent" | awk 'NR == 2 { print $4 }')
    if [ "${free_kb:-0}" -lt $((4 * 1024 * 1024)) ]; then
        say "$parent has $((free_kb / 1024)) MB free; the i386 root needs about 4 GB"
        exit 1
    fi

    local started=$SECONDS new=$root.new
    say "making the i386 root for 32-bit Wine in $root from $mirror (a few minutes, about 3 GB; once)"
    remove_root "$new"
    if ! debootstrap --arch=i386 --variant=minbase bookworm "$new" "$mirror" >"$parent/debootstrap.log" 2>&1; then
        tail -n 20 "$parent/debootstrap.log" >&2
        say "debootstrap failed (log: $parent/debootstrap.log)"
        remove_root "$new"
        exit 1
    fi
    cp /etc/resolv.conf "$new/etc/resolv.conf" 2>/dev/null || true
    # No services start inside the root.
    printf '#!/bin/sh\nexit 101\n' >"$new/usr/sbin/policy-rc.d"
    chmod +x "$new/usr/sbin/policy-rc.d"
    if ! (POKOMARU_I386_BINDS="" DEBIAN_FRONTEND=noninteractive run_in_root "$new" \
            sh -c "apt-get update -qq && apt-get install -y -qq $(printf '%s ' "${packages[@]}")") \
            >"$parent/apt.log" 2>&1; then
        tail -n 20 "$parent/apt.log" >&2
        say "installing Wine inside the i386 root failed (log: $parent/apt.log)"
        remove_root "$new"
        exit 1
    fi
    (POKOMARU_I386_BINDS="" run_in_root "$new" apt-get clean) >/dev/null 2>&1 || true
    printf '%s\n' "$stamp_text" >"$new/etc/pokomaru-i386-root.stamp"
    exec 8>"$lock"
    flock -n -x 8 || { say "$root is in use by a running test; it stays until that ends"; remove_root "$new"; exit 1; }
    remove_root "$root"
    mv "$new" "$root"
    exec 8>&-
    say "i386 root ready in $((SECONDS - started)) s: $(du -sh --one-file-system "$root" | cut -f1)"
}

case "${1:-}" in
    probe) probe ;;
    ensure)
        # A current root is used as it is; a new one is made only where it can run.
        if ! { [ -f "$stamp" ] && [ "$(cat "$stamp")" = "$stamp_text" ]; }; then
            probe >&2 || exit 1
        fi
        ensure
        ;;
    run)
        shift
        [ $# -gt 0 ] || { say "usage: $me run CMD [ARGS...]"; exit 2; }
        [ -f "$stamp" ] || { say "no i386 root in $root: run '$me ensure' first"; exit 1; }
        run_in_root "$root" "$@"
        ;;
    *) say "usage: $me probe | ensure | run CMD [ARGS...]"; exit 2 ;;
esac
