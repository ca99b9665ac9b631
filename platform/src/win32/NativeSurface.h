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

#include "common/SurfaceDrawing.h"
#include "platform/Color.h"
#include "platform/Region.h"

namespace platform {
class Picture;
}

namespace platform::win32 {

class NativeSurface : public SurfaceDrawing {
public:
    NativeSurface(Color backColor, Color foreColor);
    ~NativeSurface() override;
    NativeSurface(const NativeSurface&) = delete;
    NativeSurface& operator=(const NativeSurface&) = delete;

    HWND hwnd = nullptr;

    // Called when the client area changed size: the buffer grows or shrinks keeping what it
    // holds, new parts are filled with the background colour.
    void resizeBuffer(int width, int height);
    HDC dc() const { return m_dc; }
    int bufferWidth() const { return m_width; }
    int bufferHeight() const { return m_height; }

    // Copies the buffer to a window's paint DC; area is in screen pixels.
    void paintTo(HDC target, const RECT& area) const;
    // Marks the window for repainting from the buffer at the next event pass.
    void invalidate() const;

    Color backColor() const override { return m_back; }
    void setBackColor(Color color) override;
    Color foreColor() const override { return m_fore; }
    void setForeColor(Color color) override { m_fore = color; }
    std::string fontName() const override { return m_fontName; }
    void setFontName(const std::string& name) override;
    float fontSize() const override { return m_fontSize; }
    void setFontSize(float points) override;
    bool fontBold() const override { return m_fontBold; }
    void setFontBold(bool bold) override;
    HFONT font() const;
    bool autoRedraw() const override { return m_autoRedraw; }
    void setAutoRedraw(bool on) override { m_autoRedraw = on; }

    void cls() override;
    float currentX() const override { return m_currentX; }
    float currentY() const override { return m_currentY; }
    void setCurrentX(float twips) override { m_currentX = twips; }
    void setCurrentY(float twips) override { m_currentY = twips; }
    void print(const std::string& text) override;
    float textWidth(const std::string& text) const override;
    void line(float x1, float y1, float x2, float y2, Color color) override;
    void paintPicture(const Picture& picture, float x, float y) override;
    void selectClip(const Region& clip) override;
    void clearClip() override;
    bool hasClip() const override { return m_hasClip; }

    bool setWindowRegion(Region&& region, bool redraw) override;
    std::optional<Region> windowRegion() const override;
    Color backBufferPixel(int x, int y) const override;

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

// Copies what a back buffer of program pixels (source) shows in area, a rectangle of screen
// pixels, to a window's paint DC, each program pixel as deviceScale() x deviceScale() pixels.
void paintBuffer(HDC source, HDC target, const RECT& area);

}  // namespace platform::win32
