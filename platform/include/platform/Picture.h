#pragma once
// A bitmap held in memory, decoded from BMP bytes. Pictures are drawn onto surfaces with
// Surface::paintPicture; the program's sprites are the pictures of the sprite holder.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

#include "platform/Color.h"

namespace platform {

class Picture {
public:
    Picture();  // an empty picture (0 x 0)
    ~Picture();
    Picture(Picture&&) noexcept;
    Picture& operator=(Picture&&) noexcept;
    Picture(const Picture& other);
    Picture& operator=(const Picture& other);

    // Decodes a BMP file held in memory. Returns an empty picture when the bytes are not a
    // readable BMP.
    static Picture fromBmp(const std::uint8_t* data, std::size_t size);
    // Decodes any image format the platform reads (PNG, ICO, BMP) held in memory.
    static Picture fromImageData(const std::uint8_t* data, std::size_t size);

    bool isNull() const;
    int widthPixels() const;
    int heightPixels() const;
    Color pixel(int x, int y) const;

    struct Impl;
    Impl* impl() const { return m_impl.get(); }

private:
    std::unique_ptr<Impl> m_impl;
};

}  // namespace platform
