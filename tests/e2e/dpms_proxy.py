#!/usr/bin/env python3
"""A stand-in for the X server's DPMS extension, for tests under Xvfb, which
has none: a proxy between X clients and the server that answers DPMS's
requests itself, from one power state that all its clients share, and passes
everything else on. `xset dpms force off` through it powers the pretend
monitor down; a program's DPMSInfo through it then says so.

Usage: dpms_proxy.py SERVER_DISPLAY
Takes the first free display number from 64 on (its lock file in /tmp, as an
X server's), prints it on a line of its own once clients may connect, and
serves until killed. Clients must speak least significant byte first, as
every client on this machine does; others pass through untouched, without
DPMS.
"""
import os
import signal
import socket
import struct
import sys
import threading
import time

# A major opcode no extension of Xvfb's takes.
DPMS_OPCODE = 250
QUERY_EXTENSION = 98
GET_INPUT_FOCUS = 43
NO_OPERATION = 127

# The pretend monitor: DPMS enabled or not, and its power level (0 on,
# 1 standby, 2 suspend, 3 off); the timeouts as set.
power = {"enabled": True, "level": 0, "timeouts": (600, 600, 600)}


def reply(sequence, body=b""):
    """A reply of 32 bytes to request SEQUENCE: BODY from its ninth byte on."""
    return struct.pack("<BBHI", 1, 0, sequence & 0xFFFF, 0) + body.ljust(24, b"\0")


def answer_dpms(minor, request):
    """What a DPMS request asks: the reply's bytes from the ninth on, or
    None when it has no reply. Power changes take effect here."""
    if minor == 0:  # GetVersion
        return struct.pack("<HH", 1, 1)
    if minor == 1:  # Capable
        return struct.pack("<B", 1)
    if minor == 2:  # GetTimeouts
        return struct.pack("<HHH", *power["timeouts"])
    if minor == 3:  # SetTimeouts
        power["timeouts"] = struct.unpack_from("<HHH", request, 4)
    elif minor == 4:  # Enable
        power["enabled"] = True
    elif minor == 5:  # Disable
        power["enabled"] = False
        power["level"] = 0
    elif minor == 6:  # ForceLevel
        power["level"] = struct.unpack_from("<H", request, 4)[0]
    elif minor == 7:  # Info
        return struct.pack("<HB", power["level"], 1 if power["enabled"] else 0)
    return None


class Connection:
    """One client's connection: its requests counted, the replies that the
    proxy writes itself waiting for their place in the server's stream."""

    def __init__(self, client, server):
        self.client = client
        self.server = server
        self.sequence = 0
        self.rewrites = {}
        self.lock = threading.Lock()

    def from_client(self):
        buffer = bytearray()
        passing = 0
        setup = True
        little = True
        while True:
            data = self.client.recv(65536)
            if not data:
                break
            buffer += data
            out = bytearray()
            while True:
                if passing:
                    count = min(passing, len(buffer))
                    out += buffer[:count]
                    del buffer[:count]
                    passing -= count
                    if passing:
                        break
                    continue
                if setup:
                    if len(buffer) < 12:
                        break
                    little = buffer[0] == ord("l")
                    names, data_length = struct.unpack_from("<HH" if little else ">HH", buffer, 6)
                    passing = 12 + (names + 3) // 4 * 4 + (data_length + 3) // 4 * 4
                    setup = False
                    continue
                if not little:
                    out += buffer
                    del buffer[:]
                    break
                if len(buffer) < 4:
                    break
                opcode, minor, length = struct.unpack_from("<BBH", buffer, 0)
                header = 4
                if length == 0:
                    if len(buffer) < 8:
                        break
                    length = struct.unpack_from("<I", buffer, 4)[0]
                    header = 8
                size = length * 4
                self.sequence += 1
                if opcode not in (QUERY_EXTENSION, DPMS_OPCODE):
                    out += buffer[:header]
                    del buffer[:header]
                    passing = size - header
                    continue
                if len(buffer) < size:
                    self.sequence -= 1
                    break
                request = bytes(buffer[:size])
                del buffer[:size]
                out += self.rewrite(opcode, minor, request)
            if out:
                self.server.sendall(out)
        self.server.shutdown(socket.SHUT_WR)

    def rewrite(self, opcode, minor, request):
        """The request to send the server in place of REQUEST: the same, or
        one that keeps the count of requests (and of replies) the same."""
        if opcode == QUERY_EXTENSION:
            name_length = struct.unpack_from("<H", request, 4)[0]
            if request[8 : 8 + name_length] == b"DPMS":
                with self.lock:
                    self.rewrites[self.sequence & 0xFFFF] = None
            return request
        body = answer_dpms(minor, request)
        if body is None:
            return struct.pack("<BBH", NO_OPERATION, 0, 1)
        with self.lock:
            self.rewrites[self.sequence & 0xFFFF] = body
        return struct.pack("<BBH", GET_INPUT_FOCUS, 0, 1)

    def from_server(self):
        buffer = bytearray()
        passing = 0
        setup = True
        while True:
            data = self.server.recv(65536)
            if not data:
                break
            buffer += data
            out = bytearray()
            while True:
                if passing:
                    count = min(passing, len(buffer))
                    out += buffer[:count]
                    del buffer[:count]
                    passing -= count
                    if passing:
                        break
                    continue
                if setup:
                    if len(buffer) < 8:
                        break
                    passing = 8 + struct.unpack_from("<H", buffer, 6)[0] * 4
                    setup = False
                    continue
                if len(buffer) < 32:
                    break
                kind = buffer[0] & 0x7F
                size = 32
                if kind in (1, 35):
                    size += struct.unpack_from("<I", buffer, 4)[0] * 4
                sequence = struct.unpack_from("<H", buffer, 2)[0]
                with self.lock:
                    rewritten = kind == 1 and sequence in self.rewrites
                    body = self.rewrites.pop(sequence, None) if rewritten else None
                if not rewritten:
                    out += buffer[:32]
                    del buffer[:32]
                    passing = size - 32
                    continue
                # The replies rewritten (GetInputFocus's, QueryExtension's)
                # are 32 bytes long, all in the buffer already.
                packet = bytes(buffer[:size])
                del buffer[:size]
                if body is None:
                    # QueryExtension of DPMS: present, at the proxy's opcode.
                    packet = packet[:8] + struct.pack("<BBBB", 1, DPMS_OPCODE, 0, 0) + packet[12:]
                else:
                    packet = reply(sequence, body)
                out += packet
            if out:
                self.client.sendall(out)
        self.client.shutdown(socket.SHUT_WR)


def serve(client, server_path):
    server = socket.socket(socket.AF_UNIX, socket.SOCK_STREAM)
    try:
        server.connect(server_path)
    except OSError:
        client.close()
        return
    connection = Connection(client, server)
    for direction in (connection.from_client, connection.from_server):
        threading.Thread(target=guarded, args=(direction,), daemon=True).start()


def guarded(direction):
    try:
        direction()
    except OSError:
        pass


def leave_with_parent(leave):
    """Ends the proxy once the test that started it has gone, however."""
    parent = os.getppid()
    while os.getppid() == parent:
        time.sleep(1)
    leave()


def claim_display():
    """The first display number from 64 on whose lock file this process can
    make; its socket path."""
    for number in range(64, 1000):
        lock = "/tmp/.X%d-lock" % number
        path = "/tmp/.X11-unix/X%d" % number
        try:
            descriptor = os.open(lock, os.O_WRONLY | os.O_CREAT | os.O_EXCL, 0o444)
        except FileExistsError:
            continue
        os.write(descriptor, b"%10d\n" % os.getpid())
        os.close(descriptor)
        if os.path.exists(path):
            os.unlink(lock)
            continue
        return number, lock, path
    sys.exit("dpms_proxy: no free display number")


def main():
    if len(sys.argv) != 2:
        sys.exit("usage: dpms_proxy.py SERVER_DISPLAY")
    server_path = "/tmp/.X11-unix/X%d" % int(sys.argv[1].lstrip(":"))
    number, lock, path = claim_display()
    listener = socket.socket(socket.AF_UNIX, socket.SOCK_STREAM)
    listener.bind(path)
    listener.listen(16)

    def leave(*_):
        for name in (path, lock):
            try:
                os.unlink(name)
            except OSError:
                pass
        os._exit(0)

    signal.signal(signal.SIGTERM, leave)
    signal.signal(signal.SIGINT, leave)
    threading.Thread(target=leave_with_parent, args=(leave,), daemon=True).start()
    print(number, flush=True)
    while True:
        client, _ = listener.accept()
        serve(client, server_path)


if __name__ == "__main__":
    main()
