#!/usr/bin/env python3
"""A Wayland proxy that can close its clients' layer surfaces.

A compositor closes a background surface on its own (a layer-shell
zwlr_layer_surface_v1.closed while the output stays) in cases sway 1.7 gives
the tests no command for, so the end-to-end tests pass their client through
this proxy. It forwards every message as wl_unplug_proxy.py does, notes the
layer surfaces the client makes and destroys, one line each on standard
output ("made ID", "destroyed ID"), and on SIGUSR2 sends the client a
`closed` event for each of its live layer surfaces ("closed ID").

Usage: wl_close_proxy.py LISTEN_PATH COMPOSITOR_PATH
"""
import os
import selectors
import signal
import socket
import struct
import sys

# The helper beside this one, imported without leaving a cache in the tree.
sys.dont_write_bytecode = True
sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from wl_unplug_proxy import Pair, messages  # noqa: E402

# Opcodes of the requests and events this proxy reads or sends.
REGISTRY_BIND = 0
GET_LAYER_SURFACE = 0
LAYER_SURFACE_DESTROY = 7
LAYER_SURFACE_CLOSED = 1


def say(line):
    print(line, flush=True)


class ClosingPair(Pair):
    def __init__(self, client, server):
        super().__init__(client, server)
        self.shells = set()
        self.layer_surfaces = []  # live ones, oldest first

    def note(self, source, data):
        super().note(source, data)
        if source is not self.client:
            return
        for sender, opcode, body in messages(data):
            if sender in self.registries and opcode == REGISTRY_BIND:
                # name, the interface as a padded string, version, new id
                length = struct.unpack_from("<I", body, 4)[0]
                interface = body[8 : 8 + length - 1].decode()
                new_id = struct.unpack_from("<I", body, 8 + ((length + 3) & ~3) + 4)[0]
                if interface == "zwlr_layer_shell_v1":
                    self.shells.add(new_id)
            elif sender in self.shells and opcode == GET_LAYER_SURFACE:
                new_id = struct.unpack_from("<I", body)[0]
                self.layer_surfaces.append(new_id)
                say(f"made {new_id}")
            elif sender in self.layer_surfaces and opcode == LAYER_SURFACE_DESTROY:
                self.layer_surfaces.remove(sender)
                say(f"destroyed {sender}")

    def close_surfaces(self):
        # Only between whole messages of the compositor's stream.
        if self.buffers[self.ends[self.client]]:
            return False
        for surface in self.layer_surfaces:
            self.send(self.client, struct.pack("<II", surface, (8 << 16) | LAYER_SURFACE_CLOSED))
            say(f"closed {surface}")
        return True


def main():
    listen_path, compositor_path = sys.argv[1], sys.argv[2]
    listener = socket.socket(socket.AF_UNIX, socket.SOCK_STREAM)
    listener.bind(listen_path)
    listener.listen(8)
    selector = selectors.DefaultSelector()
    selector.register(listener, selectors.EVENT_READ)
    wake_read, wake_write = socket.socketpair()
    wake_write.setblocking(False)
    signal.set_wakeup_fd(wake_write.fileno())
    signal.signal(signal.SIGUSR2, lambda *_: None)
    signal.signal(signal.SIGTERM, lambda *_: sys.exit(0))
    selector.register(wake_read, selectors.EVENT_READ)
    pairs = {}
    closings = 0
    while True:
        for key, _ in selector.select(timeout=0.1 if closings else None):
            if key.fileobj is listener:
                client, _ = listener.accept()
                server = socket.socket(socket.AF_UNIX, socket.SOCK_STREAM)
                server.connect(compositor_path)
                pair = ClosingPair(client, server)
                for end in (client, server):
                    pairs[end] = pair
                    selector.register(end, selectors.EVENT_READ)
            elif key.fileobj is wake_read:
                closings += wake_read.recv(64).count(signal.SIGUSR2)
            else:
                pair = pairs.get(key.fileobj)
                if pair is not None and not pair.forward(key.fileobj):
                    for end in pair.ends:
                        selector.unregister(end)
                        pairs.pop(end, None)
                        end.close()
        if closings:
            done = [p.close_surfaces() for p in set(pairs.values())]
            if all(done):
                closings -= 1


if __name__ == "__main__":
    main()
