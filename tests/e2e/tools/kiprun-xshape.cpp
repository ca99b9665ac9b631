// kiprun-xshape: reads windows back from the X server for the end-to-end tests.
//
// Usage:
//   kiprun-xshape [--display NAME] [--wait SECONDS] [--count N] [--unmapped] SELECTOR
// SELECTOR is one of
//   --id WINDOW     one window by id (decimal or 0x hex), mapped or not
//   --name TEXT     every client window whose _NET_WM_NAME (or WM_NAME) is exactly TEXT
//   --class TEXT    every client window whose WM_CLASS instance or class is exactly TEXT
//   --list          every client window
// Client windows are looked for among the root's children and, under a reparenting window
// manager, inside their frames. Only mapped (viewable) windows are reported unless --unmapped
// is given. --wait retries for up to SECONDS until at least --count windows (default 1) match.
//
// Output, one block per window, one item per line (fields separated by single spaces):
//   window 0x1a00007            the window id
//   name frmBall                its _NET_WM_NAME or WM_NAME, possibly empty
//   class kiprun Kiprun         WM_CLASS instance and class, possibly empty
//   mapped 1                    1 when viewable
//   position 200 700            its top-left corner on the root window, pixels
//   size 80 60                  width and height, pixels
//   shaped 1                    1 when a bounding shape is set
//   rects 2                     number of bounding-shape rectangles that follow
//   rect 0 0 20 60              x y width height, relative to the window's top-left
//   state _NET_WM_STATE_SKIP_TASKBAR _NET_WM_STATE_SKIP_PAGER   the _NET_WM_STATE atoms
//   end
// Without a bounding shape the single rectangle is the whole window.
//
// Exit status: 0 when at least --count windows matched, 1 when fewer did, 2 on a usage error
// or when the display cannot be opened.

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/shape.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

namespace {

enum class Selector { kNone, kId, kName, kClass, kList };

struct Options {
    const char* display = nullptr;
    double waitSeconds = 0;
    int count = 1;
    bool unmapped = false;
    Selector selector = Selector::kNone;
    std::string value;
};

int usage() {
    std::fprintf(stderr,
                 "usage: kiprun-xshape [--display NAME] [--wait SECONDS] [--count N] "
                 "[--unmapped] (--id WINDOW | --name TEXT | --class TEXT | --list)\n");
    return 2;
}

// Errors for windows that vanish between listing and reading are expected, not fatal.
int ignoreErrors(Display*, XErrorEvent*) { return 0; }

std::string property(Display* dpy, Window w, Atom name, Atom type) {
    Atom actualType = None;
    int format = 0;
    unsigned long items = 0;
    unsigned long after = 0;
    unsigned char* data = nullptr;
    std::string result;
    if (XGetWindowProperty(dpy, w, name, 0, 4096, False, type, &actualType, &format, &items, &after,
                           &data) == Success &&
        data != nullptr) {
        if (format == 8) result.assign(reinterpret_cast<char*>(data), items);
        XFree(data);
    }
    return result;
}

std::string windowName(Display* dpy, Window w) {
    const Atom netName = XInternAtom(dpy, "_NET_WM_NAME", False);
    const Atom utf8 = XInternAtom(dpy, "UTF8_STRING", False);
    std::string name = property(dpy, w, netName, utf8);
    if (name.empty()) name = property(dpy, w, XA_WM_NAME, AnyPropertyType);
    return name;
}

std::pair<std::string, std::string> windowClass(Display* dpy, Window w) {
    XClassHint hint{};
    if (XGetClassHint(dpy, w, &hint) == 0) return {};
    std::pair<std::string, std::string> result{hint.res_name ? hint.res_name : "",
                                               hint.res_class ? hint.res_class : ""};
    if (hint.res_name) XFree(hint.res_name);
    if (hint.res_class) XFree(hint.res_class);
    return result;
}

bool hasClass(Display* dpy, Window w) {
    XClassHint hint{};
    if (XGetClassHint(dpy, w, &hint) == 0) return false;
    if (hint.res_name) XFree(hint.res_name);
    if (hint.res_class) XFree(hint.res_class);
    return true;
}

std::vector<Window> children(Display* dpy, Window w) {
    Window root = 0;
    Window parent = 0;
    Window* list = nullptr;
    unsigned int n = 0;
    std::vector<Window> result;
    if (XQueryTree(dpy, w, &root, &parent, &list, &n) != 0 && list != nullptr) {
        result.assign(list, list + n);
        XFree(list);
    }
    return result;
}

// Client windows: those with WM_CLASS among the root's children, or inside a frame.
void collectClients(Display* dpy, Window w, int depth, std::vector<Window>& out) {
    for (Window child : children(dpy, w)) {
        if (hasClass(dpy, child)) {
            out.push_back(child);
        } else if (depth < 3) {
            collectClients(dpy, child, depth + 1, out);
        }
    }
}

bool viewable(Display* dpy, Window w) {
    XWindowAttributes attributes{};
    return XGetWindowAttributes(dpy, w, &attributes) != 0 && attributes.map_state == IsViewable;
}

bool matches(Display* dpy, Window w, const Options& options) {
    switch (options.selector) {
        case Selector::kName:
            return windowName(dpy, w) == options.value;
        case Selector::kClass: {
            const auto [instance, cls] = windowClass(dpy, w);
            return instance == options.value || cls == options.value;
        }
        default:
            return true;
    }
}

std::vector<Window> find(Display* dpy, const Options& options) {
    std::vector<Window> result;
    if (options.selector == Selector::kId) {
        const Window w = std::strtoul(options.value.c_str(), nullptr, 0);
        XWindowAttributes attributes{};
        if (XGetWindowAttributes(dpy, w, &attributes) != 0 &&
            (options.unmapped || attributes.map_state == IsViewable)) {
            result.push_back(w);
        }
        return result;
    }
    std::vector<Window> clients;
    collectClients(dpy, DefaultRootWindow(dpy), 0, clients);
    for (Window w : clients) {
        if ((options.unmapped || viewable(dpy, w)) && matches(dpy, w, options)) {
            result.push_back(w);
        }
    }
    return result;
}

void report(Display* dpy, Window w) {
    XWindowAttributes attributes{};
    if (XGetWindowAttributes(dpy, w, &attributes) == 0) return;
    int rootX = 0;
    int rootY = 0;
    Window child = 0;
    XTranslateCoordinates(dpy, w, DefaultRootWindow(dpy), 0, 0, &rootX, &rootY, &child);
    const auto [instance, cls] = windowClass(dpy, w);

    std::printf("window 0x%lx\n", static_cast<unsigned long>(w));
    std::printf("name %s\n", windowName(dpy, w).c_str());
    std::printf("class %s %s\n", instance.c_str(), cls.c_str());
    std::printf("mapped %d\n", attributes.map_state == IsViewable ? 1 : 0);
    std::printf("position %d %d\n", rootX, rootY);
    std::printf("size %d %d\n", attributes.width, attributes.height);

    Bool boundingShaped = False;
    Bool clipShaped = False;
    int bx = 0, by = 0, cx = 0, cy = 0;
    unsigned int bw = 0, bh = 0, cw = 0, ch = 0;
    XShapeQueryExtents(dpy, w, &boundingShaped, &bx, &by, &bw, &bh, &clipShaped, &cx, &cy, &cw,
                       &ch);
    std::printf("shaped %d\n", boundingShaped ? 1 : 0);
    int count = 0;
    int ordering = 0;
    XRectangle* rects = XShapeGetRectangles(dpy, w, ShapeBounding, &count, &ordering);
    std::printf("rects %d\n", count);
    for (int i = 0; i < count; ++i) {
        std::printf("rect %d %d %u %u\n", rects[i].x, rects[i].y, rects[i].width, rects[i].height);
    }
    if (rects != nullptr) XFree(rects);

    std::printf("state");
    const Atom netState = XInternAtom(dpy, "_NET_WM_STATE", False);
    Atom actualType = None;
    int format = 0;
    unsigned long items = 0;
    unsigned long after = 0;
    unsigned char* data = nullptr;
    if (XGetWindowProperty(dpy, w, netState, 0, 64, False, XA_ATOM, &actualType, &format, &items,
                           &after, &data) == Success &&
        data != nullptr) {
        const auto* atoms = reinterpret_cast<const Atom*>(data);
        for (unsigned long i = 0; i < items; ++i) {
            char* name = XGetAtomName(dpy, atoms[i]);
            if (name != nullptr) {
                std::printf(" %s", name);
                XFree(name);
            }
        }
        XFree(data);
    }
    std::printf("\nend\n");
}

}  // namespace

int main(int argc, char** argv) {
    Options options;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        const bool hasValue = i + 1 < argc;
        if (arg == "--display" && hasValue) {
            options.display = argv[++i];
        } else if (arg == "--wait" && hasValue) {
            options.waitSeconds = std::atof(argv[++i]);
        } else if (arg == "--count" && hasValue) {
            options.count = std::atoi(argv[++i]);
        } else if (arg == "--unmapped") {
            options.unmapped = true;
        } else if ((arg == "--id" || arg == "--name" || arg == "--class") && hasValue) {
            options.selector = arg == "--id"
                                   ? Selector::kId
                                   : (arg == "--name" ? Selector::kName : Selector::kClass);
            options.value = argv[++i];
        } else if (arg == "--list") {
            options.selector = Selector::kList;
        } else {
            return usage();
        }
    }
    if (options.selector == Selector::kNone) return usage();

    Display* dpy = XOpenDisplay(options.display);
    if (dpy == nullptr) {
        std::fprintf(stderr, "kiprun-xshape: cannot open display\n");
        return 2;
    }
    XSetErrorHandler(ignoreErrors);
    int shapeEvent = 0;
    int shapeError = 0;
    if (!XShapeQueryExtension(dpy, &shapeEvent, &shapeError)) {
        std::fprintf(stderr, "kiprun-xshape: the server has no SHAPE extension\n");
        XCloseDisplay(dpy);
        return 2;
    }

    const auto deadline = std::chrono::steady_clock::now() +
                          std::chrono::milliseconds(static_cast<long>(options.waitSeconds * 1000));
    std::vector<Window> found = find(dpy, options);
    while (static_cast<int>(found.size()) < options.count &&
           std::chrono::steady_clock::now() < deadline) {
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
        found = find(dpy, options);
    }
    for (Window w : found) report(dpy, w);
    XCloseDisplay(dpy);
    return static_cast<int>(found.size()) >= options.count ? 0 : 1;
}
