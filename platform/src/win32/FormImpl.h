#pragma once
// The native side of a Form and of its child controls on Win32. Internal to the backend.

#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include "platform/Controls.h"
#include "platform/Form.h"
#include "platform/Picture.h"
#include "win32/NativeSurface.h"
#include "win32/NativeWindow.h"

namespace platform {

struct Form::Impl : win32::NativeWindow {
    Impl(Form& owner, FormStyle style);
    ~Impl() override;

    bool handle(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override;
    void detached(HWND hwnd) override;
    void paint();
    // Outer window rectangle in screen pixels.
    RECT windowRect() const;
    // Keeps the twips and tells the window the nearest pixels.
    void setGeometry(float left, float top, float width, float height);
    CommandButton* buttonById(int id) const;

    Form& owner;
    FormStyle style;
    // Outer geometry as the program set it, twips.
    float left = 0;
    float top = 0;
    float width = 4800;
    float height = 3600;
    win32::NativeSurface surface;
    HICON icon = nullptr;
    // Cleared when the window is destroyed, so a modal loop notices an unload at once.
    std::shared_ptr<bool> alive = std::make_shared<bool>(true);
    int nextControlId = 1000;

    std::vector<std::unique_ptr<PictureBox>> pictureBoxes;
    std::vector<std::unique_ptr<Label>> labels;
    std::vector<std::unique_ptr<Image>> images;
    std::vector<std::unique_ptr<LineShape>> lines;
    std::vector<std::unique_ptr<CommandButton>> buttons;
    std::vector<std::unique_ptr<Timer>> timers;
};

struct PictureBox::Impl : win32::NativeWindow {
    Impl(PictureBox& owner, Form& container);
    ~Impl() override;
    bool handle(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override;
    void detached(HWND hwnd) override;
    void applyFrame();
    void setGeometry(float left, float top, float width, float height);

    PictureBox& owner;
    Form& container;
    // Geometry in the container as the program set it, twips.
    float left = 0;
    float top = 0;
    float width = 1215;
    float height = 1215;
    win32::NativeSurface surface;
    int appearance = 1;
    int borderStyle = 1;
};

struct Label::Impl : win32::NativeWindow {
    explicit Impl(Form& container);
    ~Impl() override;
    bool handle(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override;
    void detached(HWND hwnd) override;

    Form& container;
    HWND hwnd = nullptr;
    float left = 0;
    float top = 0;
    float width = 1215;
    float height = 255;
    std::string caption;
    Color back;
    Color fore = kBlack;
    std::string fontName = "ＭＳ Ｐゴシック";
    float fontSize = 9.0f;
    bool fontBold = false;
    HFONT font = nullptr;
    int alignment = 0;
};

struct Image::Impl {
    explicit Impl(Form& c) : container(c) {}
    Form& container;
    Picture picture;
    float left = 0;
    float top = 0;
    float width = 0;
    float height = 0;
};

struct LineShape::Impl {
    explicit Impl(Form& c) : container(c) {}
    Form& container;
    float x1 = 0;
    float y1 = 0;
    float x2 = 0;
    float y2 = 0;
    Color color = kBlack;
};

struct CommandButton::Impl {
    Impl(Form& container, int id);
    ~Impl();
    Form& container;
    int id;
    HWND hwnd = nullptr;
    HFONT font = nullptr;
    bool isDefault = false;
    bool isCancel = false;
    std::function<void()> onClick;
};

}  // namespace platform
