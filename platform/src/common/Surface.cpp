#include "platform/Surface.h"

#include <utility>

#include "common/SurfaceDrawing.h"

namespace platform {

Surface::~Surface() = default;

Color Surface::backColor() const { return drawing().backColor(); }
void Surface::setBackColor(Color color) { drawing().setBackColor(color); }
Color Surface::foreColor() const { return drawing().foreColor(); }
void Surface::setForeColor(Color color) { drawing().setForeColor(color); }
std::string Surface::fontName() const { return drawing().fontName(); }
void Surface::setFontName(const std::string& name) { drawing().setFontName(name); }
float Surface::fontSize() const { return drawing().fontSize(); }
void Surface::setFontSize(float points) { drawing().setFontSize(points); }
bool Surface::fontBold() const { return drawing().fontBold(); }
void Surface::setFontBold(bool bold) { drawing().setFontBold(bold); }
bool Surface::autoRedraw() const { return drawing().autoRedraw(); }
void Surface::setAutoRedraw(bool on) { drawing().setAutoRedraw(on); }

void Surface::cls() { drawing().cls(); }
float Surface::currentX() const { return drawing().currentX(); }
float Surface::currentY() const { return drawing().currentY(); }
void Surface::setCurrentX(float twips) { drawing().setCurrentX(twips); }
void Surface::setCurrentY(float twips) { drawing().setCurrentY(twips); }
void Surface::print(const std::string& text) { drawing().print(text); }
float Surface::textWidth(const std::string& text) const { return drawing().textWidth(text); }

void Surface::line(float x1, float y1, float x2, float y2, Color color) {
    drawing().line(x1, y1, x2, y2, color);
}

void Surface::paintPicture(const Picture& picture, float x, float y) {
    drawing().paintPicture(picture, x, y);
}

void Surface::selectClip(const Region& clip) { drawing().selectClip(clip); }
void Surface::clearClip() { drawing().clearClip(); }
bool Surface::hasClip() const { return drawing().hasClip(); }

bool Surface::setWindowRegion(Region&& region, bool redraw) {
    return drawing().setWindowRegion(std::move(region), redraw);
}

std::optional<Region> Surface::windowRegion() const { return drawing().windowRegion(); }
Color Surface::backBufferPixel(int x, int y) const { return drawing().backBufferPixel(x, y); }

}  // namespace platform
