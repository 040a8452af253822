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
import signal
import struct
import sys

# The helper beside this one, imported without leaving a cache in the tree.
sys.dont_write_bytecode = True
sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from wl_unplug_proxy import Pair, messages, serve  # noqa: E402

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
    serve(sys.argv[1], sys.argv[2], ClosingPair, signal.SIGUSR2, ClosingPair.close_surfaces)


if __name__ == "__main__":
    main()
