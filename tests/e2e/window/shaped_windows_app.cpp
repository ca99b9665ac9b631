// Puts shaped windows of the window layer on a real X server for the end-to-end driver
// (shaped_windows_e2e.sh): a plain window underneath, an L shape and a ring. Every press on a
// window is appended to the log as "press NAME BUTTON X Y" (pixels within the window); once the
// windows stand where they belong the log gets the work area ("workarea LEFT TOP RIGHT BOTTOM"),
// "window NAME ID" lines and "ready". A right press on the L opens a popup menu of three items
// and a separator ("赤", "-", "青" checked, "切" disabled); choosing an item logs "click NAME",
// and "menu closed" follows when the popup call returns.
//
// Usage: shaped_windows_app LOG_FILE

#include <cstdio>
#include <string>

#include "platform/Application.h"
#include "platform/Clock.h"
#include "platform/Color.h"
#include "platform/Form.h"
#include "platform/Menu.h"
#include "platform/Region.h"
#include "platform/Screen.h"

namespace {

std::FILE* g_log = nullptr;

void logLine(const std::string& line) {
    std::fprintf(g_log, "%s\n", line.c_str());
    std::fflush(g_log);
}

float twipsX(int pixels) { return static_cast<float>(pixels * platform::Screen::twipsPerPixelX()); }
float twipsY(int pixels) { return static_cast<float>(pixels * platform::Screen::twipsPerPixelY()); }

class LoggingForm : public platform::Form {
public:
    explicit LoggingForm(const std::string& name) : Form(name) { setCaption(name); }

protected:
    void onMouseDown(int button, int /*shift*/, float x, float y) override {
        const int px = static_cast<int>(x / platform::Screen::twipsPerPixelX() + 0.5);
        const int py = static_cast<int>(y / platform::Screen::twipsPerPixelY() + 0.5);
        logLine("press " + name() + " " + std::to_string(button) + " " + std::to_string(px) + " " +
                std::to_string(py));
    }
};

class frmBelow : public LoggingForm {
public:
    frmBelow() : LoggingForm("frmBelow") {}
};

// A right press on the L opens a popup menu; the chosen item is logged as "click NAME".
class frmL : public LoggingForm {
public:
    frmL() : LoggingForm("frmL"), m_menu("mpop", "mpop") {
        for (const char* name : {"mRed", "sep001", "mBlue", "mOff"}) {
            const std::string n = name;
            platform::MenuItem& item = m_menu.add(n, n == "mRed"    ? "赤"
                                                     : n == "mBlue" ? "青"
                                                     : n == "mOff"  ? "切"
                                                                    : "-");
            item.setOnClick([n] { logLine("click " + n); });
        }
        m_menu.find("mBlue")->setChecked(true);
        m_menu.find("mOff")->setEnabled(false);
    }

protected:
    void onMouseDown(int button, int shift, float x, float y) override {
        LoggingForm::onMouseDown(button, shift, x, y);
        if (button == platform::kRightButton) {
            popupMenu(m_menu);
            logLine("menu closed");
        }
    }

private:
    platform::MenuItem m_menu;
};

class frmRing : public LoggingForm {
public:
    frmRing() : LoggingForm("frmRing") {}
};

void place(platform::Form& form, int x, int y, int width, int height, platform::Color color) {
    form.move(twipsX(x), twipsY(y), twipsX(width), twipsY(height));
    form.setBackColor(color);
}

void logWindow(const platform::Form& form) {
    char id[32];
    std::snprintf(id, sizeof id, "0x%lx", static_cast<unsigned long>(form.hwnd()));
    logLine("window " + form.name() + " " + id);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: shaped_windows_app LOG_FILE\n");
        return 2;
    }
    g_log = std::fopen(argv[1], "w");
    if (g_log == nullptr) return 2;
    platform::Application app(argc, argv);

    // A plain window under both shapes: presses outside a shape must arrive here.
    frmBelow& below = platform::form<frmBelow>();
    place(below, 0, 0, 360, 768, platform::rgb(128, 128, 128));
    below.show();
    platform::doEvents();

    // A ring in the screen's top-left corner, inside the window manager's top panel margin.
    frmRing& ring = platform::form<frmRing>();
    place(ring, 0, 0, 80, 80, platform::rgb(0, 0, 255));
    platform::Region ringShape = platform::Region::rectangle(0, 0, 80, 20);
    ringShape.unite(platform::Region::rectangle(0, 60, 80, 80));
    ringShape.unite(platform::Region::rectangle(0, 20, 20, 60));
    ringShape.unite(platform::Region::rectangle(60, 20, 80, 60));
    ring.setWindowRegion(std::move(ringShape), true);
    ring.show();

    // An L, first shown elsewhere, then moved while mapped to overlap the bottom margin.
    frmL& l = platform::form<frmL>();
    place(l, 100, 100, 80, 60, platform::rgb(255, 0, 0));
    platform::Region lShape = platform::Region::rectangle(0, 0, 20, 60);
    lShape.unite(platform::Region::rectangle(0, 40, 80, 60));
    l.setWindowRegion(std::move(lShape), true);
    l.show();
    platform::doEvents();
    l.move(twipsX(200), twipsY(700));

    // Let the window manager take the windows on before the driver looks.
    for (int i = 0; i < 20; ++i) platform::clock().waitEvents(20);

    const platform::Rect area = platform::Screen::workAreaPixels();
    logLine("workarea " + std::to_string(area.left) + " " + std::to_string(area.top) + " " +
            std::to_string(area.right) + " " + std::to_string(area.bottom));
    logWindow(below);
    logWindow(ring);
    logWindow(l);
    logLine("ready");
    return app.exec();
}
