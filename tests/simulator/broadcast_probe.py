"""Run inside the isolated namespace: starts plantsim with the demo plant,
broadcasts the discovery request and the configuration query from the
console-side address, and prints what comes back:
    REPLY <sender-ip> <address-text> <name> <kind>
    RECORD <sender-ip> <first-byte-hex> <mac-hex>
    DONE
Arguments: the plantsim program, the number of discovery replies and of
board records to wait for (collection stops when they are in, or after a
generous time limit).
"""
import socket
import struct
import subprocess
import sys
import time

CONSOLE = "192.168.1.10"
DISCOVERY = struct.pack("<HHHHIHH", 16, 1, 0, 1, 22, 0, 0) + b"**0100"
QUERY = struct.pack("<HHHHIHH", 17, 1, 0, 1, 22, 0, 0) + b"**0100"


def text(b):
    return b.split(b"\0", 1)[0].decode("latin-1") or "-"


def exchange(request, port, size, expected, seconds=20.0):
    s = socket.socket(socket.AF_INET, socket.SOCK_DGRAM)
    s.setsockopt(socket.SOL_SOCKET, socket.SO_REUSEADDR, 1)
    s.setsockopt(socket.SOL_SOCKET, socket.SO_BROADCAST, 1)
    s.bind((CONSOLE, 43034))
    s.sendto(request, ("255.255.255.255", port))
    replies = []
    deadline = time.monotonic() + seconds
    while len(replies) < expected and time.monotonic() < deadline:
        s.settimeout(max(0.05, deadline - time.monotonic()))
        try:
            data, sender = s.recvfrom(2048)
        except socket.timeout:
            break
        if len(data) == size:
            replies.append((data, sender))
    # A second reply from the same board would show now.
    s.settimeout(0.3)
    try:
        data, sender = s.recvfrom(2048)
        replies.append((data, sender))
    except socket.timeout:
        pass
    s.close()
    return replies


def main():
    sim = subprocess.Popen([sys.argv[1], "--no-ftp"], stdin=subprocess.PIPE, stdout=subprocess.PIPE, text=True)
    for line in sim.stdout:
        if line.startswith("READY") or line.startswith("ERROR"):
            print(line.strip(), flush=True)
            break
    for data, sender in exchange(DISCOVERY, 33000, 264, int(sys.argv[2])):
        print("REPLY %s %s %s %d" % (sender[0], text(data[120:140]), text(data[140:160]).replace(" ", "_"), data[160]),
              flush=True)
    for data, sender in exchange(QUERY, 34043, 788, int(sys.argv[3])):
        print("RECORD %s %02x %s" % (sender[0], data[0], data[2:8].hex()), flush=True)
    sim.stdin.write("quit\n")
    sim.stdin.flush()
    sim.wait(10)
    print("DONE", flush=True)


main()
