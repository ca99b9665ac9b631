#include <algorithm>

#include "platform/Controls.h"
#include "platform/Form.h"
#include "win32/FormImpl.h"
#include "win32/Win32Support.h"

namespace platform {

using namespace platform::win32;

PictureBox::Impl::Impl(PictureBox& box, Form& form)
    : owner(box), container(form), surface(kWhite, kBlack) {
    HWND parent = reinterpret_cast<HWND>(container.hwnd());
    surface.hwnd =
        CreateWindowExW(0, childClass(), L"", WS_CHILD | WS_CLIPSIBLINGS, 0, 0,
                        toDevice(twipsToPixelsX(width)), toDevice(twipsToPixelsY(height)), parent,
                        nullptr, instance(), static_cast<NativeWindow*>(this));
    applyFrame();
    surface.cls();
}

PictureBox::Impl::~Impl() {
    if (surface.hwnd) DestroyWindow(surface.hwnd);
}

void PictureBox::Impl::detached(HWND) { surface.hwnd = nullptr; }

void PictureBox::Impl::applyFrame() {
    HWND hwnd = surface.hwnd;
    if (!hwnd) return;
    LONG_PTR style = GetWindowLongPtrW(hwnd, GWL_STYLE) & ~static_cast<LONG_PTR>(WS_BORDER);
    LONG_PTR ex = GetWindowLongPtrW(hwnd, GWL_EXSTYLE) & ~static_cast<LONG_PTR>(WS_EX_CLIENTEDGE);
    if (borderStyle == 1) {
        if (appearance == 1) {
            ex |= WS_EX_CLIENTEDGE;
        } else {
            style |= WS_BORDER;
        }
    }
    SetWindowLongPtrW(hwnd, GWL_STYLE, style);
    SetWindowLongPtrW(hwnd, GWL_EXSTYLE, ex);
    SetWindowPos(hwnd, nullptr, 0, 0, 0, 0,
                 SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
    RECT client{};
    GetClientRect(hwnd, &client);
    surface.resizeBuffer(fromDeviceCeil(client.right), fromDeviceCeil(client.bottom));
}

void PictureBox::Impl::setGeometry(float l, float t, float w, float h) {
    left = l;
    top = t;
    width = std::max(0.0f, w);
    height = std::max(0.0f, h);
    if (!surface.hwnd) return;
    SetWindowPos(surface.hwnd, nullptr, toDevice(twipsToPixelsX(left)),
                 toDevice(twipsToPixelsY(top)), toDevice(twipsToPixelsX(width)),
                 toDevice(twipsToPixelsY(height)), SWP_NOZORDER | SWP_NOACTIVATE);
}

bool PictureBox::Impl::handle(HWND hwnd, UINT message, WPARAM, LPARAM lParam, LRESULT& result) {
    switch (message) {
        case WM_PAINT: {
            PAINTSTRUCT ps;
            HDC dc = BeginPaint(hwnd, &ps);
            surface.paintTo(dc, ps.rcPaint);
            EndPaint(hwnd, &ps);
            return true;
        }
        case WM_ERASEBKGND:
            result = 1;
            return true;
        case WM_SIZE:
            surface.resizeBuffer(fromDeviceCeil(LOWORD(lParam)), fromDeviceCeil(HIWORD(lParam)));
            return false;
        case WM_MOUSEACTIVATE:
            if (container.style() == FormStyle::Shaped) {
                result = MA_NOACTIVATE;
                return true;
            }
            return false;
        default:
            return false;
    }
}

PictureBox::PictureBox(Form& container, std::string name)
    : Surface(std::move(name)), m_impl(std::make_unique<Impl>(*this, container)) {}

PictureBox::~PictureBox() = default;

int PictureBox::appearance() const { return m_impl->appearance; }
void PictureBox::setAppearance(int appearance) {
    m_impl->appearance = appearance;
    m_impl->applyFrame();
}
int PictureBox::borderStyle() const { return m_impl->borderStyle; }
void PictureBox::setBorderStyle(int style) {
    m_impl->borderStyle = style;
    m_impl->applyFrame();
}
Form& PictureBox::container() const { return m_impl->container; }

float PictureBox::left() const { return m_impl->left; }
float PictureBox::top() const { return m_impl->top; }
float PictureBox::width() const { return m_impl->width; }
float PictureBox::height() const { return m_impl->height; }
void PictureBox::setLeft(float twips) {
    m_impl->setGeometry(twips, m_impl->top, m_impl->width, m_impl->height);
}
void PictureBox::setTop(float twips) {
    m_impl->setGeometry(m_impl->left, twips, m_impl->width, m_impl->height);
}
void PictureBox::setWidth(float twips) {
    m_impl->setGeometry(m_impl->left, m_impl->top, twips, m_impl->height);
}
void PictureBox::setHeight(float twips) {
    m_impl->setGeometry(m_impl->left, m_impl->top, m_impl->width, twips);
}
int PictureBox::widthPixels() const {
    RECT r{};
    if (m_impl->surface.hwnd) GetWindowRect(m_impl->surface.hwnd, &r);
    return fromDeviceCeil(r.right - r.left);
}
int PictureBox::heightPixels() const {
    RECT r{};
    if (m_impl->surface.hwnd) GetWindowRect(m_impl->surface.hwnd, &r);
    return fromDeviceCeil(r.bottom - r.top);
}
bool PictureBox::visible() const {
    // The box's own flag, whether or not its container is shown.
    return m_impl->surface.hwnd &&
           (GetWindowLongPtrW(m_impl->surface.hwnd, GWL_STYLE) & WS_VISIBLE) != 0;
}
void PictureBox::setVisible(bool visible) {
    if (m_impl->surface.hwnd) ShowWindow(m_impl->surface.hwnd, visible ? SW_SHOWNA : SW_HIDE);
}
std::uintptr_t PictureBox::hwnd() const {
    return reinterpret_cast<std::uintptr_t>(m_impl->surface.hwnd);
}

SurfaceDrawing& PictureBox::drawing() const { return m_impl->surface; }

}  // namespace platform
