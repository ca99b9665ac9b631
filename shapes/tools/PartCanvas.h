#pragma once
// A small z-buffer for figures built of round solids (capsules and discs) seen along z: each
// pixel remembers the nearest part covering it. The outline of the figure follows from it: a
// pixel of a part whose 4-neighbour is empty or belongs to another part lying behind it.

#include <vector>

namespace shapes::tooling {

struct CanvasPoint {
    double x;  // screen pixels, x to the right
    double y;  // screen pixels, y downwards
    double z;  // depth, growing away from the viewer
};

class PartCanvas {
public:
    static constexpr int kNoPart = 0;

    PartCanvas(int width, int height);

    int width() const { return m_width; }
    int height() const { return m_height; }

    // A solid of revolution between a and b with radii ra and rb (a disc when a == b); its depth
    // at a pixel centre is that of its front surface.
    void addCapsule(CanvasPoint a, CanvasPoint b, double ra, double rb, int part);

    int part(int x, int y) const;
    double depth(int x, int y) const;
    bool isOutline(int x, int y) const;

private:
    std::size_t index(int x, int y) const;

    int m_width;
    int m_height;
    std::vector<int> m_part;
    std::vector<double> m_depth;
};

}  // namespace shapes::tooling
