#pragma once
// The toolkit's public operations, used by the game: putting sprites on windows, the sizes of
// the sprites, the talk balloon, the settings file, screen units, the ground line, the clock,
// waiting, and closing the other windows.

#include <cstdint>
#include <string>

namespace platform {
class FormSlot;
class Surface;
}  // namespace platform

namespace mod_RGN_UserFunction {

// Sizes `Target` to sprite `Index`, cuts it to the sprite's shape, clears it to its background
// colour and, when `DrawPicture` is true, paints the sprite through the shape.
void MakeRGNWindow(std::int32_t Index, platform::Surface& Target, bool DrawPicture);
// The sprite's width / height in twips; 0 for an index without a sprite.
std::int32_t GetRGNWidth(std::int32_t Index);
std::int32_t GetRGNHeight(std::int32_t Index);
// Shows a one-line talk balloon with `Text` on the window `Target` (re-created when it already
// holds a balloon), its tail's tip at (X, Y) twips; Kind 0 tail at the lower left, 1 at the
// lower right.
void MakeRGNTalkWindow(platform::FormSlot& Target, const std::string& Text, double X, double Y,
                       std::int32_t Kind);

// The settings file <program folder>/<program name>.ini. When no such file exists and the
// program's folder cannot be written (an installed copy), the file is
// <configuration folder>/<program name>/<program name>.ini instead, the configuration folder
// being $XDG_CONFIG_HOME when it is absolute, else ~/.config; PutINI creates its folder.
// GetINI returns at most 510 bytes, trimmed of spaces; "" for a missing file, section or key.
// Nothing is reported: a setting that cannot be saved is lost.
std::string GetINI(const std::string& Section, const std::string& Key);
void PutINI(const std::string& Section, const std::string& Key, const std::string& Value);
// The settings file's path as GetINI and PutINI use it, chosen anew on each call.
std::string SettingsPath();

std::int32_t TwipToPixelX(double Value);
std::int32_t PixelToTwipX(double Value);
std::int32_t PixelToTwipY(double Value);
// The ground line: the bottom edge of the primary screen's work area, twips.
std::int32_t GetWorkAreaHeight();
// The millisecond tick counter. It wraps: take intervals with platform::tickDifference.
std::int32_t GetTick();
// Lets the pending events run once, then sleeps `Milliseconds` with the thread blocked.
void WaitMS(double Milliseconds);
// Unloads every loaded window whose name differs from `KeepName`.
void UnloadOtherForms(const std::string& KeepName);

}  // namespace mod_RGN_UserFunction
