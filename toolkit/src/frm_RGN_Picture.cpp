#include "toolkit/frm_RGN_Picture.h"

#include "platform/RuntimeError.h"
#include "shapes/mod_RGN_Data.h"

frm_RGN_Picture::frm_RGN_Picture() : platform::Form("frm_RGN_Picture") {}

const platform::Picture& frm_RGN_Picture::pPicture(std::int32_t index) {
    if (index < 0 || index >= kPictureCount) {
        platform::raise(platform::ErrorCode::kSubscriptOutOfRange);
    }
    auto& slot = m_pictures[static_cast<std::size_t>(index)];
    if (!slot) {
        const std::vector<std::uint8_t> file = shapes::spriteBitmap(index);
        slot = platform::Picture::fromBmp(file.data(), file.size());
    }
    return *slot;
}
