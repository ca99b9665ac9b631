#pragma once
// The shaping engine beneath mod_RGN_UserFunction.

#include <cstdint>
#include <string>

#include "platform/Region.h"

namespace platform {
class FormSlot;
class Surface;
}  // namespace platform

namespace mod_RGN_Proc {

// ShapeFlags
inline constexpr std::int32_t kSizeWindow = 1;
inline constexpr std::int32_t kCutWindow = 2;
inline constexpr std::int32_t kPaintPicture = 4;

void ApplyRGN(std::int32_t Index, platform::Surface& Target, std::int32_t Flags, double OffsetX,
              double OffsetY, bool KeepRegion);
void SizeRGNWindow(std::int32_t Index, platform::Surface& Target);
void SetRGNToWindow(std::int32_t Index, platform::Surface& Target, double OffsetX, double OffsetY,
                    bool KeepRegion);
platform::Region CreateRGN(std::int32_t Index, double OffsetX, double OffsetY);
void PaintRGNPicture(std::int32_t Index, platform::Surface& Target, double OffsetX, double OffsetY);
void MakeRGNTalkWindow(platform::FormSlot& Target, const std::string& Text, double X, double Y,
                       std::int32_t Kind);

}  // namespace mod_RGN_Proc
