#pragma once
// A window's inner state in the Qt backend: its widget and drawing state, and the controls it
// holds. Controls reach their window's widget through it. Internal.

#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "platform/Controls.h"
#include "platform/Form.h"
#include "qt/SurfaceCore.h"

namespace platform {

struct Form::Impl {
    Impl(Form& form, FormStyle style);

    // The widget the controls live on, or nullptr once the window was destroyed.
    qt::SurfaceWidget* widget() const { return surface.widget(); }
    // The frame the window manager adds around a dialog's client area, pixels.
    QSize frameExtent() const;
    // Changes the geometry and keeps a dialog fixed at its new size.
    void setGeometry(float left, float top, float width, float height);
    bool hasControl(const std::string& name) const;

    Form& form;
    FormStyle style;
    std::string caption = "Form1";
    qt::SurfaceCore surface;
    bool destroyed = false;
    // Moves a newly shown window may still undo: a window manager places a window it takes on
    // (openbox shifts one at 0, 0 below its top panel) and only honours later moves.
    int placementsToUndo = 0;

    std::vector<std::unique_ptr<PictureBox>> pictureBoxes;
    std::vector<std::unique_ptr<Label>> labels;
    std::vector<std::pair<std::string, std::unique_ptr<Image>>> images;
    std::vector<std::pair<std::string, std::unique_ptr<LineShape>>> lines;
    std::vector<std::pair<std::string, std::unique_ptr<CommandButton>>> buttons;
    std::vector<std::unique_ptr<Timer>> timers;
};

}  // namespace platform
