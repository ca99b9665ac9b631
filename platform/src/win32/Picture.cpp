#include "platform/Picture.h"

#include <cstring>

#include "win32/PictureImpl.h"

namespace platform {

namespace {

std::uint32_t u32(const std::uint8_t* p) {
    return static_cast<std::uint32_t>(p[0]) | (static_cast<std::uint32_t>(p[1]) << 8) |
           (static_cast<std::uint32_t>(p[2]) << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
}
std::uint16_t u16(const std::uint8_t* p) { return static_cast<std::uint16_t>(p[0] | (p[1] << 8)); }

int lowestBit(std::uint32_t mask) {
    int shift = 0;
    while (mask && !(mask & 1u)) {
        mask >>= 1;
        ++shift;
    }
    return shift;
}

std::uint32_t channel(std::uint32_t value, std::uint32_t mask) {
    if (!mask) return 0;
    std::uint32_t v = (value & mask) >> lowestBit(mask);
    std::uint32_t max = mask >> lowestBit(mask);
    return max ? (v * 255u + max / 2) / max : 0;
}

// Decodes the uncompressed BMP layouts (1, 4, 8, 16, 24 and 32 bits per pixel, bit fields
// included), bottom-up or top-down. Everything is bounds-checked against `size`.
bool decodeBmp(const std::uint8_t* data, std::size_t size, Picture::Impl& out) {
    if (!data || size < 14 + 12 || data[0] != 'B' || data[1] != 'M') return false;
    std::uint32_t pixelOffset = u32(data + 10);
    const std::uint8_t* info = data + 14;
    std::uint32_t infoSize = u32(info);
    if (infoSize < 12 || 14 + static_cast<std::size_t>(infoSize) > size) return false;
    std::int64_t width;
    std::int64_t height;
    int bpp;
    std::uint32_t compression = 0;
    std::uint32_t paletteCount = 0;
    int paletteEntrySize = 4;
    std::uint32_t masks[3] = {0x00FF0000u, 0x0000FF00u, 0x000000FFu};
    if (infoSize == 12) {
        width = u16(info + 4);
        height = static_cast<std::int16_t>(u16(info + 6));
        bpp = u16(info + 10);
        paletteEntrySize = 3;
    } else {
        if (infoSize < 40) return false;
        width = static_cast<std::int32_t>(u32(info + 4));
        height = static_cast<std::int32_t>(u32(info + 8));
        bpp = u16(info + 14);
        compression = u32(info + 16);
        paletteCount = u32(info + 32);
    }
    bool topDown = height < 0;
    if (topDown) height = -height;
    if (width <= 0 || height <= 0 || width > 16384 || height > 16384) return false;
    if (compression == 3 /* BI_BITFIELDS */) {
        if (bpp != 16 && bpp != 32) return false;
        std::size_t maskAt = 14 + (infoSize >= 52 ? 40 : infoSize);
        if (maskAt + 12 > size) return false;
        for (int i = 0; i < 3; ++i) masks[i] = u32(data + maskAt + 4 * i);
    } else if (compression != 0) {
        return false;
    } else if (bpp == 16) {
        masks[0] = 0x7C00;
        masks[1] = 0x03E0;
        masks[2] = 0x001F;
    }
    if (bpp != 1 && bpp != 4 && bpp != 8 && bpp != 16 && bpp != 24 && bpp != 32) return false;

    std::vector<std::uint32_t> palette;
    if (bpp <= 8) {
        std::uint32_t count = paletteCount ? paletteCount : (1u << bpp);
        if (count > 256) return false;
        std::size_t at = 14 + infoSize + (compression == 3 ? 12 : 0);
        if (at + static_cast<std::size_t>(count) * paletteEntrySize > size) return false;
        palette.resize(1u << bpp, 0);
        for (std::uint32_t i = 0; i < count && i < palette.size(); ++i) {
            const std::uint8_t* e = data + at + i * paletteEntrySize;
            palette[i] = (static_cast<std::uint32_t>(e[2]) << 16) | (e[1] << 8) | e[0];
        }
    }

    std::size_t stride = ((static_cast<std::size_t>(width) * bpp + 31) / 32) * 4;
    if (pixelOffset > size || stride * static_cast<std::size_t>(height) > size - pixelOffset) {
        return false;
    }
    out.width = static_cast<int>(width);
    out.height = static_cast<int>(height);
    out.pixels.assign(static_cast<std::size_t>(width * height), 0);
    for (int y = 0; y < out.height; ++y) {
        int sourceRow = topDown ? y : out.height - 1 - y;
        const std::uint8_t* row = data + pixelOffset + stride * sourceRow;
        std::uint32_t* dest = out.pixels.data() + static_cast<std::size_t>(y) * out.width;
        for (int x = 0; x < out.width; ++x) {
            std::uint32_t p = 0;
            switch (bpp) {
                case 1:
                    p = palette[(row[x / 8] >> (7 - x % 8)) & 1];
                    break;
                case 4:
                    p = palette[(row[x / 2] >> (x % 2 ? 0 : 4)) & 0xF];
                    break;
                case 8:
                    p = palette[row[x]];
                    break;
                case 16: {
                    std::uint32_t v = u16(row + 2 * x);
                    p = (channel(v, masks[0]) << 16) | (channel(v, masks[1]) << 8) |
                        channel(v, masks[2]);
                    break;
                }
                case 24:
                    p = (row[3 * x + 2] << 16) | (row[3 * x + 1] << 8) | row[3 * x];
                    break;
                case 32: {
                    std::uint32_t v = u32(row + 4 * x);
                    p = (channel(v, masks[0]) << 16) | (channel(v, masks[1]) << 8) |
                        channel(v, masks[2]);
                    break;
                }
            }
            dest[x] = p;
        }
    }
    return true;
}

// Draws an icon into 32-bit pixels over a white ground (the formats other than BMP are read
// through the system's icon loader, which reads PNG and icon images).
bool decodeWithIconLoader(const std::uint8_t* data, std::size_t size, Picture::Impl& out) {
    const std::uint8_t* image = data;
    std::size_t imageSize = size;
    if (size >= 6 && u16(data) == 0 && u16(data + 2) == 1) {
        // An .ico file: take its largest image.
        int count = u16(data + 4);
        std::size_t best = 0;
        int bestArea = -1;
        for (int i = 0; i < count; ++i) {
            std::size_t at = 6 + 16 * static_cast<std::size_t>(i);
            if (at + 16 > size) return false;
            int w = data[at] ? data[at] : 256;
            int h = data[at + 1] ? data[at + 1] : 256;
            if (w * h > bestArea) {
                bestArea = w * h;
                best = at;
            }
        }
        if (bestArea < 0) return false;
        imageSize = u32(data + best + 8);
        std::size_t offset = u32(data + best + 12);
        if (offset > size || imageSize > size - offset) return false;
        image = data + offset;
    }
    HICON icon = CreateIconFromResourceEx(const_cast<PBYTE>(image), static_cast<DWORD>(imageSize),
                                          TRUE, 0x00030000, 0, 0, LR_DEFAULTCOLOR);
    if (!icon) return false;
    ICONINFO info{};
    int w = 0;
    int h = 0;
    if (GetIconInfo(icon, &info)) {
        BITMAP bm{};
        HBITMAP probe = info.hbmColor ? info.hbmColor : info.hbmMask;
        GetObjectW(probe, sizeof bm, &bm);
        w = bm.bmWidth;
        h = info.hbmColor ? bm.bmHeight : bm.bmHeight / 2;
        if (info.hbmColor) DeleteObject(info.hbmColor);
        if (info.hbmMask) DeleteObject(info.hbmMask);
    }
    bool ok = false;
    if (w > 0 && h > 0) {
        BITMAPINFO bi{};
        bi.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
        bi.bmiHeader.biWidth = w;
        bi.bmiHeader.biHeight = -h;
        bi.bmiHeader.biPlanes = 1;
        bi.bmiHeader.biBitCount = 32;
        void* bits = nullptr;
        HDC dc = CreateCompatibleDC(nullptr);
        HBITMAP dib = CreateDIBSection(dc, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
        if (dib && bits) {
            HGDIOBJ old = SelectObject(dc, dib);
            RECT all{0, 0, w, h};
            FillRect(dc, &all, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
            DrawIconEx(dc, 0, 0, icon, w, h, 0, nullptr, DI_NORMAL);
            GdiFlush();
            out.width = w;
            out.height = h;
            out.pixels.resize(static_cast<std::size_t>(w) * h);
            const auto* src = static_cast<const std::uint32_t*>(bits);
            for (std::size_t i = 0; i < out.pixels.size(); ++i) out.pixels[i] = src[i] & 0xFFFFFF;
            SelectObject(dc, old);
            ok = true;
        }
        if (dib) DeleteObject(dib);
        DeleteDC(dc);
    }
    DestroyIcon(icon);
    return ok;
}

}  // namespace

Picture::Impl::~Impl() {
    if (m_bitmap) DeleteObject(m_bitmap);
}

HBITMAP Picture::Impl::bitmap() const {
    if (m_bitmap || width <= 0 || height <= 0) return m_bitmap;
    BITMAPINFO bi{};
    bi.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    bi.bmiHeader.biWidth = width;
    bi.bmiHeader.biHeight = -height;
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 32;
    void* bits = nullptr;
    m_bitmap = CreateDIBSection(nullptr, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (m_bitmap && bits) std::memcpy(bits, pixels.data(), pixels.size() * sizeof(std::uint32_t));
    return m_bitmap;
}

Picture::Picture() : m_impl(std::make_unique<Impl>()) {}
Picture::~Picture() = default;
Picture::Picture(Picture&& other) noexcept : m_impl(std::move(other.m_impl)) {
    other.m_impl = std::make_unique<Impl>();
}
Picture& Picture::operator=(Picture&& other) noexcept {
    if (this != &other) {
        m_impl = std::move(other.m_impl);
        other.m_impl = std::make_unique<Impl>();
    }
    return *this;
}
Picture::Picture(const Picture& other) : m_impl(std::make_unique<Impl>(*other.m_impl)) {}
Picture& Picture::operator=(const Picture& other) {
    if (this != &other) m_impl = std::make_unique<Impl>(*other.m_impl);
    return *this;
}

Picture Picture::fromBmp(const std::uint8_t* data, std::size_t size) {
    Picture picture;
    if (!decodeBmp(data, size, *picture.m_impl)) picture.m_impl = std::make_unique<Impl>();
    return picture;
}

Picture Picture::fromImageData(const std::uint8_t* data, std::size_t size) {
    if (data && size >= 2 && data[0] == 'B' && data[1] == 'M') return fromBmp(data, size);
    Picture picture;
    if (!data || !decodeWithIconLoader(data, size, *picture.m_impl)) {
        picture.m_impl = std::make_unique<Impl>();
    }
    return picture;
}

bool Picture::isNull() const { return m_impl->width <= 0 || m_impl->height <= 0; }
int Picture::widthPixels() const { return m_impl->width; }
int Picture::heightPixels() const { return m_impl->height; }

Color Picture::pixel(int x, int y) const {
    if (x < 0 || y < 0 || x >= m_impl->width || y >= m_impl->height) return 0;
    std::uint32_t p = m_impl->pixels[static_cast<std::size_t>(y) * m_impl->width + x];
    return rgb(static_cast<int>((p >> 16) & 0xFF), static_cast<int>((p >> 8) & 0xFF),
               static_cast<int>(p & 0xFF));
}

}  // namespace platform
