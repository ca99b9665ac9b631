#!/usr/bin/python3
"""Pointer and keyboard input through mutter's RemoteDesktop D-Bus interface.

Holds one remote-desktop session for as long as it runs (mutter ends a session when the
connection that made it goes) and reads commands from standard input, one a line:
    move X Y          the pointer to X,Y: to the top-left corner first, where the screen's edge
                      stops it, then on by X,Y
    button CODE 1|0   press or release an evdev button (272 left, 273 right)
    key KEYSYM 1|0    press or release a key, by X keysym
Prints "ready" once the session has started and "ok" after each command.
"""
import sys
import time

import dbus

bus = dbus.SessionBus()
desktop = dbus.Interface(
    bus.get_object("org.gnome.Mutter.RemoteDesktop", "/org/gnome/Mutter/RemoteDesktop"),
    "org.gnome.Mutter.RemoteDesktop")
path = desktop.CreateSession()
session = dbus.Interface(bus.get_object("org.gnome.Mutter.RemoteDesktop", path),
                         "org.gnome.Mutter.RemoteDesktop.Session")
session.Start()
print("ready", flush=True)
for line in sys.stdin:
    words = line.split()
    if not words:
        continue
    if words[0] == "move":
        session.NotifyPointerMotionRelative(dbus.Double(-4000), dbus.Double(-4000))
        time.sleep(0.03)
        session.NotifyPointerMotionRelative(dbus.Double(float(words[1])), dbus.Double(float(words[2])))
    elif words[0] == "button":
        session.NotifyPointerButton(dbus.Int32(int(words[1])), dbus.Boolean(words[2] == "1"))
    elif words[0] == "key":
        session.NotifyKeyboardKeysym(dbus.UInt32(int(words[1])), dbus.Boolean(words[2] == "1"))
    print("ok", flush=True)
session.Stop()
