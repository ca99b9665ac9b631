#include "win32/Win32Support.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <memory>
#include <vector>

#include "platform/Screen.h"
#include "win32/NativeWindow.h"

namespace platform::win32 {

namespace {

constexpr wchar_t kTopLevelClass[] = L"KiprunForm";
constexpr wchar_t kChildClass[] = L"KiprunChild";
constexpr wchar_t kHostClass[] = L"KiprunHost";

int nearestInt(double value) {
    if (!std::isfinite(value)) return 0;
    // nearbyint rounds an exact half to the even neighbour in the default rounding mode.
    double r = std::nearbyint(value);
    if (r > std::numeric_limits<int>::max()) return std::numeric_limits<int>::max();
    if (r < std::numeric_limits<int>::min()) return std::numeric_limits<int>::min();
    return static_cast<int>(r);
}

void registerClasses() {
    static bool registered = false;
    if (registered) return;
    registered = true;
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    // No CS_DBLCLKS: two quick clicks on the control button are two presses, not a double click.
    wc.style = 0;
    wc.lpfnWndProc = &NativeWindow::windowProc;
    wc.hInstance = instance();
    wc.hCursor = LoadCursorW(nullptr, MAKEINTRESOURCEW(32512));  // IDC_ARROW
    wc.hbrBackground = nullptr;
    wc.hIcon = programIcon(false);
    wc.hIconSm = programIcon(true);
    wc.lpszClassName = kTopLevelClass;
    RegisterClassExW(&wc);

    wc.hIcon = nullptr;
    wc.hIconSm = nullptr;
    wc.lpszClassName = kChildClass;
    RegisterClassExW(&wc);

    wc.lpfnWndProc = &hostWindowProc;
    wc.lpszClassName = kHostClass;
    RegisterClassExW(&wc);
}

int CALLBACK noteFace(const LOGFONTW*, const TEXTMETRICW*, DWORD, LPARAM data) {
    *reinterpret_cast<bool*>(data) = true;
    return 0;
}

bool faceInstalled(const std::wstring& face) {
    LOGFONTW lf{};
    lf.lfCharSet = DEFAULT_CHARSET;
    wcsncpy(lf.lfFaceName, face.c_str(), LF_FACESIZE - 1);
    HDC dc = GetDC(nullptr);
    bool found = false;
    EnumFontFamiliesExW(dc, &lf, &noteFace, reinterpret_cast<LPARAM>(&found), 0);
    ReleaseDC(nullptr, dc);
    return found;
}

// What the program's faces are, for the font mapper when a face is missing, and their
// metric-compatible stand-ins in order of preference.
struct FaceInfo {
    const char* name;
    BYTE pitchAndFamily;
    const wchar_t* standIns[3];
};
constexpr BYTE kSerif = VARIABLE_PITCH | FF_ROMAN;
constexpr BYTE kFixedSerif = FIXED_PITCH | FF_ROMAN;
constexpr BYTE kSans = VARIABLE_PITCH | FF_SWISS;
constexpr BYTE kFixedSans = FIXED_PITCH | FF_MODERN;
const FaceInfo kFaces[] = {
    {"ＭＳ Ｐゴシック", kSans, {L"IPAPGothic"}},
    {"ＭＳ ゴシック", kFixedSans, {L"IPAGothic"}},
    {"ＭＳ Ｐ明朝", kSerif, {L"IPAPMincho"}},
    {"ＭＳ 明朝", kFixedSerif, {L"IPAMincho"}},
    {"MS PGothic", kSans, {L"IPAPGothic"}},
    {"MS Gothic", kFixedSans, {L"IPAGothic"}},
    {"Times New Roman", kSerif, {L"Liberation Serif", L"Tinos", L"Nimbus Roman"}},
};

const FaceInfo* faceInfo(const std::string& faceName) {
    for (const auto& f : kFaces) {
        if (faceName == f.name) return &f;
    }
    return nullptr;
}

// The face itself where the system has it, else its first installed stand-in, else the name
// as asked (the font mapper then picks by character set and family).
std::wstring installedFace(const std::string& faceName) {
    std::wstring face = widen(faceName);
    if (face.empty() || faceInstalled(face)) return face;
    if (const FaceInfo* info = faceInfo(faceName)) {
        for (const wchar_t* standIn : info->standIns) {
            if (standIn && faceInstalled(standIn)) return standIn;
        }
    }
    return face;
}

}  // namespace

std::wstring widen(std::string_view utf8) {
    if (utf8.empty()) return {};
    int n = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), nullptr, 0);
    std::wstring out(static_cast<std::size_t>(n), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), out.data(), n);
    return out;
}

std::string narrow(std::wstring_view wide) {
    if (wide.empty()) return {};
    int n = WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()), nullptr, 0,
                                nullptr, nullptr);
    std::string out(static_cast<std::size_t>(n), '\0');
    WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()), out.data(), n,
                        nullptr, nullptr);
    return out;
}

std::string toAnsi(std::string_view utf8) {
    std::wstring wide = widen(utf8);
    if (wide.empty()) return {};
    int n = WideCharToMultiByte(CP_ACP, 0, wide.data(), static_cast<int>(wide.size()), nullptr, 0,
                                nullptr, nullptr);
    std::string out(static_cast<std::size_t>(n), '\0');
    WideCharToMultiByte(CP_ACP, 0, wide.data(), static_cast<int>(wide.size()), out.data(), n,
                        nullptr, nullptr);
    return out;
}

HINSTANCE instance() { return GetModuleHandleW(nullptr); }

int twipsToPixelsX(double twips) { return nearestInt(twips / Screen::twipsPerPixelX()); }
int twipsToPixelsY(double twips) { return nearestInt(twips / Screen::twipsPerPixelY()); }
float pixelsToTwipsX(int pixels) { return static_cast<float>(pixels * Screen::twipsPerPixelX()); }
float pixelsToTwipsY(int pixels) { return static_cast<float>(pixels * Screen::twipsPerPixelY()); }

namespace {
int g_testScale = 0;

int floorDiv(int value, int divisor) {
    int q = value / divisor;
    return (value % divisor != 0 && (value < 0) != (divisor < 0)) ? q - 1 : q;
}
}  // namespace

int deviceScale() {
    if (g_testScale > 0) return g_testScale;
    // Read once: a system-DPI-aware program keeps the DPI it started with.
    static const int scale = [] {
        HDC dc = GetDC(nullptr);
        int dpi = dc ? GetDeviceCaps(dc, LOGPIXELSY) : 96;
        if (dc) ReleaseDC(nullptr, dc);
        return std::max(1, dpi / 96);
    }();
    return scale;
}

void setDeviceScaleForTests(int scale) { g_testScale = std::max(0, scale); }

int toDevice(int pixels) { return pixels * deviceScale(); }
int fromDevice(int devicePixels) { return floorDiv(devicePixels, deviceScale()); }
int fromDeviceCeil(int devicePixels) { return -floorDiv(-devicePixels, deviceScale()); }

HRGN scaledRegion(HRGN region, int multiply, int divide) {
    DWORD size = GetRegionData(region, 0, nullptr);
    if (size < sizeof(RGNDATAHEADER)) return CreateRectRgn(0, 0, 0, 0);
    auto buffer = std::make_unique<DWORD[]>((size + sizeof(DWORD) - 1) / sizeof(DWORD));
    auto* data = reinterpret_cast<RGNDATA*>(buffer.get());
    if (GetRegionData(region, size, data) == 0) return CreateRectRgn(0, 0, 0, 0);
    auto* r = reinterpret_cast<RECT*>(data->Buffer);
    auto scale = [&](LONG v) { return static_cast<LONG>(floorDiv(v * multiply, divide)); };
    for (DWORD i = 0; i < data->rdh.nCount; ++i) {
        r[i] = RECT{scale(r[i].left), scale(r[i].top), scale(r[i].right), scale(r[i].bottom)};
    }
    RECT& bound = data->rdh.rcBound;
    bound = RECT{scale(bound.left), scale(bound.top), scale(bound.right), scale(bound.bottom)};
    HRGN out = ExtCreateRegion(nullptr, size, data);
    return out ? out : CreateRectRgn(0, 0, 0, 0);
}

const wchar_t* topLevelClass() {
    registerClasses();
    return kTopLevelClass;
}

const wchar_t* childClass() {
    registerClasses();
    return kChildClass;
}

HWND hostWindow() {
    static HWND host = nullptr;
    if (!host || !IsWindow(host)) {
        registerClasses();
        host = CreateWindowExW(WS_EX_TOOLWINDOW, kHostClass, L"", WS_POPUP, 0, 0, 0, 0, nullptr,
                               nullptr, instance(), nullptr);
    }
    return host;
}

HFONT createFont(const std::string& faceName, float points, bool bold, int scale) {
    std::wstring face = installedFace(faceName);
    LOGFONTW lf{};
    // The character height in pixels follows from twips per pixel (8.25 pt at 15 twips per
    // pixel is 11 px), so fixed screen metrics in tests give the fonts of that screen.
    lf.lfHeight = -std::max(1, nearestInt(points * 20.0 / Screen::twipsPerPixelY())) * scale;
    lf.lfWeight = bold ? FW_BOLD : FW_NORMAL;
    // The Japanese faces (and their stand-ins) with the Japanese character set, so a missing
    // face is replaced by one that has the glyphs; a Western face keeps its own.
    bool japanese = false;
    for (unsigned char c : faceName) japanese = japanese || c >= 0x80;
    lf.lfCharSet = japanese ? SHIFTJIS_CHARSET : DEFAULT_CHARSET;
    lf.lfOutPrecision = OUT_DEFAULT_PRECIS;
    lf.lfClipPrecision = CLIP_DEFAULT_PRECIS;
    lf.lfQuality = DEFAULT_QUALITY;
    // Without the face and its stand-ins a serif face must still come out as a serif.
    const FaceInfo* info = faceInfo(faceName);
    lf.lfPitchAndFamily = info ? info->pitchAndFamily : DEFAULT_PITCH | FF_DONTCARE;
    wcsncpy(lf.lfFaceName, face.c_str(), LF_FACESIZE - 1);
    return CreateFontIndirectW(&lf);
}

bool fontHasGlyphs(HFONT font, const std::wstring& text) {
    if (text.empty()) return true;
    HDC dc = GetDC(nullptr);
    HGDIOBJ old = SelectObject(dc, font);
    std::vector<WORD> glyphs(text.size(), 0);
    DWORD n = GetGlyphIndicesW(dc, text.c_str(), static_cast<int>(text.size()), glyphs.data(),
                               GGI_MARK_NONEXISTING_GLYPHS);
    SelectObject(dc, old);
    ReleaseDC(nullptr, dc);
    if (n == GDI_ERROR) return true;
    return std::find(glyphs.begin(), glyphs.end(), static_cast<WORD>(0xFFFF)) == glyphs.end();
}

HFONT menuFallbackFont(const std::wstring& caption) {
    NONCLIENTMETRICSW metrics{};
    metrics.cbSize = sizeof metrics;
    if (!SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0)) {
        return nullptr;
    }
    HFONT menu = CreateFontIndirectW(&metrics.lfMenuFont);
    bool served = fontHasGlyphs(menu, caption);
    DeleteObject(menu);
    if (served) return nullptr;
    LOGFONTW japanese = metrics.lfMenuFont;
    japanese.lfCharSet = SHIFTJIS_CHARSET;
    return CreateFontIndirectW(&japanese);
}

namespace {
HWND g_modalWindow = nullptr;
}  // namespace

HWND modalWindow() { return g_modalWindow; }
void setModalWindow(HWND hwnd) { g_modalWindow = hwnd; }

HICON programIcon(bool small) {
    int size = GetSystemMetrics(small ? SM_CXSMICON : SM_CXICON);
    HANDLE icon = LoadImageW(instance(), MAKEINTRESOURCEW(1), IMAGE_ICON, size, size, 0);
    if (icon) return static_cast<HICON>(icon);
    return LoadIconW(nullptr, MAKEINTRESOURCEW(32512));  // IDI_APPLICATION
}

}  // namespace platform::win32
