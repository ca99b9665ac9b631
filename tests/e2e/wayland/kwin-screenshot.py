#!/usr/bin/python3
"""A screenshot of KWin's whole screen, through its org.kde.KWin.ScreenShot2 D-Bus interface.

Usage: /usr/bin/python3 kwin-screenshot.py FILE.png
       /usr/bin/python3 kwin-screenshot.py --self-test

KWin writes the raw pixels to a pipe it is handed and answers with their layout (width,
height, stride and QImage format); this turns them into an RGB PNG with the standard library.
The compositor must run with KWIN_SCREENSHOT_NO_PERMISSION_CHECKS=1, or KWin refuses callers
whose desktop file does not list the interface (X-KDE-DBUS-Restricted-Interfaces). Runs under
/usr/bin/python3 for python3-dbus. Asks for CaptureWorkspace (every screen; interface version
4) and falls back to CaptureActiveScreen on an older KWin.
Exit status: 0 on success, 1 when KWin gave no screenshot, 2 on a usage error.
"""
import os
import struct
import sys
import threading
import zlib

# QImage::Format values KWin may answer with, and the byte offsets of red, green and blue
# within one pixel of that many bytes. 32-bit ARGB formats are native-endian 0xAARRGGBB words,
# so B, G, R, A in memory on a little-endian machine; alpha is dropped (the screen is opaque,
# and a premultiplied pixel without its alpha is that pixel over black).
FORMATS = {
    4: ("RGB32", 4, (2, 1, 0)),
    5: ("ARGB32", 4, (2, 1, 0)),
    6: ("ARGB32_Premultiplied", 4, (2, 1, 0)),
    13: ("RGB888", 3, (0, 1, 2)),
    16: ("RGBX8888", 4, (0, 1, 2)),
    17: ("RGBA8888", 4, (0, 1, 2)),
    18: ("RGBA8888_Premultiplied", 4, (0, 1, 2)),
    29: ("BGR888", 3, (2, 1, 0)),
}
# Seconds for KWin to answer, and then to finish writing the pixels.
TIMEOUT = 20

if sys.byteorder == "big":
    for number in (4, 5, 6):
        FORMATS[number] = (FORMATS[number][0], 4, (1, 2, 3))


def to_rgb_rows(data, width, height, stride, image_format):
    """The rows of the image as packed RGB bytes."""
    if image_format not in FORMATS:
        raise ValueError("QImage format %d is not handled" % image_format)
    _, size, (red, green, blue) = FORMATS[image_format]
    if stride < width * size or len(data) < stride * (height - 1) + width * size:
        raise ValueError("%d bytes do not hold %dx%d pixels of %d bytes with stride %d"
                         % (len(data), width, height, size, stride))
    rows = []
    for y in range(height):
        row = data[y * stride:y * stride + width * size]
        rgb = bytearray(width * 3)
        rgb[0::3] = row[red::size]
        rgb[1::3] = row[green::size]
        rgb[2::3] = row[blue::size]
        rows.append(bytes(rgb))
    return rows


def png(width, height, rows):
    """An 8-bit RGB PNG of rows of packed RGB bytes."""
    def chunk(kind, body):
        return (struct.pack(">I", len(body)) + kind + body
                + struct.pack(">I", zlib.crc32(kind + body) & 0xffffffff))
    raw = b"".join(b"\0" + row for row in rows)
    return (b"\x89PNG\r\n\x1a\n"
            + chunk(b"IHDR", struct.pack(">IIBBBBB", width, height, 8, 2, 0, 0, 0))
            + chunk(b"IDAT", zlib.compress(raw, 6)) + chunk(b"IEND", b""))


def capture():
    """Asks KWin for the screen; returns (metadata, pixel bytes)."""
    import dbus
    bus = dbus.SessionBus()
    shooter = dbus.Interface(bus.get_object("org.kde.KWin", "/org/kde/KWin/ScreenShot2"),
                             "org.kde.KWin.ScreenShot2")
    options = {"include-cursor": dbus.Boolean(False), "native-resolution": dbus.Boolean(True)}
    for method in ("CaptureWorkspace", "CaptureActiveScreen"):
        read_end, write_end = os.pipe()
        chunks = []
        # KWin answers first and writes the pixels afterwards from a thread of its own; reading
        # alongside keeps either order from blocking on a full pipe. The reader is a daemon: a
        # refused call may leave KWin holding the write end, and nothing must wait for it then.
        reader = threading.Thread(target=lambda: chunks.extend(iter(
            lambda: os.read(read_end, 1 << 20), b"")), daemon=True)
        reader.start()
        # The argument holds a duplicate of the write end until take(): close both here, or the
        # pipe never ends (KWin closes its own copy once it has written the pixels).
        pipe_arg = dbus.types.UnixFd(write_end)
        os.close(write_end)
        try:
            results = getattr(shooter, method)(options, pipe_arg, timeout=TIMEOUT)
        except dbus.exceptions.DBusException as error:
            if error.get_dbus_name() == "org.freedesktop.DBus.Error.UnknownMethod":
                continue
            raise
        finally:
            os.close(pipe_arg.take())
        reader.join(TIMEOUT)
        if reader.is_alive():
            raise RuntimeError("%s answered but the pixels did not end within %d s"
                               % (method, TIMEOUT))
        os.close(read_end)
        return dict(results), b"".join(chunks)
    raise RuntimeError("KWin has neither CaptureWorkspace nor CaptureActiveScreen")


def self_test():
    """Two by two pixels, red, green / blue, white, in each format; a padded stride."""
    pixels = [(255, 0, 0), (0, 255, 0), (0, 0, 255), (255, 255, 255)]
    expected = [bytes([255, 0, 0, 0, 255, 0]), bytes([0, 0, 255, 255, 255, 255])]
    failures = 0
    for number, (name, size, offsets) in sorted(FORMATS.items()):
        stride = 2 * size + 3
        data = bytearray(stride * 2)
        for index, colour in enumerate(pixels):
            y, x = divmod(index, 2)
            pixel = bytearray(size)
            for offset, value in zip(offsets, colour):
                pixel[offset] = value
            if size == 4:
                pixel[({0, 1, 2, 3} - set(offsets)).pop()] = 255
            data[y * stride + x * size:y * stride + (x + 1) * size] = pixel
        rows = to_rgb_rows(bytes(data), 2, 2, stride, number)
        if rows != expected:
            print("FAIL %s: %r" % (name, rows))
            failures += 1
    # Byte order as KWin's little-endian ARGB32 words lay it out: 0xFF3050C0 is B, G, R, A.
    if sys.byteorder == "little":
        word = struct.pack("<I", 0xFF3050C0)
        if to_rgb_rows(word, 1, 1, 4, 6) != [bytes([0x30, 0x50, 0xC0])]:
            print("FAIL ARGB32 word 0xFF3050C0 is not #3050c0")
            failures += 1
    # The PNG decodes back to the rows: signature, IHDR fields, CRCs, filter bytes.
    rows = [bytes(range(y, y + 9)) for y in range(4)]
    encoded = png(3, 4, rows)
    position, chunks = 8, {}
    while position < len(encoded):
        length, = struct.unpack(">I", encoded[position:position + 4])
        kind = encoded[position + 4:position + 8]
        body = encoded[position + 8:position + 8 + length]
        crc, = struct.unpack(">I", encoded[position + 8 + length:position + 12 + length])
        if crc != zlib.crc32(kind + body) & 0xffffffff:
            print("FAIL CRC of %r" % kind)
            failures += 1
        chunks[kind] = body
        position += 12 + length
    raw = zlib.decompress(chunks[b"IDAT"])
    if (encoded[:8] != b"\x89PNG\r\n\x1a\n"
            or struct.unpack(">IIBBBBB", chunks[b"IHDR"]) != (3, 4, 8, 2, 0, 0, 0)
            or [raw[y * 10:y * 10 + 10] for y in range(4)] != [b"\0" + row for row in rows]):
        print("FAIL the PNG does not decode to its rows")
        failures += 1
    try:
        to_rgb_rows(bytes(15), 2, 2, 8, 6)
        print("FAIL short data accepted")
        failures += 1
    except ValueError:
        pass
    print("self-test: %d failures" % failures)
    return 1 if failures else 0


def main(argv):
    if len(argv) != 2 or argv[1].startswith("-") and argv[1] != "--self-test":
        print(__doc__.strip().splitlines()[2], file=sys.stderr)
        return 2
    if argv[1] == "--self-test":
        return self_test()
    try:
        results, data = capture()
    except Exception as error:  # a D-Bus refusal, no KWin on the bus
        print("kwin-screenshot: %s" % error, file=sys.stderr)
        return 1
    width, height = int(results["width"]), int(results["height"])
    stride, image_format = int(results["stride"]), int(results["format"])
    if results.get("type", "raw") != "raw":
        print("kwin-screenshot: pixels of type %s" % results["type"], file=sys.stderr)
        return 1
    try:
        rows = to_rgb_rows(data, width, height, stride, image_format)
    except ValueError as error:
        print("kwin-screenshot: %s" % error, file=sys.stderr)
        return 1
    with open(argv[1], "wb") as out:
        out.write(png(width, height, rows))
    print("%dx%d stride %d format %d (%s) scale %s" % (
        width, height, stride, image_format, FORMATS[image_format][0],
        results.get("scale", 1)), file=sys.stderr)
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
