// kiprun-xwindow: plays the other programs of a desktop for the end-to-end tests.
//
// Usage: kiprun-xwindow [--display NAME] COMMAND ...
//   window X Y W H [RRGGBB]  opens a plain managed window of that geometry and colour (default
//                            3050c0), raises it, asks for the focus, prints "window 0xID" once
//                            it is mapped and then "press BUTTON X Y" (root coordinates) for each
//                            button press it receives; runs until killed
//   dock HEIGHT [X W BOTTOM] a dock along the bottom of the screen that reserves HEIGHT pixels
//                            with _NET_WM_STRUT_PARTIAL; given X, W and BOTTOM it spans only
//                            X..X+W-1 and stands on row BOTTOM (the bottom of one monitor of
//                            several); prints "window 0xID"; runs until killed
//   strut ID HEIGHT [X W BOTTOM]  gives the dock ID a new height: strut and geometry
//   close ID                 sends WM_DELETE_WINDOW to window ID, as a window manager or a panel
//                            does when the user closes it
//   message ID TYPE [ATOM [COUNT]]  sends COUNT (default 1) client messages of type TYPE (an atom
//                            name) to window ID, as any other client may: format 32, the first
//                            datum the atom ATOM (0 when left out or "0"), the second CurrentTime
//   wmstate ID COUNT         sends COUNT _NET_WM_STATE requests for window ID: maximised,
//                            full screen and shaded in turn; then waits (up to 60 s) until the
//                            window manager has handled them (it answers a request sent after
//                            them) and prints how long that took
//   junkhints ID             writes absurd WM_NORMAL_HINTS on window ID (a minimum size of
//                            23444 x 22061)
//   workarea X Y W H         sets _NET_WORKAREA on the root window (as a window manager does) and
//                            _NET_NUMBER_OF_DESKTOPS to 1 if it is unset
//   background RRGGBB        sets the desktop's background colour as a desktop does: a pixmap
//                            kept after this program exits, named in _XROOTPMAP_ID and
//                            ESETROOT_PMAP_ID, where compositors read the background from (the
//                            one set before by this command is freed)
//   selection NAME           exits 0 when selection NAME (e.g. _NET_WM_CM_S0) has an owner
//   state ID                 prints "wm_state NAME" (Normal, Iconic, Withdrawn or none) and
//                            "net_wm_state ATOM..." for window ID
// Exit status: 0 on success, 1 when the command failed (no owner, no such window), 2 on a usage
// error or when the display cannot be opened.

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <sys/select.h>

#include <algorithm>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <string>
#include <vector>

namespace {

int usage() {
    std::fprintf(stderr,
                 "usage: kiprun-xwindow [--display NAME] (window X Y W H [RRGGBB] | "
                 "dock HEIGHT [X W BOTTOM] | strut ID HEIGHT [X W BOTTOM] | close ID | "
                 "message ID TYPE [ATOM [COUNT]] | workarea X Y W H | background RRGGBB | selection NAME | "
                 "state ID)\n");
    return 2;
}

bool toLong(const char* text, long& value) {
    char* end = nullptr;
    value = std::strtol(text, &end, 0);
    return end != text && *end == '\0';
}

Atom atom(Display* dpy, const char* name) { return XInternAtom(dpy, name, False); }

// Tells the window manager how the window should be handled and sent to the front.
void sendToRoot(Display* dpy, Window w, const char* message, long d0, long d1 = 0, long d2 = 0) {
    XEvent event{};
    event.xclient.type = ClientMessage;
    event.xclient.window = w;
    event.xclient.message_type = atom(dpy, message);
    event.xclient.format = 32;
    event.xclient.data.l[0] = d0;
    event.xclient.data.l[1] = d1;
    event.xclient.data.l[2] = d2;
    XSendEvent(dpy, DefaultRootWindow(dpy), False,
               SubstructureRedirectMask | SubstructureNotifyMask, &event);
}

void waitMapped(Display* dpy, Window w) {
    XEvent event;
    do {
        XWindowEvent(dpy, w, StructureNotifyMask, &event);
    } while (event.type != MapNotify);
}

// Where a dock stands: the columns it spans and the row its bottom edge is on.
struct DockSpan {
    long x = 0;
    long width = 0;
    long bottom = 0;
};

DockSpan wholeWidth(Display* dpy) {
    const int screen = DefaultScreen(dpy);
    return DockSpan{0, DisplayWidth(dpy, screen), DisplayHeight(dpy, screen)};
}

void setStrut(Display* dpy, Window w, long height, const DockSpan& span) {
    const DockSpan whole = wholeWidth(dpy);
    // Struts count from the screen's edge: a dock on a monitor that ends above the screen's
    // bottom reserves the rows below that monitor as well.
    const long reserved = whole.bottom - span.bottom + height;
    // left, right, top, bottom, then the start and end of each edge's span.
    long strut[12] = {0, 0, 0, reserved, 0, 0, 0, 0, 0, 0, span.x, span.x + span.width - 1};
    XChangeProperty(dpy, w, atom(dpy, "_NET_WM_STRUT_PARTIAL"), XA_CARDINAL, 32, PropModeReplace,
                    reinterpret_cast<unsigned char*>(strut), 12);
    // The older property reserves the whole edge: only for a dock that spans it.
    if (span.x == 0 && span.width == whole.width) {
        XChangeProperty(dpy, w, atom(dpy, "_NET_WM_STRUT"), XA_CARDINAL, 32, PropModeReplace,
                        reinterpret_cast<unsigned char*>(strut), 4);
    }
}

volatile std::sig_atomic_t stopRequested = 0;
void onSignal(int) { stopRequested = 1; }

// Reads events until killed; prints button presses when asked to.
int eventLoop(Display* dpy, bool printPresses) {
    std::signal(SIGTERM, onSignal);
    std::signal(SIGINT, onSignal);
    const int fd = ConnectionNumber(dpy);
    while (stopRequested == 0) {
        while (XPending(dpy) > 0) {
            XEvent event;
            XNextEvent(dpy, &event);
            if (event.type == ButtonPress && printPresses) {
                std::printf("press %u %d %d\n", event.xbutton.button, event.xbutton.x_root,
                            event.xbutton.y_root);
                std::fflush(stdout);
            }
        }
        fd_set fds;
        FD_ZERO(&fds);
        FD_SET(fd, &fds);
        timeval timeout{0, 200000};
        select(fd + 1, &fds, nullptr, nullptr, &timeout);
    }
    return 0;
}

int openWindow(Display* dpy, long x, long y, long w, long h, unsigned long colour) {
    const Window root = DefaultRootWindow(dpy);
    XSetWindowAttributes attributes{};
    attributes.background_pixel = colour;
    attributes.event_mask = ButtonPressMask | StructureNotifyMask | ExposureMask;
    const Window win =
        XCreateWindow(dpy, root, static_cast<int>(x), static_cast<int>(y), static_cast<unsigned>(w),
                      static_cast<unsigned>(h), 0, CopyFromParent, InputOutput, CopyFromParent,
                      CWBackPixel | CWEventMask, &attributes);
    XStoreName(dpy, win, "kiprun-xwindow");
    XClassHint classHint{const_cast<char*>("kiprun-xwindow"), const_cast<char*>("KiprunXwindow")};
    XSetClassHint(dpy, win, &classHint);
    // Where it was asked to be: window managers otherwise place new windows as they like.
    XSizeHints size{};
    size.flags = USPosition | USSize | PPosition | PSize;
    size.x = static_cast<int>(x);
    size.y = static_cast<int>(y);
    size.width = static_cast<int>(w);
    size.height = static_cast<int>(h);
    XSetWMNormalHints(dpy, win, &size);
    XWMHints hints{};
    hints.flags = InputHint | StateHint;
    hints.input = True;
    hints.initial_state = NormalState;
    XSetWMHints(dpy, win, &hints);
    Atom normal = atom(dpy, "_NET_WM_WINDOW_TYPE_NORMAL");
    XChangeProperty(dpy, win, atom(dpy, "_NET_WM_WINDOW_TYPE"), XA_ATOM, 32, PropModeReplace,
                    reinterpret_cast<unsigned char*>(&normal), 1);
    XMapRaised(dpy, win);
    waitMapped(dpy, win);
    // Source 2 (a pager, i.e. the user) so that focus-stealing prevention lets it through.
    sendToRoot(dpy, win, "_NET_ACTIVE_WINDOW", 2, CurrentTime, 0);
    XRaiseWindow(dpy, win);
    XSetInputFocus(dpy, win, RevertToParent, CurrentTime);
    XSync(dpy, False);
    std::printf("window 0x%lx\n", win);
    std::fflush(stdout);
    return eventLoop(dpy, true);
}

int openDock(Display* dpy, long height, const DockSpan& span) {
    XSetWindowAttributes attributes{};
    attributes.background_pixel = 0x404040;
    attributes.event_mask = StructureNotifyMask;
    const Window win = XCreateWindow(
        dpy, DefaultRootWindow(dpy), static_cast<int>(span.x), static_cast<int>(span.bottom - height),
        static_cast<unsigned>(span.width), static_cast<unsigned>(height), 0, CopyFromParent,
        InputOutput, CopyFromParent, CWBackPixel | CWEventMask, &attributes);
    XStoreName(dpy, win, "kiprun-dock");
    Atom dock = atom(dpy, "_NET_WM_WINDOW_TYPE_DOCK");
    XChangeProperty(dpy, win, atom(dpy, "_NET_WM_WINDOW_TYPE"), XA_ATOM, 32, PropModeReplace,
                    reinterpret_cast<unsigned char*>(&dock), 1);
    long allDesktops = 0xFFFFFFFF;
    XChangeProperty(dpy, win, atom(dpy, "_NET_WM_DESKTOP"), XA_CARDINAL, 32, PropModeReplace,
                    reinterpret_cast<unsigned char*>(&allDesktops), 1);
    setStrut(dpy, win, height, span);
    XSizeHints size{};
    size.flags = USPosition | USSize;
    size.x = static_cast<int>(span.x);
    size.y = static_cast<int>(span.bottom - height);
    XSetWMNormalHints(dpy, win, &size);
    XMapWindow(dpy, win);
    waitMapped(dpy, win);
    XSync(dpy, False);
    std::printf("window 0x%lx\n", win);
    std::fflush(stdout);
    return eventLoop(dpy, false);
}

int changeStrut(Display* dpy, Window win, long height, const DockSpan& span) {
    setStrut(dpy, win, height, span);
    XMoveResizeWindow(dpy, win, static_cast<int>(span.x), static_cast<int>(span.bottom - height),
                      static_cast<unsigned>(span.width), static_cast<unsigned>(height));
    XSync(dpy, False);
    return 0;
}

int sendClose(Display* dpy, Window win) {
    XEvent event{};
    event.xclient.type = ClientMessage;
    event.xclient.window = win;
    event.xclient.message_type = atom(dpy, "WM_PROTOCOLS");
    event.xclient.format = 32;
    event.xclient.data.l[0] = static_cast<long>(atom(dpy, "WM_DELETE_WINDOW"));
    event.xclient.data.l[1] = CurrentTime;
    XSendEvent(dpy, win, False, NoEventMask, &event);
    XSync(dpy, False);
    return 0;
}

// COUNT _NET_WM_STATE requests to add maximised, full-screen and shaded states in turn, as a
// pager or a hostile client may send them.
// The window property `property` of type `type` as 32-bit items (longs, as Xlib hands them).
std::vector<unsigned long> longsOf(Display* dpy, Window win, const char* property, Atom type) {
    Atom actual = None;
    int format = 0;
    unsigned long count = 0;
    unsigned long after = 0;
    unsigned char* data = nullptr;
    std::vector<unsigned long> items;
    if (XGetWindowProperty(dpy, win, atom(dpy, property), 0, 1024, False, type, &actual, &format,
                           &count, &after, &data) == Success &&
        data != nullptr && format == 32) {
        const auto* values = reinterpret_cast<const unsigned long*>(data);
        items.assign(values, values + count);
    }
    if (data != nullptr) XFree(data);
    return items;
}

// Whether a window manager runs: one owns the WM_Sn selection of the screen. (Its check
// window is no guide: reading that of a running mutter sometimes fails with BadWindow.)
bool windowManagerRuns(Display* dpy) {
    const std::string selection = "WM_S" + std::to_string(DefaultScreen(dpy));
    return XGetSelectionOwner(dpy, atom(dpy, selection.c_str())) != None;
}

// Waits until the window manager has handled every request sent before: it handles them in
// the order they come, and answers a _NET_REQUEST_FRAME_EXTENTS for a window of this program's
// by setting _NET_FRAME_EXTENTS on it. Prints how long that took; false when no answer came in
// `seconds`. True at once without a window manager, or with one whose _NET_SUPPORTED does not
// list the request (kwin_x11, which does not answer it either).
bool waitForWindowManager(Display* dpy, int seconds) {
    if (!windowManagerRuns(dpy)) return true;
    const auto supported = longsOf(dpy, DefaultRootWindow(dpy), "_NET_SUPPORTED", XA_ATOM);
    if (std::find(supported.begin(), supported.end(), atom(dpy, "_NET_REQUEST_FRAME_EXTENTS")) ==
        supported.end()) {
        std::printf("the window manager answers no request for frame extents: not waited for\n");
        return true;
    }
    const Window probe = XCreateSimpleWindow(dpy, DefaultRootWindow(dpy), 0, 0, 1, 1, 0, 0, 0);
    XSelectInput(dpy, probe, PropertyChangeMask);
    const Atom extents = atom(dpy, "_NET_FRAME_EXTENTS");
    sendToRoot(dpy, probe, "_NET_REQUEST_FRAME_EXTENTS", 0);
    XFlush(dpy);
    timespec start{};
    clock_gettime(CLOCK_MONOTONIC, &start);
    bool answered = false;
    for (;;) {
        XEvent event;
        while (!answered && XCheckWindowEvent(dpy, probe, PropertyChangeMask, &event)) {
            answered = event.xproperty.atom == extents;
        }
        timespec now{};
        clock_gettime(CLOCK_MONOTONIC, &now);
        const long ms = (now.tv_sec - start.tv_sec) * 1000 + (now.tv_nsec - start.tv_nsec) / 1000000;
        if (answered || ms >= seconds * 1000L) {
            std::printf("the window manager %s the requests in %ld ms\n",
                        answered ? "had handled" : "had not handled", ms);
            break;
        }
        fd_set fds;
        FD_ZERO(&fds);
        FD_SET(ConnectionNumber(dpy), &fds);
        timeval wait{0, 100000};
        select(ConnectionNumber(dpy) + 1, &fds, nullptr, nullptr, &wait);
    }
    XDestroyWindow(dpy, probe);
    return answered;
}

int sendStateStorm(Display* dpy, Window win, long count) {
    const char* states[][2] = {{"_NET_WM_STATE_MAXIMIZED_VERT", "_NET_WM_STATE_MAXIMIZED_HORZ"},
                               {"_NET_WM_STATE_FULLSCREEN", nullptr},
                               {"_NET_WM_STATE_SHADED", nullptr}};
    for (long i = 0; i < count; ++i) {
        const auto& pair = states[i % 3];
        sendToRoot(dpy, win, "_NET_WM_STATE", 1, static_cast<long>(atom(dpy, pair[0])),
                   pair[1] != nullptr ? static_cast<long>(atom(dpy, pair[1])) : 0);
        if (i % 100 == 99) XSync(dpy, False);
    }
    XSync(dpy, False);
    return waitForWindowManager(dpy, 60) ? 0 : 1;
}

// Size hints of absurd figures written over the window's own.
int setJunkHints(Display* dpy, Window win) {
    XSizeHints hints{};
    hints.flags = PMinSize | PMaxSize | PBaseSize | PResizeInc;
    hints.min_width = 23444;
    hints.min_height = 22061;
    hints.max_width = 30000;
    hints.max_height = 30000;
    hints.base_width = 20000;
    hints.base_height = 20000;
    hints.width_inc = 977;
    hints.height_inc = 13;
    XSetWMNormalHints(dpy, win, &hints);
    XSync(dpy, False);
    return 0;
}

int sendMessages(Display* dpy, Window win, const std::string& type, const std::string& datum,
                 long count) {
    XEvent event{};
    event.xclient.type = ClientMessage;
    event.xclient.window = win;
    event.xclient.message_type = atom(dpy, type.c_str());
    event.xclient.format = 32;
    event.xclient.data.l[0] =
        datum.empty() || datum == "0" ? 0 : static_cast<long>(atom(dpy, datum.c_str()));
    event.xclient.data.l[1] = CurrentTime;
    for (long i = 0; i < count; ++i) XSendEvent(dpy, win, False, NoEventMask, &event);
    XSync(dpy, False);
    return 0;
}

int setWorkArea(Display* dpy, long x, long y, long w, long h) {
    const Window root = DefaultRootWindow(dpy);
    long area[4] = {x, y, w, h};
    XChangeProperty(dpy, root, atom(dpy, "_NET_WORKAREA"), XA_CARDINAL, 32, PropModeReplace,
                    reinterpret_cast<unsigned char*>(area), 4);
    Atom type = None;
    int format = 0;
    unsigned long count = 0, after = 0;
    unsigned char* data = nullptr;
    XGetWindowProperty(dpy, root, atom(dpy, "_NET_NUMBER_OF_DESKTOPS"), 0, 1, False, XA_CARDINAL,
                       &type, &format, &count, &after, &data);
    if (data != nullptr) XFree(data);
    if (count == 0) {
        long one = 1;
        XChangeProperty(dpy, root, atom(dpy, "_NET_NUMBER_OF_DESKTOPS"), XA_CARDINAL, 32,
                        PropModeReplace, reinterpret_cast<unsigned char*>(&one), 1);
    }
    XSync(dpy, False);
    return 0;
}

// A compositor paints the desktop from the pixmap named in _XROOTPMAP_ID; one that cannot use
// it (xfwm4 given the marker pixmap of _XSETROOT_ID) paints no desktop at all and leaves stale
// pixels wherever no window lies. Hence a real pixmap of the root's depth, retained.
int setBackground(Display* dpy, unsigned long colour) {
    const Window root = DefaultRootWindow(dpy);
    const Atom rootPixmap = atom(dpy, "_XROOTPMAP_ID");
    const Atom setterPixmap = atom(dpy, "ESETROOT_PMAP_ID");
    auto readPixmap = [&](Atom property) {
        Atom type = None;
        int format = 0;
        unsigned long count = 0, after = 0;
        unsigned char* data = nullptr;
        Pixmap pixmap = None;
        if (XGetWindowProperty(dpy, root, property, 0, 1, False, XA_PIXMAP, &type, &format, &count,
                               &after, &data) == Success &&
            data != nullptr && format == 32 && count == 1) {
            pixmap = *reinterpret_cast<Pixmap*>(data);
        }
        if (data != nullptr) XFree(data);
        return pixmap;
    };
    // The previous background, when a setter left it retained: free what that setter kept.
    const Pixmap previous = readPixmap(setterPixmap);
    if (previous != None && previous == readPixmap(rootPixmap)) XKillClient(dpy, previous);

    const int screen = DefaultScreen(dpy);
    const Pixmap pixmap = XCreatePixmap(dpy, root, 1, 1, DefaultDepth(dpy, screen));
    GC gc = XCreateGC(dpy, pixmap, 0, nullptr);
    XSetForeground(dpy, gc, colour);
    XFillRectangle(dpy, pixmap, gc, 0, 0, 1, 1);
    XFreeGC(dpy, gc);
    for (const Atom property : {rootPixmap, setterPixmap}) {
        XChangeProperty(dpy, root, property, XA_PIXMAP, 32, PropModeReplace,
                        reinterpret_cast<const unsigned char*>(&pixmap), 1);
    }
    XSetWindowBackgroundPixmap(dpy, root, pixmap);
    XClearWindow(dpy, root);
    XSetCloseDownMode(dpy, RetainPermanent);
    return 0;
}

int printState(Display* dpy, Window win) {
    Atom type = None;
    int format = 0;
    unsigned long count = 0, after = 0;
    unsigned char* data = nullptr;
    const Atom wmState = atom(dpy, "WM_STATE");
    if (XGetWindowProperty(dpy, win, wmState, 0, 2, False, wmState, &type, &format, &count, &after,
                           &data) != Success) {
        return 1;
    }
    const char* name = "none";
    if (data != nullptr && count > 0) {
        const long value = reinterpret_cast<long*>(data)[0];
        name = value == NormalState      ? "Normal"
               : value == IconicState    ? "Iconic"
               : value == WithdrawnState ? "Withdrawn"
                                         : "other";
    }
    std::printf("wm_state %s\n", name);
    if (data != nullptr) XFree(data);
    data = nullptr;
    std::printf("net_wm_state");
    if (XGetWindowProperty(dpy, win, atom(dpy, "_NET_WM_STATE"), 0, 64, False, XA_ATOM, &type,
                           &format, &count, &after, &data) == Success &&
        data != nullptr) {
        const auto* atoms = reinterpret_cast<const Atom*>(data);
        for (unsigned long i = 0; i < count; ++i) {
            char* atomName = XGetAtomName(dpy, atoms[i]);
            std::printf(" %s", atomName != nullptr ? atomName : "?");
            if (atomName != nullptr) XFree(atomName);
        }
        XFree(data);
    }
    std::printf("\n");
    return 0;
}

int badWindow = 0;
int onXError(Display*, XErrorEvent* error) {
    if (error->error_code == BadWindow) badWindow = 1;
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    std::vector<std::string> args(argv + 1, argv + argc);
    const char* displayName = nullptr;
    if (args.size() >= 2 && args[0] == "--display") {
        displayName = argv[2];
        args.erase(args.begin(), args.begin() + 2);
    }
    if (args.empty()) return usage();
    const std::string command = args[0];
    std::vector<long> numbers;
    for (std::size_t i = 1; i < args.size(); ++i) {
        long value = 0;
        if (command == "selection") break;
        if (command == "message" && (i == 2 || i == 3)) continue;  // atom names
        if ((command == "window" && i == 5) || command == "background") {
            value = std::strtol(args[i].c_str(), nullptr, 16);
        } else if (!toLong(args[i].c_str(), value)) {
            return usage();
        }
        numbers.push_back(value);
    }

    Display* dpy = XOpenDisplay(displayName);
    if (dpy == nullptr) {
        std::fprintf(stderr, "kiprun-xwindow: cannot open display %s\n", XDisplayName(displayName));
        return 2;
    }
    XSetErrorHandler(onXError);
    int status = 0;
    if (command == "window" && (numbers.size() == 4 || numbers.size() == 5)) {
        status =
            openWindow(dpy, numbers[0], numbers[1], numbers[2], numbers[3],
                       numbers.size() == 5 ? static_cast<unsigned long>(numbers[4]) : 0x3050c0);
    } else if (command == "dock" && (numbers.size() == 1 || numbers.size() == 4)) {
        const DockSpan span = numbers.size() == 4 ? DockSpan{numbers[1], numbers[2], numbers[3]}
                                                  : wholeWidth(dpy);
        status = openDock(dpy, numbers[0], span);
    } else if (command == "strut" && (numbers.size() == 2 || numbers.size() == 5)) {
        const DockSpan span = numbers.size() == 5 ? DockSpan{numbers[2], numbers[3], numbers[4]}
                                                  : wholeWidth(dpy);
        status = changeStrut(dpy, static_cast<Window>(numbers[0]), numbers[1], span);
    } else if (command == "message" && args.size() >= 3 && args.size() <= 5) {
        status = sendMessages(dpy, static_cast<Window>(numbers[0]), args[2],
                              args.size() >= 4 ? args[3] : std::string(),
                              numbers.size() == 2 ? numbers[1] : 1);
    } else if (command == "close" && numbers.size() == 1) {
        status = sendClose(dpy, static_cast<Window>(numbers[0]));
    } else if (command == "wmstate" && numbers.size() == 2) {
        status = sendStateStorm(dpy, static_cast<Window>(numbers[0]), numbers[1]);
    } else if (command == "junkhints" && numbers.size() == 1) {
        status = setJunkHints(dpy, static_cast<Window>(numbers[0]));
    } else if (command == "workarea" && numbers.size() == 4) {
        status = setWorkArea(dpy, numbers[0], numbers[1], numbers[2], numbers[3]);
    } else if (command == "background" && numbers.size() == 1) {
        status = setBackground(dpy, static_cast<unsigned long>(numbers[0]));
    } else if (command == "selection" && args.size() == 2) {
        status = XGetSelectionOwner(dpy, atom(dpy, args[1].c_str())) != None ? 0 : 1;
    } else if (command == "state" && numbers.size() == 1) {
        status = printState(dpy, static_cast<Window>(numbers[0]));
    } else {
        XCloseDisplay(dpy);
        return usage();
    }
    XSync(dpy, False);
    if (badWindow != 0) status = 1;
    XCloseDisplay(dpy);
    return status;
}
