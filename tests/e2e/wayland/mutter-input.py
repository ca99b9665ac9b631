#!/usr/bin/python3
"""Input and screenshots through mutter's RemoteDesktop and ScreenCast D-Bus interfaces.

Holds one remote-desktop session for as long as it runs (mutter ends a session when the
connection that made it goes), with a screen cast of the whole monitor linked to it, and reads
commands from standard input, one a line:
    move X Y          the pointer to X,Y: to the top-left corner first, where the screen's edge
                      stops it, then on by X,Y
    button CODE 1|0   press or release an evdev button (272 left, 273 right)
    key KEYSYM 1|0    press or release a key, by X keysym
    shot FILE         the newest frame of the screen cast, as a PNG file (what the compositor
                      shows, not what XWayland holds)
Prints "ready" once the session has started and "ok" after each command ("error ..." when a
command failed). The screen cast needs a PipeWire daemon with a session manager; without one,
"shot" answers "error no screen cast" and input still works.
"""
import struct
import sys
import time
import zlib

import dbus
from dbus.mainloop.glib import DBusGMainLoop

DBusGMainLoop(set_as_default=True)

from gi.repository import GLib  # noqa: E402  (after the main loop is set)

MUTTER = "org.gnome.Mutter"


def start_screen_cast(bus, remote_id):
    """Starts a cast of the primary monitor; returns the PipeWire node's id, or None."""
    cast = dbus.Interface(bus.get_object(MUTTER + ".ScreenCast", "/org/gnome/Mutter/ScreenCast"),
                          MUTTER + ".ScreenCast")
    path = cast.CreateSession({"remote-desktop-session-id": remote_id})
    session = dbus.Interface(bus.get_object(MUTTER + ".ScreenCast", path),
                             MUTTER + ".ScreenCast.Session")
    stream_path = session.RecordMonitor("", {"cursor-mode": dbus.UInt32(0)})
    stream = bus.get_object(MUTTER + ".ScreenCast", stream_path)
    node = []
    loop = GLib.MainLoop()

    def added(node_id):
        node.append(int(node_id))
        loop.quit()

    stream.connect_to_signal("PipeWireStreamAdded", added,
                             dbus_interface=MUTTER + ".ScreenCast.Stream")
    return node, loop


class Frames:
    """The newest frame of a PipeWire node, kept by an appsink."""

    def __init__(self, node_id):
        import gi
        gi.require_version("Gst", "1.0")
        from gi.repository import Gst
        Gst.init(None)
        self.pipeline = Gst.parse_launch(
            "pipewiresrc path=%d always-copy=true ! videoconvert ! video/x-raw,format=RGB "
            "! appsink name=sink max-buffers=1 drop=true sync=false enable-last-sample=true"
            % node_id)
        self.sink = self.pipeline.get_by_name("sink")
        self.read_flag = Gst.MapFlags.READ
        self.pipeline.set_state(Gst.State.PLAYING)

    def save(self, file_name):
        # The first frame comes a moment after the cast starts; later ones whenever the
        # screen changes.
        sample = self.sink.get_property("last-sample")
        for _ in range(40):
            if sample is not None:
                break
            time.sleep(0.05)
            sample = self.sink.get_property("last-sample")
        if sample is None:
            return False
        caps = sample.get_caps().get_structure(0)
        width, height = caps.get_value("width"), caps.get_value("height")
        buffer = sample.get_buffer()
        ok, info = buffer.map(self.read_flag)
        if not ok:
            return False
        try:
            data = bytes(info.data)
        finally:
            buffer.unmap(info)
        stride = len(data) // height
        rows = b"".join(b"\0" + data[y * stride:y * stride + width * 3] for y in range(height))
        write_png(file_name, width, height, rows)
        return True

    def stop(self):
        from gi.repository import Gst
        self.pipeline.set_state(Gst.State.NULL)


def write_png(file_name, width, height, rows):
    def chunk(kind, body):
        return (struct.pack(">I", len(body)) + kind + body +
                struct.pack(">I", zlib.crc32(kind + body) & 0xFFFFFFFF))

    with open(file_name, "wb") as out:
        out.write(b"\x89PNG\r\n\x1a\n")
        out.write(chunk(b"IHDR", struct.pack(">IIBBBBB", width, height, 8, 2, 0, 0, 0)))
        out.write(chunk(b"IDAT", zlib.compress(rows, 1)))
        out.write(chunk(b"IEND", b""))


def main():
    bus = dbus.SessionBus()
    desktop = dbus.Interface(
        bus.get_object(MUTTER + ".RemoteDesktop", "/org/gnome/Mutter/RemoteDesktop"),
        MUTTER + ".RemoteDesktop")
    path = desktop.CreateSession()
    remote = bus.get_object(MUTTER + ".RemoteDesktop", path)
    session = dbus.Interface(remote, MUTTER + ".RemoteDesktop.Session")
    remote_id = remote.Get(MUTTER + ".RemoteDesktop.Session", "SessionId",
                           dbus_interface="org.freedesktop.DBus.Properties")
    node, loop = start_screen_cast(bus, remote_id)
    session.Start()
    GLib.timeout_add(5000, loop.quit)
    loop.run()
    # mutter drops the first key of a new virtual keyboard (measured: the first Escape of each
    # new session was lost, the second and later arrived): a Shift press and release takes
    # that place before any real key.
    shift = dbus.UInt32(0xFFE1)
    session.NotifyKeyboardKeysym(shift, dbus.Boolean(True))
    session.NotifyKeyboardKeysym(shift, dbus.Boolean(False))
    frames = None
    if node:
        try:
            frames = Frames(node[0])
        except Exception as error:  # no GStreamer or no PipeWire plug-in: input only
            print("no screen cast: %s" % error, file=sys.stderr)
    print("ready", flush=True)
    for line in sys.stdin:
        words = line.split()
        if not words:
            continue
        reply = "ok"
        if words[0] == "move":
            session.NotifyPointerMotionRelative(dbus.Double(-4000), dbus.Double(-4000))
            time.sleep(0.03)
            session.NotifyPointerMotionRelative(dbus.Double(float(words[1])),
                                                dbus.Double(float(words[2])))
        elif words[0] == "button":
            session.NotifyPointerButton(dbus.Int32(int(words[1])), dbus.Boolean(words[2] == "1"))
        elif words[0] == "key":
            session.NotifyKeyboardKeysym(dbus.UInt32(int(words[1])),
                                         dbus.Boolean(words[2] == "1"))
        elif words[0] == "shot":
            if frames is None:
                reply = "error no screen cast"
            elif not frames.save(words[1]):
                reply = "error no frame yet"
        else:
            reply = "error unknown command " + words[0]
        print(reply, flush=True)
    if frames is not None:
        frames.stop()
    session.Stop()


if __name__ == "__main__":
    main()
