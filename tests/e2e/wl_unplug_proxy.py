#!/usr/bin/env python3
"""A Wayland proxy that can unplug an output for its clients.

sway 1.7 cannot remove a headless output, so the end-to-end tests pass their
client through this proxy: it forwards every message (and the descriptors
that travel with them) between the client and the compositor, notes the
wl_output globals the registry announces and, on SIGUSR1, tells each client
that the newest one went away (wl_registry.global_remove), as a compositor
does when a monitor is unplugged.

Usage: wl_unplug_proxy.py LISTEN_PATH COMPOSITOR_PATH
"""
import array
import os
import selectors
import signal
import socket
import struct
import sys

MAX_FDS = 28


def whole_messages(buffer):
    """The length of the prefix of BUFFER made of whole messages."""
    at = 0
    while len(buffer) - at >= 8:
        size = struct.unpack_from("<I", buffer, at + 4)[0] >> 16
        if size < 8 or len(buffer) - at < size:
            break
        at += size
    return at


def messages(data):
    at = 0
    while at < len(data):
        sender, word = struct.unpack_from("<II", data, at)
        size = word >> 16
        yield sender, word & 0xFFFF, data[at + 8 : at + size]
        at += size


class Pair:
    def __init__(self, client, server):
        self.ends = {client: server, server: client}
        self.client = client
        self.buffers = {client: b"", server: b""}
        self.fds = {client: [], server: []}
        self.registries = set()
        self.outputs = []  # (registry, global name), oldest first

    def note(self, source, data):
        for sender, opcode, body in messages(data):
            if source is self.client and sender == 1 and opcode == 1:
                self.registries.add(struct.unpack_from("<I", body)[0])
            elif source is not self.client and sender in self.registries and opcode == 0:
                name, length = struct.unpack_from("<II", body)
                interface = body[8 : 8 + length - 1].decode()
                if interface == "wl_output":
                    self.outputs.append((sender, name))

    def forward(self, source):
        data, ancillary, _, _ = source.recvmsg(65536, socket.CMSG_SPACE(MAX_FDS * 4))
        if not data:
            return False
        for level, kind, payload in ancillary:
            if level == socket.SOL_SOCKET and kind == socket.SCM_RIGHTS:
                fds = array.array("i")
                fds.frombytes(payload[: len(payload) - len(payload) % 4])
                self.fds[source].extend(fds)
        self.buffers[source] += data
        whole = whole_messages(self.buffers[source])
        if whole == 0:
            return True
        chunk, self.buffers[source] = self.buffers[source][:whole], self.buffers[source][whole:]
        self.note(source, chunk)
        self.send(self.ends[source], chunk, self.fds[source])
        for fd in self.fds[source]:
            os.close(fd)
        self.fds[source] = []
        return True

    def send(self, target, chunk, fds=()):
        ancillary = [(socket.SOL_SOCKET, socket.SCM_RIGHTS, array.array("i", fds))] if fds else []
        target.sendmsg([chunk], ancillary)

    def unplug(self):
        # Only between whole messages of the compositor's stream.
        server = self.ends[self.client]
        if not self.outputs or self.buffers[server]:
            return False
        # Every registry of the client hears of it, as from a compositor.
        name = max(output for _, output in self.outputs)
        for registry in sorted({r for r, output in self.outputs if output == name}):
            self.send(self.client, struct.pack("<III", registry, (12 << 16) | 1, name))
        self.outputs = [(r, output) for r, output in self.outputs if output != name]
        return True


def serve(listen_path, compositor_path, make_pair, trigger, act):
    """Forwards every client of LISTEN_PATH to the compositor at
    COMPOSITOR_PATH, each connection a MAKE_PAIR(client, server); each time
    the signal TRIGGER comes, calls ACT(pair) on every live pair, between
    messages, until all of them say it was done."""
    listener = socket.socket(socket.AF_UNIX, socket.SOCK_STREAM)
    listener.bind(listen_path)
    listener.listen(8)
    selector = selectors.DefaultSelector()
    selector.register(listener, selectors.EVENT_READ)
    wake_read, wake_write = socket.socketpair()
    wake_write.setblocking(False)
    signal.set_wakeup_fd(wake_write.fileno())
    signal.signal(trigger, lambda *_: None)
    signal.signal(signal.SIGTERM, lambda *_: sys.exit(0))
    selector.register(wake_read, selectors.EVENT_READ)
    pairs = {}
    pending = 0
    while True:
        for key, _ in selector.select(timeout=0.1 if pending else None):
            if key.fileobj is listener:
                client, _ = listener.accept()
                server = socket.socket(socket.AF_UNIX, socket.SOCK_STREAM)
                server.connect(compositor_path)
                pair = make_pair(client, server)
                for end in (client, server):
                    pairs[end] = pair
                    selector.register(end, selectors.EVENT_READ)
            elif key.fileobj is wake_read:
                pending += wake_read.recv(64).count(trigger)
            else:
                pair = pairs.get(key.fileobj)
                if pair is not None and not pair.forward(key.fileobj):
                    for end in pair.ends:
                        selector.unregister(end)
                        pairs.pop(end, None)
                        end.close()
        if pending:
            done = [act(p) for p in set(pairs.values())]
            if all(done):
                pending -= 1


def main():
    serve(sys.argv[1], sys.argv[2], Pair, signal.SIGUSR1, Pair.unplug)


if __name__ == "__main__":
    main()
