#pragma once
// What a top-level window and a picture box have in common on Win32: the native window, the
// persistent back buffer (a memory DC holding a DIB section, with the clip selected into it by
// SelectClipRgn), colours, font, the drawing position and the drawing calls. The window paints
// itself from the back buffer, so covered content comes back without the program's help.
// Internal to the Win32 backend.

#include <windows.h>

#include <cstdint>
#include <optional>
#include <string>

#include "platform/Color.h"
#include "platform/Region.h"

namespace platform {
class Picture;
}

namespace platform::win32 {

class NativeSurface {
public:
    NativeSurface(Color backColor, Color foreColor);
    ~NativeSurface();
    NativeSurface(const NativeSurface&) = delete;
    NativeSurface& operator=(const NativeSurface&) = delete;

    HWND hwnd = nullptr;

    // Called when the client area changed size: the buffer grows or shrinks keeping what it
    // holds, new parts are filled with the background colour.
    void resizeBuffer(int width, int height);
    HDC dc() const { return m_dc; }
    int bufferWidth() const { return m_width; }
    int bufferHeight() const { return m_height; }

    // Copies the buffer to a window's paint DC.
    void paintTo(HDC target, const RECT& area) const;
    // Marks the window for repainting from the buffer at the next event pass.
    void invalidate() const;

    Color backColor() const { return m_back; }
    void setBackColor(Color color);
    Color foreColor() const { return m_fore; }
    void setForeColor(Color color) { m_fore = color; }
    const std::string& fontName() const { return m_fontName; }
    void setFontName(const std::string& name);
    float fontSize() const { return m_fontSize; }
    void setFontSize(float points);
    bool fontBold() const { return m_fontBold; }
    void setFontBold(bool bold);
    HFONT font() const;
    bool autoRedraw() const { return m_autoRedraw; }
    void setAutoRedraw(bool on) { m_autoRedraw = on; }

    void cls();
    float currentX() const { return m_currentX; }
    float currentY() const { return m_currentY; }
    void setCurrentX(float twips) { m_currentX = twips; }
    void setCurrentY(float twips) { m_currentY = twips; }
    void print(const std::string& text);
    float textWidth(const std::string& text) const;
    void line(float x1, float y1, float x2, float y2, Color color);
    void paintPicture(const Picture& picture, float x, float y);
    void selectClip(const Region& clip);
    void clearClip();
    bool hasClip() const { return m_hasClip; }

    bool setWindowRegion(Region&& region, bool redraw);
    std::optional<Region> windowRegion() const;
    Color pixel(int x, int y) const;

private:
    HDC m_dc = nullptr;
    HBITMAP m_bitmap = nullptr;
    void* m_bits = nullptr;
    HGDIOBJ m_originalBitmap = nullptr;
    int m_width = 0;
    int m_height = 0;
    Color m_back;
    Color m_fore;
    std::string m_fontName = "ＭＳ Ｐゴシック";
    float m_fontSize = 9.0f;
    bool m_fontBold = false;
    mutable HFONT m_font = nullptr;
    bool m_autoRedraw = false;
    float m_currentX = 0;
    float m_currentY = 0;
    bool m_hasClip = false;
    // The clip kept with the surface, so it survives a resize of the buffer.
    HRGN m_clip = nullptr;
};

}  // namespace platform::win32
