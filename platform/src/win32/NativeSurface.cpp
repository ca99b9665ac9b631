#include "win32/NativeSurface.h"

#include <algorithm>

#include "platform/Picture.h"
#include "win32/PictureImpl.h"
#include "win32/RegionImpl.h"
#include "win32/Win32Support.h"

namespace platform::win32 {

namespace {

HBITMAP createBuffer(HDC dc, int width, int height, void** bits) {
    BITMAPINFO bi{};
    bi.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    bi.bmiHeader.biWidth = std::max(width, 1);
    bi.bmiHeader.biHeight = -std::max(height, 1);
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 32;
    return CreateDIBSection(dc, &bi, DIB_RGB_COLORS, bits, nullptr, 0);
}

void fillRect(HDC dc, const RECT& rect, Color color) {
    HBRUSH brush = CreateSolidBrush(color);
    FillRect(dc, &rect, brush);
    DeleteObject(brush);
}

}  // namespace

NativeSurface::NativeSurface(Color backColor, Color foreColor)
    : m_back(backColor), m_fore(foreColor) {
    m_dc = CreateCompatibleDC(nullptr);
    m_bitmap = createBuffer(m_dc, 1, 1, &m_bits);
    m_originalBitmap = SelectObject(m_dc, m_bitmap);
    m_width = 0;
    m_height = 0;
    SetBkMode(m_dc, TRANSPARENT);
}

NativeSurface::~NativeSurface() {
    SelectObject(m_dc, m_originalBitmap);
    if (m_bitmap) DeleteObject(m_bitmap);
    DeleteDC(m_dc);
    if (m_font) DeleteObject(m_font);
    if (m_clip) DeleteObject(m_clip);
}

void NativeSurface::resizeBuffer(int width, int height) {
    width = std::max(width, 0);
    height = std::max(height, 0);
    if (width == m_width && height == m_height) return;
    HDC newDc = CreateCompatibleDC(nullptr);
    void* newBits = nullptr;
    HBITMAP newBitmap = createBuffer(newDc, width, height, &newBits);
    HGDIOBJ original = SelectObject(newDc, newBitmap);
    RECT all{0, 0, std::max(width, 1), std::max(height, 1)};
    fillRect(newDc, all, m_back);
    BitBlt(newDc, 0, 0, std::min(width, m_width), std::min(height, m_height), m_dc, 0, 0, SRCCOPY);
    SelectObject(m_dc, m_originalBitmap);
    DeleteObject(m_bitmap);
    DeleteDC(m_dc);
    m_dc = newDc;
    m_bitmap = newBitmap;
    m_bits = newBits;
    m_originalBitmap = original;
    m_width = width;
    m_height = height;
    SetBkMode(m_dc, TRANSPARENT);
    if (m_clip) SelectClipRgn(m_dc, m_clip);
}

void NativeSurface::paintTo(HDC target, const RECT& area) const { paintBuffer(m_dc, target, area); }

void paintBuffer(HDC source, HDC target, const RECT& area) {
    int scale = deviceScale();
    if (scale == 1) {
        BitBlt(target, area.left, area.top, area.right - area.left, area.bottom - area.top, source,
               area.left, area.top, SRCCOPY);
        return;
    }
    // Every program pixel the area touches, each copied to a square of whole screen pixels
    // (nearest neighbour: no blending between pixels, so edges stay exact).
    int left = fromDevice(area.left);
    int top = fromDevice(area.top);
    int right = fromDeviceCeil(area.right);
    int bottom = fromDeviceCeil(area.bottom);
    SetStretchBltMode(target, COLORONCOLOR);
    StretchBlt(target, left * scale, top * scale, (right - left) * scale, (bottom - top) * scale,
               source, left, top, right - left, bottom - top, SRCCOPY);
}

void NativeSurface::invalidate() const {
    if (hwnd) InvalidateRect(hwnd, nullptr, FALSE);
}

void NativeSurface::setBackColor(Color color) {
    m_back = color & 0xFFFFFF;
    cls();
}

void NativeSurface::setFontName(const std::string& name) {
    m_fontName = name;
    if (m_font) DeleteObject(m_font);
    m_font = nullptr;
}

void NativeSurface::setFontSize(float points) {
    m_fontSize = points;
    if (m_font) DeleteObject(m_font);
    m_font = nullptr;
}

void NativeSurface::setFontBold(bool bold) {
    m_fontBold = bold;
    if (m_font) DeleteObject(m_font);
    m_font = nullptr;
}

HFONT NativeSurface::font() const {
    if (!m_font) m_font = createFont(m_fontName, m_fontSize, m_fontBold);
    return m_font;
}

void NativeSurface::cls() {
    RECT all{0, 0, std::max(m_width, 1), std::max(m_height, 1)};
    fillRect(m_dc, all, m_back);
    m_currentX = 0;
    m_currentY = 0;
    invalidate();
}

void NativeSurface::print(const std::string& text) {
    std::wstring wide = widen(text);
    HGDIOBJ old = SelectObject(m_dc, font());
    SetTextColor(m_dc, m_fore);
    SetBkMode(m_dc, TRANSPARENT);
    SetTextAlign(m_dc, TA_LEFT | TA_TOP | TA_NOUPDATECP);
    TextOutW(m_dc, twipsToPixelsX(m_currentX), twipsToPixelsY(m_currentY), wide.c_str(),
             static_cast<int>(wide.size()));
    TEXTMETRICW tm{};
    GetTextMetricsW(m_dc, &tm);
    SelectObject(m_dc, old);
    m_currentX = 0;
    m_currentY += pixelsToTwipsY(tm.tmHeight + tm.tmExternalLeading);
    invalidate();
}

float NativeSurface::textWidth(const std::string& text) const {
    std::wstring wide = widen(text);
    HGDIOBJ old = SelectObject(m_dc, font());
    SIZE size{};
    GetTextExtentPoint32W(m_dc, wide.c_str(), static_cast<int>(wide.size()), &size);
    SelectObject(m_dc, old);
    return pixelsToTwipsX(size.cx);
}

void NativeSurface::line(float x1, float y1, float x2, float y2, Color color) {
    HPEN pen = CreatePen(PS_SOLID, 1, color & 0xFFFFFF);
    HGDIOBJ old = SelectObject(m_dc, pen);
    // LineTo leaves out the end point, as the program expects.
    MoveToEx(m_dc, twipsToPixelsX(x1), twipsToPixelsY(y1), nullptr);
    LineTo(m_dc, twipsToPixelsX(x2), twipsToPixelsY(y2));
    SelectObject(m_dc, old);
    DeleteObject(pen);
    invalidate();
}

void NativeSurface::paintPicture(const Picture& picture, float x, float y) {
    HBITMAP bitmap = picture.impl() ? picture.impl()->bitmap() : nullptr;
    if (!bitmap) return;
    HDC source = CreateCompatibleDC(m_dc);
    HGDIOBJ old = SelectObject(source, bitmap);
    BitBlt(m_dc, twipsToPixelsX(x), twipsToPixelsY(y), picture.widthPixels(),
           picture.heightPixels(), source, 0, 0, SRCCOPY);
    SelectObject(source, old);
    DeleteDC(source);
    invalidate();
}

void NativeSurface::selectClip(const Region& clip) {
    if (!m_clip) m_clip = CreateRectRgn(0, 0, 0, 0);
    CombineRgn(m_clip, clip.impl()->handle, nullptr, RGN_COPY);
    SelectClipRgn(m_dc, m_clip);
    m_hasClip = true;
}

void NativeSurface::clearClip() {
    SelectClipRgn(m_dc, nullptr);
    if (m_clip) DeleteObject(m_clip);
    m_clip = nullptr;
    m_hasClip = false;
}

bool NativeSurface::setWindowRegion(Region&& region, bool redraw) {
    Region taken = std::move(region);
    HRGN handle = taken.impl()->release();
    if (!hwnd || !handle) {
        if (handle) DeleteObject(handle);
        return false;
    }
    if (deviceScale() != 1) {
        HRGN scaled = scaledRegion(handle, deviceScale(), 1);
        DeleteObject(handle);
        handle = scaled;
    }
    // From here on the system owns the handle.
    if (!SetWindowRgn(hwnd, handle, redraw ? TRUE : FALSE)) {
        DeleteObject(handle);
        return false;
    }
    if (redraw) {
        InvalidateRect(hwnd, nullptr, FALSE);
        UpdateWindow(hwnd);
    }
    return true;
}

std::optional<Region> NativeSurface::windowRegion() const {
    if (!hwnd) return std::nullopt;
    Region copy;
    if (GetWindowRgn(hwnd, copy.impl()->handle) == ERROR) return std::nullopt;
    if (deviceScale() != 1) {
        HRGN program = scaledRegion(copy.impl()->handle, 1, deviceScale());
        CombineRgn(copy.impl()->handle, program, nullptr, RGN_COPY);
        DeleteObject(program);
    }
    return copy;
}

Color NativeSurface::backBufferPixel(int x, int y) const {
    if (x < 0 || y < 0 || x >= m_width || y >= m_height) return 0;
    // Straight from the DIB's memory: GetPixel would refuse pixels outside the clip.
    if (!m_bits) return 0;
    GdiFlush();
    std::uint32_t p = static_cast<const std::uint32_t*>(
        m_bits)[static_cast<std::size_t>(y) * std::max(m_width, 1) + x];
    return rgb(static_cast<int>((p >> 16) & 0xFF), static_cast<int>((p >> 8) & 0xFF),
               static_cast<int>(p & 0xFF));
}

}  // namespace platform::win32
