#!/usr/bin/env bash
# Runs a command inside a new, isolated network namespace, so that broadcasts
# (discovery, network setup) and the simulated boards' addresses never reach
# the real network.
#
# Usage: scripts/netns-run.sh [--console ADDR/PREFIX] [--boards "ADDR ..."] [--] command [args...]
#
# Inside: loopback up and a veth pair, both ends in the namespace:
#   velora0  the console side, 192.168.1.10/24 by default
#   velora1  the boards' side, holding every board address (default: the demo
#            plant's 192.168.1.20-25 and the factory address 192.168.1.100)
# plus a route for the limited broadcast 255.255.255.255 out of velora0, so a
# broadcast sent from the console-side address reaches the boards' listeners.
# The namespace has no other interface and no route out. As root it uses
# `unshare -n`; otherwise `unshare -rn` (a user namespace of its own).
# Exit status: the command's; 77 when the machine refuses namespaces.
set -euo pipefail

CONSOLE="192.168.1.10/24"
BOARDS="192.168.1.20 192.168.1.21 192.168.1.22 192.168.1.23 192.168.1.24 192.168.1.25 192.168.1.100"
while [ $# -gt 0 ]; do
    case "$1" in
    --console) CONSOLE="$2"; shift 2 ;;
    --boards) BOARDS="$2"; shift 2 ;;
    --) shift; break ;;
    *) break ;;
    esac
done
if [ $# -eq 0 ]; then
    echo "usage: $0 [--console ADDR/PREFIX] [--boards \"ADDR ...\"] [--] command [args...]" >&2
    exit 2
fi

if [ "${VELORA_NETNS_INSIDE:-}" != "1" ]; then
    if [ "$(id -u)" -eq 0 ]; then
        UNSHARE=(unshare -n)
    else
        UNSHARE=(unshare -rn)
    fi
    if ! "${UNSHARE[@]}" true 2>/dev/null; then
        echo "netns-run: this machine refuses network namespaces (${UNSHARE[*]} failed)" >&2
        exit 77
    fi
    export VELORA_NETNS_INSIDE=1
    exec "${UNSHARE[@]}" -- "$0" --console "$CONSOLE" --boards "$BOARDS" -- "$@"
fi

# Now inside the new namespace.
unset VELORA_NETNS_INSIDE
PREFIX="${CONSOLE#*/}"
ip link set lo up
# The peer is made first, so the console side is the first interface offered.
if ! ip link add velora1 type veth peer name velora0; then
    echo "netns-run: cannot create a veth pair in the namespace" >&2
    exit 77
fi
ip addr add "$CONSOLE" dev velora0
for a in $BOARDS; do
    ip addr add "$a/$PREFIX" dev velora1
done
# Both ends are local: accept packets whose source is one of our own addresses.
for f in all/rp_filter velora0/rp_filter velora1/rp_filter; do
    echo 0 >"/proc/sys/net/ipv4/conf/$f" 2>/dev/null || true
done
for f in all/accept_local velora0/accept_local velora1/accept_local; do
    echo 1 >"/proc/sys/net/ipv4/conf/$f" 2>/dev/null || true
done
ip link set velora0 up
ip link set velora1 up
ip route add 255.255.255.255/32 dev velora0 src "${CONSOLE%/*}"
exec "$@"
