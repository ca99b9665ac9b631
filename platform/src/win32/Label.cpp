#include "platform/Controls.h"
#include "platform/Form.h"
#include "win32/FormImpl.h"
#include "win32/Win32Support.h"

namespace platform {

using namespace platform::win32;

Label::Impl::Impl(Form& form) : container(form), back(form.backColor()) {
    hwnd = CreateWindowExW(0, childClass(), L"", WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS, 0, 0,
                           toDevice(twipsToPixelsX(width)), toDevice(twipsToPixelsY(height)),
                           reinterpret_cast<HWND>(container.hwnd()), nullptr, instance(),
                           static_cast<NativeWindow*>(this));
}

Label::Impl::~Impl() {
    if (hwnd) DestroyWindow(hwnd);
    if (font) DeleteObject(font);
}

void Label::Impl::detached(HWND) { hwnd = nullptr; }

bool Label::Impl::handle(HWND window, UINT message, WPARAM, LPARAM, LRESULT& result) {
    switch (message) {
        case WM_PAINT: {
            PAINTSTRUCT ps;
            HDC dc = BeginPaint(window, &ps);
            RECT client{};
            GetClientRect(window, &client);
            HBRUSH brush = CreateSolidBrush(back);
            FillRect(dc, &client, brush);
            DeleteObject(brush);
            if (!caption.empty()) {
                // Drawn straight on the screen, so at the screen's size: crisp, not enlarged.
                if (!font) font = createFont(fontName, fontSize, fontBold, deviceScale());
                HGDIOBJ old = SelectObject(dc, font);
                SetBkMode(dc, TRANSPARENT);
                SetTextColor(dc, fore);
                UINT format = DT_WORDBREAK | DT_NOPREFIX;
                format |= alignment == 1 ? DT_RIGHT : alignment == 2 ? DT_CENTER : DT_LEFT;
                std::wstring text = widen(caption);
                DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &client, format);
                SelectObject(dc, old);
            }
            EndPaint(window, &ps);
            return true;
        }
        case WM_ERASEBKGND:
            result = 1;
            return true;
        case WM_NCHITTEST:
            // Clicks go through to the window beneath, as on a label drawn on its window.
            result = HTTRANSPARENT;
            return true;
        default:
            return false;
    }
}

Label::Label(Form& container, std::string name)
    : m_name(std::move(name)), m_impl(std::make_unique<Impl>(container)) {}

Label::~Label() = default;

float Label::left() const { return m_impl->left; }
float Label::top() const { return m_impl->top; }
float Label::width() const { return m_impl->width; }
float Label::height() const { return m_impl->height; }
void Label::move(float left, float top, float width, float height) {
    m_impl->left = left;
    m_impl->top = top;
    m_impl->width = width < 0 ? 0 : width;
    m_impl->height = height < 0 ? 0 : height;
    if (!m_impl->hwnd) return;
    SetWindowPos(m_impl->hwnd, nullptr, toDevice(twipsToPixelsX(m_impl->left)),
                 toDevice(twipsToPixelsY(m_impl->top)), toDevice(twipsToPixelsX(m_impl->width)),
                 toDevice(twipsToPixelsY(m_impl->height)), SWP_NOZORDER | SWP_NOACTIVATE);
    InvalidateRect(m_impl->hwnd, nullptr, FALSE);
}
void Label::setWidth(float twips) { move(m_impl->left, m_impl->top, twips, m_impl->height); }
std::string Label::caption() const { return m_impl->caption; }
void Label::setCaption(const std::string& text) {
    m_impl->caption = text;
    if (m_impl->hwnd) InvalidateRect(m_impl->hwnd, nullptr, FALSE);
}
Color Label::backColor() const { return m_impl->back; }
void Label::setBackColor(Color color) {
    m_impl->back = color & 0xFFFFFF;
    if (m_impl->hwnd) InvalidateRect(m_impl->hwnd, nullptr, FALSE);
}
Color Label::foreColor() const { return m_impl->fore; }
void Label::setForeColor(Color color) {
    m_impl->fore = color & 0xFFFFFF;
    if (m_impl->hwnd) InvalidateRect(m_impl->hwnd, nullptr, FALSE);
}
void Label::setFont(const std::string& name, float points, bool bold) {
    m_impl->fontName = name;
    m_impl->fontSize = points;
    m_impl->fontBold = bold;
    if (m_impl->font) DeleteObject(m_impl->font);
    m_impl->font = nullptr;
    if (m_impl->hwnd) InvalidateRect(m_impl->hwnd, nullptr, FALSE);
}
void Label::setAlignment(int alignment) {
    m_impl->alignment = alignment;
    if (m_impl->hwnd) InvalidateRect(m_impl->hwnd, nullptr, FALSE);
}
bool Label::visible() const {
    return m_impl->hwnd && (GetWindowLongPtrW(m_impl->hwnd, GWL_STYLE) & WS_VISIBLE) != 0;
}
void Label::setVisible(bool visible) {
    if (m_impl->hwnd) ShowWindow(m_impl->hwnd, visible ? SW_SHOWNA : SW_HIDE);
}

}  // namespace platform
