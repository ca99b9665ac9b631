#pragma once
// What a backend keeps behind every surface, window or picture box alike: the back buffer,
// colours, font, drawing position and clip, and the native window's region. Surface hands its
// drawing calls here (see Surface.h for what each does). Internal to the window layer.

#include <optional>
#include <string>

#include "platform/Color.h"
#include "platform/Region.h"

namespace platform {

class Picture;

class SurfaceDrawing {
public:
    virtual ~SurfaceDrawing() = default;

    virtual Color backColor() const = 0;
    virtual void setBackColor(Color color) = 0;
    virtual Color foreColor() const = 0;
    virtual void setForeColor(Color color) = 0;
    virtual std::string fontName() const = 0;
    virtual void setFontName(const std::string& name) = 0;
    virtual float fontSize() const = 0;
    virtual void setFontSize(float points) = 0;
    virtual bool fontBold() const = 0;
    virtual void setFontBold(bool bold) = 0;
    virtual bool autoRedraw() const = 0;
    virtual void setAutoRedraw(bool on) = 0;

    virtual void cls() = 0;
    virtual float currentX() const = 0;
    virtual float currentY() const = 0;
    virtual void setCurrentX(float twips) = 0;
    virtual void setCurrentY(float twips) = 0;
    virtual void print(const std::string& text) = 0;
    virtual float textWidth(const std::string& text) const = 0;
    virtual void line(float x1, float y1, float x2, float y2, Color color) = 0;
    virtual void paintPicture(const Picture& picture, float x, float y) = 0;
    virtual void selectClip(const Region& clip) = 0;
    virtual void clearClip() = 0;
    virtual bool hasClip() const = 0;

    virtual bool setWindowRegion(Region&& region, bool redraw) = 0;
    virtual std::optional<Region> windowRegion() const = 0;
    virtual Color backBufferPixel(int x, int y) const = 0;
};

}  // namespace platform
