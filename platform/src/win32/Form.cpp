#include "platform/Form.h"

#include <windowsx.h>

#include <algorithm>
#include <atomic>
#include <map>
#include <memory>
#include <vector>

#include "common/Backend.h"
#include "platform/Clock.h"
#include "platform/Menu.h"
#include "platform/RuntimeError.h"
#include "platform/Screen.h"
#include "win32/FormImpl.h"
#include "win32/PictureImpl.h"
#include "win32/Win32Support.h"

namespace platform {

using namespace platform::win32;

namespace {

std::atomic<std::int64_t> g_liveForms{0};

DWORD styleOf(FormStyle style) {
    if (style == FormStyle::Dialog) return WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN;
    return WS_POPUP | WS_CLIPCHILDREN;
}

DWORD exStyleOf(FormStyle style) {
    if (style == FormStyle::Dialog) return WS_EX_DLGMODALFRAME;
    // Out of the taskbar, and a click does not take the focus from the user's work.
    return WS_EX_TOOLWINDOW | WS_EX_NOACTIVATE;
}

int shiftState() {
    int shift = 0;
    if (GetKeyState(VK_SHIFT) < 0) shift |= 1;
    if (GetKeyState(VK_CONTROL) < 0) shift |= 2;
    if (GetKeyState(VK_MENU) < 0) shift |= 4;
    return shift;
}

// The items of a popup menu the program draws itself, when the system's menu font lacks the
// glyphs of the captions: each with its caption, all with one font that has them.
struct DrawnItem {
    std::wstring caption;
    HFONT font = nullptr;
};
struct DrawnMenu {
    HFONT font = nullptr;
    std::vector<std::unique_ptr<DrawnItem>> items;
    DrawnMenu() = default;
    DrawnMenu(const DrawnMenu&) = delete;
    DrawnMenu& operator=(const DrawnMenu&) = delete;
    ~DrawnMenu() {
        if (font) DeleteObject(font);
    }
};

std::wstring allCaptions(const MenuItem& menu) {
    std::wstring all;
    for (const auto& child : menu.children()) {
        if (!child->visible() || child->isSeparator()) continue;
        all += widen(child->caption());
        all += allCaptions(*child);
    }
    return all;
}

HMENU buildMenu(const MenuItem& menu, std::map<UINT, MenuItem*>& ids, DrawnMenu& drawn) {
    HMENU popup = CreatePopupMenu();
    for (const auto& child : menu.children()) {
        if (!child->visible()) continue;
        if (child->isSeparator()) {
            AppendMenuW(popup, MF_SEPARATOR, 0, nullptr);
            continue;
        }
        UINT flags = MF_STRING;
        if (child->checked()) flags |= MF_CHECKED;
        if (!child->enabled()) flags |= MF_GRAYED;
        std::wstring caption = widen(child->caption());
        // An owner-drawn item carries its DrawnItem where a string item carries its text.
        const wchar_t* content = caption.c_str();
        if (drawn.font) {
            drawn.items.push_back(std::make_unique<DrawnItem>(DrawnItem{caption, drawn.font}));
            flags = (flags & ~static_cast<UINT>(MF_STRING)) | MF_OWNERDRAW;
            content = reinterpret_cast<const wchar_t*>(drawn.items.back().get());
        }
        if (!child->children().empty()) {
            HMENU sub = buildMenu(*child, ids, drawn);
            AppendMenuW(popup, flags | MF_POPUP, reinterpret_cast<UINT_PTR>(sub), content);
        } else {
            UINT id = static_cast<UINT>(ids.size() + 1);
            ids[id] = child.get();
            AppendMenuW(popup, flags, id, content);
        }
    }
    return popup;
}

HICON iconFromPicture(const Picture& picture) {
    HBITMAP color = picture.impl() ? picture.impl()->bitmap() : nullptr;
    if (!color) return nullptr;
    int w = picture.widthPixels();
    int h = picture.heightPixels();
    // An all-zero mask: every pixel of the picture is shown.
    std::vector<unsigned char> maskBits(static_cast<std::size_t>((w + 15) / 16 * 2) * h, 0);
    HBITMAP mask = CreateBitmap(w, h, 1, 1, maskBits.data());
    ICONINFO info{};
    info.fIcon = TRUE;
    info.hbmColor = color;
    info.hbmMask = mask;
    HICON icon = CreateIconIndirect(&info);
    DeleteObject(mask);
    return icon;
}

void measureMenuItem(MEASUREITEMSTRUCT& item) {
    const auto* drawn = reinterpret_cast<const DrawnItem*>(item.itemData);
    if (!drawn) return;
    HDC dc = GetDC(nullptr);
    HGDIOBJ old = SelectObject(dc, drawn->font);
    SIZE text{};
    GetTextExtentPoint32W(dc, drawn->caption.c_str(), static_cast<int>(drawn->caption.size()),
                          &text);
    SelectObject(dc, old);
    ReleaseDC(nullptr, dc);
    // Room for the check mark on the left and for the submenu arrow on the right.
    int mark = GetSystemMetrics(SM_CXMENUCHECK);
    item.itemWidth = static_cast<UINT>(text.cx + 2 * mark);
    item.itemHeight =
        static_cast<UINT>(std::max<int>(text.cy + 6, GetSystemMetrics(SM_CYMENUCHECK)));
}

void drawMenuItem(const DRAWITEMSTRUCT& item) {
    const auto* drawn = reinterpret_cast<const DrawnItem*>(item.itemData);
    if (!drawn) return;
    HDC dc = item.hDC;
    const bool selected = (item.itemState & ODS_SELECTED) != 0;
    const bool grayed = (item.itemState & (ODS_GRAYED | ODS_DISABLED)) != 0;
    FillRect(dc, &item.rcItem, GetSysColorBrush(selected ? COLOR_HIGHLIGHT : COLOR_MENU));
    COLORREF color = GetSysColor(grayed     ? COLOR_GRAYTEXT
                                 : selected ? COLOR_HIGHLIGHTTEXT
                                            : COLOR_MENUTEXT);
    int mark = GetSystemMetrics(SM_CXMENUCHECK);
    if (item.itemState & ODS_CHECKED) {
        // A check mark of three strokes in the text's colour.
        int x = item.rcItem.left + mark / 4;
        int y = (item.rcItem.top + item.rcItem.bottom) / 2;
        HPEN pen = CreatePen(PS_SOLID, 1, color);
        HGDIOBJ oldPen = SelectObject(dc, pen);
        for (int i = 0; i < 3; ++i) {
            MoveToEx(dc, x, y - 1 + i, nullptr);
            LineTo(dc, x + 2, y + 1 + i);
            LineTo(dc, x + 7, y - 4 + i);
        }
        SelectObject(dc, oldPen);
        DeleteObject(pen);
    }
    RECT text = item.rcItem;
    text.left += mark;
    HGDIOBJ oldFont = SelectObject(dc, drawn->font);
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, color);
    DrawTextW(dc, drawn->caption.c_str(), static_cast<int>(drawn->caption.size()), &text,
              DT_SINGLELINE | DT_VCENTER | DT_LEFT | DT_HIDEPREFIX);
    SelectObject(dc, oldFont);
}

struct DisabledWindows {
    HWND self;
    std::vector<HWND> windows;
};

BOOL CALLBACK disableOther(HWND w, LPARAM data) {
    auto* d = reinterpret_cast<DisabledWindows*>(data);
    if (w != d->self && IsWindowEnabled(w)) {
        EnableWindow(w, FALSE);
        d->windows.push_back(w);
    }
    return TRUE;
}

}  // namespace

// ---- Form::Impl

Form::Impl::Impl(Form& form, FormStyle s)
    : owner(form), style(s), surface(GetSysColor(COLOR_BTNFACE) & 0xFFFFFF, kBlack) {
    HWND parent = style == FormStyle::Dialog ? hostWindow() : nullptr;
    HWND hwnd = CreateWindowExW(exStyleOf(style), topLevelClass(), L"Form1", styleOf(style), 0, 0,
                                toDevice(twipsToPixelsX(width)), toDevice(twipsToPixelsY(height)),
                                parent, nullptr, instance(), static_cast<NativeWindow*>(this));
    surface.hwnd = hwnd;
    if (hwnd) {
        RECT client{};
        GetClientRect(hwnd, &client);
        surface.resizeBuffer(fromDeviceCeil(client.right), fromDeviceCeil(client.bottom));
        surface.cls();
    }
}

Form::Impl::~Impl() {
    *alive = false;
    if (surface.hwnd) DestroyWindow(surface.hwnd);
    if (icon) DestroyIcon(icon);
}

void Form::Impl::detached(HWND) {
    surface.hwnd = nullptr;
    *alive = false;
}

RECT Form::Impl::windowRect() const {
    RECT r{};
    if (surface.hwnd) GetWindowRect(surface.hwnd, &r);
    return r;
}

void Form::Impl::setGeometry(float l, float t, float w, float h) {
    left = l;
    top = t;
    width = std::max(0.0f, w);
    height = std::max(0.0f, h);
    if (!surface.hwnd) return;
    SetWindowPos(surface.hwnd, nullptr, toDevice(twipsToPixelsX(left)),
                 toDevice(twipsToPixelsY(top)), toDevice(twipsToPixelsX(width)),
                 toDevice(twipsToPixelsY(height)),
                 SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOOWNERZORDER);
}

CommandButton* Form::Impl::buttonById(int id) const {
    for (const auto& b : buttons) {
        if (b->impl()->id == id) return b.get();
    }
    return nullptr;
}

void Form::Impl::paint() {
    PAINTSTRUCT ps;
    HDC screen = BeginPaint(surface.hwnd, &ps);
    // The window's images and lines go over a copy of the back buffer, in program pixels, and
    // the whole is then shown at the screen's scale.
    int w = std::max(surface.bufferWidth(), 1);
    int h = std::max(surface.bufferHeight(), 1);
    HDC dc = CreateCompatibleDC(surface.dc());
    HBITMAP composed = CreateCompatibleBitmap(surface.dc(), w, h);
    HGDIOBJ oldComposed = SelectObject(dc, composed);
    BitBlt(dc, 0, 0, w, h, surface.dc(), 0, 0, SRCCOPY);
    for (const auto& image : images) {
        const Image::Impl& im = *image->impl();
        HBITMAP bitmap = im.picture.impl() ? im.picture.impl()->bitmap() : nullptr;
        if (!bitmap) continue;
        HDC source = CreateCompatibleDC(dc);
        HGDIOBJ old = SelectObject(source, bitmap);
        SetStretchBltMode(dc, COLORONCOLOR);
        StretchBlt(dc, twipsToPixelsX(im.left), twipsToPixelsY(im.top), twipsToPixelsX(im.width),
                   twipsToPixelsY(im.height), source, 0, 0, im.picture.widthPixels(),
                   im.picture.heightPixels(), SRCCOPY);
        SelectObject(source, old);
        DeleteDC(source);
    }
    for (const auto& shape : lines) {
        const LineShape::Impl& ln = *shape->impl();
        HPEN pen = CreatePen(PS_SOLID, 1, ln.color & 0xFFFFFF);
        HGDIOBJ old = SelectObject(dc, pen);
        MoveToEx(dc, twipsToPixelsX(ln.x1), twipsToPixelsY(ln.y1), nullptr);
        LineTo(dc, twipsToPixelsX(ln.x2), twipsToPixelsY(ln.y2));
        SelectObject(dc, old);
        DeleteObject(pen);
    }
    paintBuffer(dc, screen, ps.rcPaint);
    SelectObject(dc, oldComposed);
    DeleteObject(composed);
    DeleteDC(dc);
    EndPaint(surface.hwnd, &ps);
}

bool Form::Impl::handle(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    switch (message) {
        case WM_PAINT:
            paint();
            return true;
        case WM_ERASEBKGND:
            result = 1;
            return true;
        case WM_SIZE:
            surface.resizeBuffer(fromDeviceCeil(LOWORD(lParam)), fromDeviceCeil(HIWORD(lParam)));
            return false;
        case WM_MOUSEACTIVATE:
            if (style == FormStyle::Shaped) {
                result = MA_NOACTIVATE;
                return true;
            }
            return false;
        case WM_LBUTTONDOWN:
        case WM_RBUTTONDOWN:
        case WM_MBUTTONDOWN: {
            int button = message == WM_LBUTTONDOWN   ? kLeftButton
                         : message == WM_RBUTTONDOWN ? kRightButton
                                                     : kMiddleButton;
            float x = pixelsToTwipsX(fromDevice(GET_X_LPARAM(lParam)));
            float y = pixelsToTwipsY(fromDevice(GET_Y_LPARAM(lParam)));
            owner.dispatchMouseDown(button, shiftState(), x, y);
            return true;
        }
        case WM_DISPLAYCHANGE:
        case WM_SETTINGCHANGE:
            // Every top-level window hears of a new resolution or work area; the program's
            // first window alone passes it on.
            if ((message == WM_DISPLAYCHANGE || wParam == SPI_SETWORKAREA) &&
                !loadedForms().empty() && loadedForms().front() == &owner) {
                backend::notifyScreenChanged();
            }
            return false;
        case WM_CLOSE: {
            owner.dispatchCloseRequest();
            return true;
        }
        case WM_MEASUREITEM: {
            auto* item = reinterpret_cast<MEASUREITEMSTRUCT*>(lParam);
            if (!item || item->CtlType != ODT_MENU) return false;
            measureMenuItem(*item);
            result = TRUE;
            return true;
        }
        case WM_DRAWITEM: {
            const auto* item = reinterpret_cast<const DRAWITEMSTRUCT*>(lParam);
            if (!item || item->CtlType != ODT_MENU) return false;
            drawMenuItem(*item);
            result = TRUE;
            return true;
        }
        case DM_GETDEFID:
            for (const auto& b : buttons) {
                if (b->impl()->isDefault) {
                    result = MAKELRESULT(b->impl()->id, DC_HASDEFID);
                    return true;
                }
            }
            return false;
        case WM_COMMAND: {
            int id = LOWORD(wParam);
            CommandButton* button = buttonById(id);
            if (!button && (id == IDOK || id == IDCANCEL)) {
                for (const auto& b : buttons) {
                    if ((id == IDOK && b->impl()->isDefault) ||
                        (id == IDCANCEL && b->impl()->isCancel)) {
                        button = b.get();
                        break;
                    }
                }
            }
            if (button) button->click();
            return true;
        }
        default:
            (void)hwnd;
            return false;
    }
}

// ---- Form

Form::Form(std::string name, FormStyle style)
    : Surface(std::move(name)), m_impl(std::make_unique<Impl>(*this, style)) {
    ++g_liveForms;
}

Form::~Form() {
    // Controls go before the window that holds them.
    m_impl->timers.clear();
    m_impl->buttons.clear();
    m_impl->lines.clear();
    m_impl->images.clear();
    m_impl->labels.clear();
    m_impl->pictureBoxes.clear();
    m_impl.reset();
    --g_liveForms;
}

void Form::destroyNative() {
    for (auto& t : m_impl->timers) t->setEnabled(false);
    *m_impl->alive = false;
    if (m_impl->surface.hwnd) DestroyWindow(m_impl->surface.hwnd);
    m_impl->surface.hwnd = nullptr;
}

std::int64_t Form::liveCount() { return g_liveForms.load(); }

FormStyle Form::style() const { return m_impl->style; }

std::string Form::caption() const {
    HWND hwnd = m_impl->surface.hwnd;
    if (!hwnd) return {};
    int n = GetWindowTextLengthW(hwnd);
    std::wstring text(static_cast<std::size_t>(n) + 1, L'\0');
    GetWindowTextW(hwnd, text.data(), n + 1);
    text.resize(static_cast<std::size_t>(n));
    return narrow(text);
}

void Form::setCaption(const std::string& caption) {
    if (m_impl->surface.hwnd) SetWindowTextW(m_impl->surface.hwnd, widen(caption).c_str());
}

void Form::setIcon(const Picture& icon) {
    HICON made = iconFromPicture(icon);
    if (!made) return;
    if (m_impl->surface.hwnd) {
        SendMessageW(m_impl->surface.hwnd, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(made));
        SendMessageW(m_impl->surface.hwnd, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(made));
    }
    if (m_impl->icon) DestroyIcon(m_impl->icon);
    m_impl->icon = made;
}

void Form::move(float left, float top) {
    m_impl->setGeometry(left, top, m_impl->width, m_impl->height);
}

void Form::move(float left, float top, float width, float height) {
    m_impl->setGeometry(left, top, width, height);
}

void Form::setClientSize(float width, float height) {
    int clientW = toDevice(twipsToPixelsX(width));
    int clientH = toDevice(twipsToPixelsY(height));
    RECT r{0, 0, clientW, clientH};
    AdjustWindowRectEx(&r, styleOf(m_impl->style), FALSE, exStyleOf(m_impl->style));
    // The frame in whole program pixels, rounded up so the client area is never short.
    float frameX = pixelsToTwipsX(fromDeviceCeil((r.right - r.left) - clientW));
    float frameY = pixelsToTwipsY(fromDeviceCeil((r.bottom - r.top) - clientH));
    m_impl->setGeometry(m_impl->left, m_impl->top, width + frameX, height + frameY);
}

void Form::centerOnScreen() {
    move((Screen::width() - width()) / 2, (Screen::height() - height()) / 2);
}

void Form::show() {
    HWND hwnd = m_impl->surface.hwnd;
    if (!hwnd) return;
    ShowWindow(hwnd, m_impl->style == FormStyle::Shaped ? SW_SHOWNOACTIVATE : SW_SHOW);
    UpdateWindow(hwnd);
}

void Form::hide() {
    if (m_impl->surface.hwnd) ShowWindow(m_impl->surface.hwnd, SW_HIDE);
}

void Form::showModal() {
    // The wait runs as an event handler of its own, so a window unloaded meanwhile (this one
    // by its OK button) is freed only after it.
    dispatch([this] {
        HWND hwnd = m_impl->surface.hwnd;
        if (!hwnd) return;
        std::shared_ptr<bool> alive = m_impl->alive;
        // Input to the program's other windows is blocked while the box is up.
        DisabledWindows disabled{hwnd, {}};
        EnumThreadWindows(GetCurrentThreadId(), &disableOther, reinterpret_cast<LPARAM>(&disabled));
        HWND outer = modalWindow();
        setModalWindow(hwnd);
        show();
        SetForegroundWindow(hwnd);
        SetActiveWindow(hwnd);
        // Waiting through the active clock keeps the timers ticking, serves input (Enter and
        // Escape reach the default and cancel buttons) and lets tests close the box in virtual
        // time.
        while (*alive && IsWindow(hwnd) && IsWindowVisible(hwnd)) clock().waitEvents(100);
        setModalWindow(outer);
        for (HWND w : disabled.windows) {
            if (IsWindow(w)) EnableWindow(w, TRUE);
        }
    });
}

PictureBox& Form::addPictureBox(const std::string& name) {
    // The name of any control of the window is taken.
    bool taken = pictureBox(name) != nullptr || timer(name) != nullptr;
    for (const auto& l : m_impl->labels) taken = taken || l->name() == name;
    if (taken) raise(ErrorCode::kInvalidArgument);
    m_impl->pictureBoxes.push_back(std::unique_ptr<PictureBox>(new PictureBox(*this, name)));
    return *m_impl->pictureBoxes.back();
}

PictureBox* Form::pictureBox(const std::string& name) const {
    for (const auto& p : m_impl->pictureBoxes) {
        if (p->name() == name) return p.get();
    }
    return nullptr;
}

Label& Form::addLabel(const std::string& name) {
    m_impl->labels.push_back(std::unique_ptr<Label>(new Label(*this, name)));
    return *m_impl->labels.back();
}

Image& Form::addImage(const std::string& name) {
    m_impl->images.push_back(std::unique_ptr<Image>(new Image(*this, name)));
    return *m_impl->images.back();
}

LineShape& Form::addLine(const std::string& name) {
    m_impl->lines.push_back(std::unique_ptr<LineShape>(new LineShape(*this, name)));
    return *m_impl->lines.back();
}

CommandButton& Form::addCommandButton(const std::string& name) {
    m_impl->buttons.push_back(std::unique_ptr<CommandButton>(new CommandButton(*this, name)));
    return *m_impl->buttons.back();
}

Timer& Form::addTimer(const std::string& name, int intervalMs) {
    m_impl->timers.push_back(std::unique_ptr<Timer>(new Timer(name, intervalMs)));
    return *m_impl->timers.back();
}

Timer* Form::timer(const std::string& name) const {
    for (const auto& t : m_impl->timers) {
        if (t->name() == name) return t.get();
    }
    return nullptr;
}

void Form::popupMenu(MenuItem& menu) {
    if (const auto& handler = hooks::popupMenuHandler()) {
        if (MenuItem* chosen = handler(menu)) chosen->click();
        return;
    }
    HWND hwnd = m_impl->surface.hwnd;
    if (!hwnd) return;
    std::map<UINT, MenuItem*> ids;
    DrawnMenu drawn;
    drawn.font = menuFallbackFont(allCaptions(menu));
    HMENU popup = buildMenu(menu, ids, drawn);
    POINT at{};
    GetCursorPos(&at);
    // The owner must be the foreground window, or the menu does not close when the user
    // clicks elsewhere.
    SetForegroundWindow(hwnd);
    UINT chosen = static_cast<UINT>(TrackPopupMenuEx(
        popup, TPM_RETURNCMD | TPM_NONOTIFY | TPM_LEFTALIGN | TPM_TOPALIGN | TPM_RIGHTBUTTON, at.x,
        at.y, hwnd, nullptr));
    PostMessageW(hwnd, WM_NULL, 0, 0);
    DestroyMenu(popup);
    auto it = ids.find(chosen);
    if (it != ids.end()) it->second->click();
}

void Form::dispatchMouseDown(int button, int shift, float x, float y) {
    dispatch([this, button, shift, x, y] { onMouseDown(button, shift, x, y); });
}

// ---- Surface

// Geometry reads back the twips the program set; the window has them rounded to pixels.
float Form::left() const { return m_impl->left; }
float Form::top() const { return m_impl->top; }
float Form::width() const { return m_impl->width; }
float Form::height() const { return m_impl->height; }
void Form::setLeft(float twips) { move(twips, m_impl->top); }
void Form::setTop(float twips) { move(m_impl->left, twips); }
void Form::setWidth(float twips) { move(m_impl->left, m_impl->top, twips, m_impl->height); }
void Form::setHeight(float twips) { move(m_impl->left, m_impl->top, m_impl->width, twips); }
int Form::widthPixels() const {
    RECT r = m_impl->windowRect();
    return fromDeviceCeil(r.right - r.left);
}
int Form::heightPixels() const {
    RECT r = m_impl->windowRect();
    return fromDeviceCeil(r.bottom - r.top);
}
bool Form::visible() const { return m_impl->surface.hwnd && IsWindowVisible(m_impl->surface.hwnd); }
void Form::setVisible(bool visible) {
    if (visible) {
        show();
    } else {
        hide();
    }
}
std::uintptr_t Form::hwnd() const { return reinterpret_cast<std::uintptr_t>(m_impl->surface.hwnd); }

SurfaceDrawing& Form::drawing() const { return m_impl->surface; }

}  // namespace platform
