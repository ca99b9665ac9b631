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
    // A window of the scene keeps the geometry and state the program gave it: a window manager
    // that places, moves, resizes, maximises or minimises it anyway (openbox shifts a new
    // window at 0, 0 below its top panel; another client can ask for any state) is undone at
    // once. Against one that insists, a few undos a second are spent, no more.
    void guardGeometry(bool stateChanged);
    void guardSizeHints();
    bool mayUndo();
    // Schedules one guard pass just after the present undo period ends, unless one is due.
    void lookAtPeriodEnd(std::int32_t now);
    std::int32_t undoWindowStart = 0;
    int undosInWindow = 0;
    bool recheckPending = false;

    std::vector<std::unique_ptr<PictureBox>> pictureBoxes;
    std::vector<std::unique_ptr<Label>> labels;
    std::vector<std::pair<std::string, std::unique_ptr<Image>>> images;
    std::vector<std::pair<std::string, std::unique_ptr<LineShape>>> lines;
    std::vector<std::pair<std::string, std::unique_ptr<CommandButton>>> buttons;
    std::vector<std::unique_ptr<Timer>> timers;
};

}  // namespace platform
