#!/usr/bin/python3
"""Asks an X window to close the way a window manager does: a WM_DELETE_WINDOW message."""
import sys

from Xlib import X, display
from Xlib.protocol import event


def main():
    window_id = int(sys.argv[1], 0)
    screen = display.Display()
    window = screen.create_resource_object("window", window_id)
    protocols = screen.intern_atom("WM_PROTOCOLS")
    delete = screen.intern_atom("WM_DELETE_WINDOW")
    supported = window.get_wm_protocols() or []
    if delete not in supported:
        sys.exit("window %#x does not take WM_DELETE_WINDOW" % window_id)
    message = event.ClientMessage(
        window=window, client_type=protocols, data=(32, [delete, X.CurrentTime, 0, 0, 0]))
    window.send_event(message, event_mask=X.NoEventMask)
    screen.sync()


if __name__ == "__main__":
    main()
