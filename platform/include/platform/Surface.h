#pragma once
// A surface is anything the program draws on and cuts to a shape: a top-level window (Form) or
// a child picture box (PictureBox). The toolkit works on surfaces only.
//
// Naming: the properties of the program's windows map to accessor pairs, for example
// Left -> left()/setLeft(), BackColor -> backColor()/setBackColor(), Cls -> cls(),
// PaintPicture -> paintPicture(), TextWidth -> textWidth(), Print -> print(),
// CurrentX -> currentX()/setCurrentX(), AutoRedraw -> autoRedraw()/setAutoRedraw(),
// hwnd -> hwnd(). Geometry is in twips (1/1440 inch) held as float; the pixel size follows from
// the screen's twips per pixel (Screen).
//
// Drawing goes into a persistent back buffer (AutoRedraw) from which the window repaints, so a
// covered and uncovered window shows its content again without the program drawing it anew.
// The region set with setWindowRegion cuts the window: outside it nothing is drawn and mouse
// input goes to what lies beneath.

#include <cstdint>
#include <optional>
#include <string>

#include "platform/Color.h"
#include "platform/Region.h"

namespace platform {

class Picture;
class SurfaceDrawing;

class Surface {
public:
    virtual ~Surface();
    Surface(const Surface&) = delete;
    Surface& operator=(const Surface&) = delete;

    const std::string& name() const { return m_name; }

    // Geometry, twips. For a top-level window left/top are screen coordinates counted from the
    // primary screen's top-left corner; for a child they are relative to its container.
    virtual float left() const = 0;
    virtual float top() const = 0;
    virtual float width() const = 0;
    virtual float height() const = 0;
    virtual void setLeft(float twips) = 0;
    virtual void setTop(float twips) = 0;
    virtual void setWidth(float twips) = 0;
    virtual void setHeight(float twips) = 0;
    // Size in whole pixels as the window system has it.
    virtual int widthPixels() const = 0;
    virtual int heightPixels() const = 0;

    virtual bool visible() const = 0;
    virtual void setVisible(bool visible) = 0;

    // Setting the background colour clears the back buffer to it (as Cls does) and repaints.
    Color backColor() const;
    void setBackColor(Color color);
    Color foreColor() const;
    void setForeColor(Color color);

    // Font by the program's own face names; the window layer maps names the system lacks
    // (for example the Windows Japanese faces) to metric-compatible installed faces.
    std::string fontName() const;
    void setFontName(const std::string& name);
    float fontSize() const;  // points
    void setFontSize(float points);
    bool fontBold() const;
    void setFontBold(bool bold);

    bool autoRedraw() const;
    void setAutoRedraw(bool on);

    // Fills the back buffer with backColor and sets currentX/currentY to 0, 0. A selected clip
    // limits it like any other drawing.
    void cls();
    float currentX() const;
    float currentY() const;
    void setCurrentX(float twips);
    void setCurrentY(float twips);
    // Prints one line of text in foreColor at (currentX, currentY) with the current font; the
    // text's top-left corner is at that point. Afterwards, as after a line break, currentX is
    // 0 and currentY has moved down by one line height.
    void print(const std::string& text);
    // Width of the text in the current font, twips.
    float textWidth(const std::string& text) const;
    // Draws a one-pixel line from (x1, y1) to (x2, y2), twips, in `color`; the end point is
    // not drawn.
    void line(float x1, float y1, float x2, float y2, Color color);
    // Copies the whole picture at its natural size with its top-left pixel at (x, y), twips,
    // through the selected clip (a plain copy: no transparency).
    void paintPicture(const Picture& picture, float x, float y);

    // The clip of the back buffer: drawing touches only pixels inside it. selectClip copies
    // the region, the caller keeps its own.
    void selectClip(const Region& clip);
    void clearClip();
    bool hasClip() const;

    // Native handle (X window id on X11, HWND on Windows); 0 while the window does not exist.
    virtual std::uintptr_t hwnd() const = 0;

    // Cuts the window to `region` (SetWindowRgn); the window takes ownership and, when redraw
    // is true, repaints at once so the new outline reaches the screen in the same tick.
    // Returns false when the window cannot be cut; the region is then released.
    bool setWindowRegion(Region&& region, bool redraw);
    // A copy of the window's present region (GetWindowRgn); nothing for a window never cut.
    std::optional<Region> windowRegion() const;

    // The back buffer's pixel at (x, y), pixels; for tests and diagnostics.
    Color backBufferPixel(int x, int y) const;

protected:
    explicit Surface(std::string name) : m_name(std::move(name)) {}

    // The back buffer and drawing state behind the surface: the calls above that are not
    // virtual go to it, the same for a window and a picture box.
    virtual SurfaceDrawing& drawing() const = 0;

private:
    std::string m_name;
};

}  // namespace platform
