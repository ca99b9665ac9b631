#pragma once
// The child controls a window can hold: picture boxes (drawable, cut-able surfaces), labels,
// images, lines, push buttons, and periodic timers. All are created through their Form
// (Form::addPictureBox, addLabel, ...) and live as long as it does.

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "platform/Color.h"
#include "platform/Surface.h"

namespace platform {

class Form;
class Picture;

// A child picture box (Controls.Add). A new one lies at its container's top-left corner,
// 1215 x 1215 twips, hidden until made visible, with a white background and AutoRedraw off.
class PictureBox : public Surface {
public:
    ~PictureBox() override;

    // Appearance (0 flat, 1 3D) and BorderStyle (0 none, 1 fixed single): the program only
    // sets 0, 0; the window layer draws no border and no 3D edge for those values.
    int appearance() const;
    void setAppearance(int appearance);
    int borderStyle() const;
    void setBorderStyle(int style);
    Form& container() const;

    struct Impl;
    Impl* impl() const { return m_impl.get(); }

    // Surface
    float left() const override;
    float top() const override;
    float width() const override;
    float height() const override;
    void setLeft(float twips) override;
    void setTop(float twips) override;
    void setWidth(float twips) override;
    void setHeight(float twips) override;
    int widthPixels() const override;
    int heightPixels() const override;
    bool visible() const override;
    void setVisible(bool visible) override;
    std::uintptr_t hwnd() const override;

private:
    friend class Form;
    PictureBox(Form& container, std::string name);
    SurfaceDrawing& drawing() const override;
    std::unique_ptr<Impl> m_impl;
};

// A text label (also used as a plain coloured bar: the power gauge's Label1).
class Label {
public:
    ~Label();
    const std::string& name() const { return m_name; }
    float left() const;
    float top() const;
    float width() const;
    float height() const;
    void move(float left, float top, float width, float height);
    void setWidth(float twips);
    std::string caption() const;
    void setCaption(const std::string& text);
    Color backColor() const;
    void setBackColor(Color color);
    Color foreColor() const;
    void setForeColor(Color color);
    void setFont(const std::string& name, float points, bool bold);
    // Alignment of the caption: 0 left, 1 right, 2 centre.
    void setAlignment(int alignment);
    bool visible() const;
    void setVisible(bool visible);

    struct Impl;
    Impl* impl() const { return m_impl.get(); }

private:
    friend class Form;
    Label(Form& container, std::string name);
    std::string m_name;
    std::unique_ptr<Impl> m_impl;
};

// A picture shown on a window at a given place and size.
class Image {
public:
    ~Image();
    void setPicture(const Picture& picture);
    void move(float left, float top, float width, float height);

    struct Impl;
    Impl* impl() const { return m_impl.get(); }

private:
    friend class Form;
    Image(Form& container, std::string name);
    std::unique_ptr<Impl> m_impl;
};

// A straight line drawn on a window between two points, twips.
class LineShape {
public:
    ~LineShape();
    void set(float x1, float y1, float x2, float y2, Color color);

    struct Impl;
    Impl* impl() const { return m_impl.get(); }

private:
    friend class Form;
    LineShape(Form& container, std::string name);
    std::unique_ptr<Impl> m_impl;
};

// A push button. The default button is pressed by Enter, the cancel button by Escape.
class CommandButton {
public:
    ~CommandButton();
    void setCaption(const std::string& text);
    std::string caption() const;
    void move(float left, float top, float width, float height);
    void setDefault(bool isDefault);
    void setCancel(bool isCancel);
    void setOnClick(std::function<void()> handler);
    // Presses the button as a click would (the handler runs through platform::dispatch).
    void click();

    struct Impl;
    Impl* impl() const { return m_impl.get(); }

private:
    friend class Form;
    CommandButton(Form& container, std::string name);
    std::unique_ptr<Impl> m_impl;
};

// A periodic timer. Its tick runs on the user-interface thread through platform::dispatch and
// never while the previous tick of the same timer is still running (a tick that falls due then
// is dropped). Enabling a timer (or changing its interval while enabled) starts its interval
// afresh. Timers follow the active Clock, so tests run them in virtual time.
class Timer {
public:
    ~Timer();
    const std::string& name() const { return m_name; }
    bool enabled() const { return m_enabled; }
    void setEnabled(bool enabled);
    int interval() const { return m_interval; }
    void setInterval(int milliseconds);
    void setOnTick(std::function<void()> handler);
    // True while the tick handler runs.
    bool ticking() const { return m_ticking; }

    struct Backend;

private:
    friend class Form;
    Timer(std::string name, int intervalMs);
    void restart();
    void fire();

    std::string m_name;
    bool m_enabled = false;
    int m_interval = 0;
    bool m_ticking = false;
    std::function<void()> m_onTick;
    std::unique_ptr<Backend> m_backend;
};

}  // namespace platform
