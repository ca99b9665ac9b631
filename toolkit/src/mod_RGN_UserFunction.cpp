#include "toolkit/mod_RGN_UserFunction.h"

#include <algorithm>
#include <string>
#include <vector>

#include "SettingsLocation.h"
#include "SpriteSize.h"
#include "platform/Clock.h"
#include "platform/Form.h"
#include "platform/Numeric.h"
#include "platform/Profile.h"
#include "platform/Screen.h"
#include "toolkit/mod_RGN_Proc.h"

namespace mod_RGN_UserFunction {

namespace {

// The caller's buffer of the profile read: 511 characters, the last taken by the terminator.
constexpr std::size_t kProfileBufferSize = 511;

std::string trimSpaces(const std::string& text) {
    const auto first = text.find_first_not_of(' ');
    if (first == std::string::npos) return {};
    const auto last = text.find_last_not_of(' ');
    return text.substr(first, last - first + 1);
}

}  // namespace

void MakeRGNWindow(std::int32_t Index, platform::Surface& Target, bool DrawPicture) {
    const std::int32_t flags = DrawPicture ? mod_RGN_Proc::kSizeWindow | mod_RGN_Proc::kCutWindow |
                                                 mod_RGN_Proc::kPaintPicture
                                           : mod_RGN_Proc::kSizeWindow | mod_RGN_Proc::kCutWindow;
    mod_RGN_Proc::ApplyRGN(Index, Target, flags, 0, 0, false);
}

std::int32_t GetRGNWidth(std::int32_t Index) {
    const auto size = toolkit::spriteSize(Index);
    return size ? size->width : 0;
}

std::int32_t GetRGNHeight(std::int32_t Index) {
    const auto size = toolkit::spriteSize(Index);
    return size ? size->height : 0;
}

void MakeRGNTalkWindow(platform::FormSlot& Target, const std::string& Text, double X, double Y,
                       std::int32_t Kind) {
    mod_RGN_Proc::MakeRGNTalkWindow(Target, Text, X, Y, Kind);
}

std::string GetINI(const std::string& Section, const std::string& Key) {
    return trimSpaces(
        platform::readProfileString(Section, Key, SettingsPath(), kProfileBufferSize));
}

void PutINI(const std::string& Section, const std::string& Key, const std::string& Value) {
    const toolkit::SettingsLocation location = toolkit::settingsLocation();
    toolkit::createSettingsFolder(location);
    // A setting that cannot be saved is not reported; the game goes on with the value it holds.
    platform::writeProfileString(Section, Key, Value, location.path);
}

std::string SettingsPath() { return toolkit::settingsLocation().path; }

std::int32_t TwipToPixelX(double Value) {
    return platform::intDiv(Value, platform::Screen::twipsPerPixelX());
}

std::int32_t PixelToTwipX(double Value) {
    return platform::roundToInt32(Value * platform::Screen::twipsPerPixelX());
}

std::int32_t PixelToTwipY(double Value) {
    return platform::roundToInt32(Value * platform::Screen::twipsPerPixelY());
}

std::int32_t GetWorkAreaHeight() {
    // The bottom edge of the work area is the ground line above a bottom taskbar.
    const platform::Rect workArea = platform::Screen::workAreaPixels();
    return platform::roundToInt32(static_cast<double>(workArea.bottom) *
                                  platform::Screen::twipsPerPixelY());
}

std::int32_t GetTick() { return platform::tickCount(); }

void WaitMS(double Milliseconds) {
    platform::doEvents();
    const std::int32_t ms = platform::roundToInt32(Milliseconds);
    // A negative wait would block for good on the native sleep; it waits not at all instead.
    platform::sleepMs(ms > 0 ? ms : 0);
}

void UnloadOtherForms(const std::string& KeepName) {
    const std::vector<platform::Form*> forms = platform::loadedForms();
    for (platform::Form* form : forms) {
        // A close handler run by an earlier unload may have unloaded this window already; its
        // object must then not be touched, so only windows still in the collection are used.
        const std::vector<platform::Form*> stillLoaded = platform::loadedForms();
        if (std::find(stillLoaded.begin(), stillLoaded.end(), form) == stillLoaded.end()) continue;
        if (form->name() != KeepName) platform::unload(*form);
    }
}

}  // namespace mod_RGN_UserFunction
