#!/usr/bin/python3
"""A plain Wayland window (not XWayland) that fills the screen and reports the presses it gets.

Usage: wayland-window.py RRGGBB
Prints "ready" once shown, then "press BUTTON" for each mouse press that reaches it and
"motion X Y" (window coordinates, the screen's when it fills the screen) for each move of the
pointer over it.
"""
import os
import sys

os.environ["GDK_BACKEND"] = "wayland"

import gi  # noqa: E402

gi.require_version("Gdk", "3.0")
gi.require_version("Gtk", "3.0")
from gi.repository import Gdk, Gtk  # noqa: E402


def main():
    colour = sys.argv[1] if len(sys.argv) > 1 else "c05030"
    window = Gtk.Window(title="kiprun-wayland-window")
    window.set_decorated(False)
    css = Gtk.CssProvider()
    css.load_from_data(("window { background-color: #%s; }" % colour).encode())
    window.get_style_context().add_provider(css, Gtk.STYLE_PROVIDER_PRIORITY_APPLICATION)
    window.add_events(Gdk.EventMask.BUTTON_PRESS_MASK | Gdk.EventMask.POINTER_MOTION_MASK)
    seen = set()

    def pressed(_window, event):
        # GTK hands a frameless window each press twice; the press's time tells them apart.
        if (event.button, event.time) not in seen:
            seen.add((event.button, event.time))
            print("press %d" % event.button, flush=True)
        return True

    window.connect("button-press-event", pressed)
    window.connect("motion-notify-event",
                   lambda _w, event: print("motion %d %d" % (event.x, event.y), flush=True))
    window.connect("map-event", lambda *_: print("ready", flush=True))
    window.connect("destroy", Gtk.main_quit)
    window.maximize()
    window.show_all()
    Gtk.main()


if __name__ == "__main__":
    main()
