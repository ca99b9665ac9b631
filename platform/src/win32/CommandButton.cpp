#include "platform/Controls.h"
#include "platform/Form.h"
#include "platform/RuntimeError.h"
#include "win32/FormImpl.h"
#include "win32/Win32Support.h"

namespace platform {

using namespace platform::win32;

CommandButton::Impl::Impl(Form& form, int buttonId) : container(form), id(buttonId) {
    hwnd = CreateWindowExW(0, L"BUTTON", L"", WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_PUSHBUTTON, 0,
                           0, toDevice(twipsToPixelsX(1215)), toDevice(twipsToPixelsY(495)),
                           reinterpret_cast<HWND>(container.hwnd()),
                           reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), instance(), nullptr);
    font = createFont("ＭＳ Ｐゴシック", 9, false, deviceScale());
    if (hwnd) SendMessageW(hwnd, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
}

CommandButton::Impl::~Impl() {
    if (hwnd && IsWindow(hwnd)) DestroyWindow(hwnd);
    if (font) DeleteObject(font);
}

CommandButton::CommandButton(Form& container, std::string)
    : m_impl(std::make_unique<Impl>(container, container.impl()->nextControlId++)) {}

CommandButton::~CommandButton() = default;

void CommandButton::setCaption(const std::string& text) {
    if (m_impl->hwnd) SetWindowTextW(m_impl->hwnd, widen(text).c_str());
}

std::string CommandButton::caption() const {
    if (!m_impl->hwnd || !IsWindow(m_impl->hwnd)) return {};
    wchar_t text[256] = {};
    GetWindowTextW(m_impl->hwnd, text, 256);
    return narrow(text);
}

void CommandButton::move(float left, float top, float width, float height) {
    if (!m_impl->hwnd) return;
    SetWindowPos(m_impl->hwnd, nullptr, toDevice(twipsToPixelsX(left)),
                 toDevice(twipsToPixelsY(top)), toDevice(twipsToPixelsX(width)),
                 toDevice(twipsToPixelsY(height)), SWP_NOZORDER | SWP_NOACTIVATE);
}

void CommandButton::setDefault(bool isDefault) {
    m_impl->isDefault = isDefault;
    if (m_impl->hwnd) {
        SendMessageW(m_impl->hwnd, BM_SETSTYLE, isDefault ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON, TRUE);
    }
}

void CommandButton::setCancel(bool isCancel) { m_impl->isCancel = isCancel; }

void CommandButton::setOnClick(std::function<void()> handler) {
    m_impl->onClick = std::move(handler);
}

void CommandButton::click() {
    // A copy: the handler may unload the window that holds this button.
    std::function<void()> handler = m_impl->onClick;
    if (handler) dispatch(handler);
}

}  // namespace platform
