#pragma once
// The hidden holder of the sprite bitmaps. Its picture array pPicture(0..50) holds one sprite
// per shape index, decoded from the embedded bitmaps the first time each is asked for. The
// window is loaded by its first reference (platform::form<frm_RGN_Picture>()) and never shown.

#include <array>
#include <cstdint>
#include <optional>

// Application.h declares end() [[noreturn]], which Form.h befriends; it must come first.
#include "platform/Application.h"
#include "platform/Form.h"
#include "platform/Picture.h"

class frm_RGN_Picture : public platform::Form {
public:
    static constexpr std::int32_t kPictureCount = 51;

    frm_RGN_Picture();

    // The sprite of shape index `index`; an index outside 0..50 raises the subscript-out-of-range
    // run-time error.
    const platform::Picture& pPicture(std::int32_t index);

private:
    std::array<std::optional<platform::Picture>, kPictureCount> m_pictures;
};
