#pragma once
// Top-level windows ("forms") and their lifecycle.
//
// Every window class of the program derives from Form and has one global instance, reached
// with platform::form<T>(): the first reference creates ("loads") it and runs its onLoad();
// unload() runs its onQueryUnload() first and then destroys it; a reference after unloading
// creates it afresh from its design (its constructor). The loaded windows form a collection in
// creation order (loadedForms()). end() terminates the program at once without any close
// handler.
//
// A scene window (FormStyle::Shaped) is borderless, not in the taskbar or pager, does not take
// the focus from the user's work, is not kept on top, and sits exactly where it is put, also
// under a window manager. A FormStyle::Dialog window is a fixed dialog with a title bar and no
// minimise or maximise button, also kept out of the taskbar, shown modal with showModal().
//
// Mouse input: a press on a window inside its region calls onMouseDown(button, shift, x, y)
// with button 1 left, 2 right, 4 middle, x and y in twips, through platform::dispatch.

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <typeindex>
#include <vector>

#include "platform/Controls.h"
#include "platform/Surface.h"

namespace platform {

class MenuItem;
class Picture;

// Ends the program (Application.h). Declared before the friend declarations below, which must
// not be the first declaration of a [[noreturn]] function.
[[noreturn]] void end();

enum class FormStyle { Shaped, Dialog };

inline constexpr int kLeftButton = 1;
inline constexpr int kRightButton = 2;
inline constexpr int kMiddleButton = 4;

class Form : public Surface {
public:
    ~Form() override;

    FormStyle style() const;
    bool isLoaded() const { return m_loaded; }

    std::string caption() const;
    void setCaption(const std::string& caption);
    void setIcon(const Picture& icon);

    // Moves the window; width and height in twips when given.
    void move(float left, float top);
    void move(float left, float top, float width, float height);
    // Dialog windows: size of the client area in twips (the frame is added around it).
    void setClientSize(float width, float height);
    // Places the window at the centre of the primary screen.
    void centerOnScreen();

    void show();
    void hide();
    // Shows the window modally: returns when it is hidden or unloaded. Input to other windows
    // of the program is blocked meanwhile; timers keep ticking.
    void showModal();

    // Child controls. addPictureBox raises kInvalidArgument when a control of that name
    // exists already on this window.
    PictureBox& addPictureBox(const std::string& name);
    PictureBox* pictureBox(const std::string& name) const;
    Label& addLabel(const std::string& name);
    Image& addImage(const std::string& name);
    LineShape& addLine(const std::string& name);
    CommandButton& addCommandButton(const std::string& name);
    Timer& addTimer(const std::string& name, int intervalMs);
    Timer* timer(const std::string& name) const;

    // Opens `menu` as a popup at the mouse position; returns when it closes. The chosen item's
    // click handler runs before the call returns.
    void popupMenu(MenuItem& menu);

    // Event entry points the window system calls, public so that tests can drive the program
    // through its real handlers. Each runs through platform::dispatch.
    void dispatchMouseDown(int button, int shift, float x, float y);
    // The window system asks the window to close (its close button, a window manager's or a
    // panel's close action): the window is unloaded, close handler included, unless it
    // declines (acceptsCloseRequest).
    void dispatchCloseRequest();

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

    // Number of Form objects alive in the process (for leak checks in tests).
    static std::int64_t liveCount();

    struct Impl;
    Impl* impl() const { return m_impl.get(); }

protected:
    // The window's design: name (as the program knows it), style, caption "Form1" by default.
    Form(std::string name, FormStyle style = FormStyle::Shaped);

    // Load event: runs once, right after the window was created by its first reference.
    virtual void onLoad() {}
    // Close handler: runs when the window is unloaded by any means (unload(), the window
    // system closing it), before it is destroyed. The close is never cancelled.
    virtual void onQueryUnload() {}
    virtual void onMouseDown(int /*button*/, int /*shift*/, float /*x*/, float /*y*/) {}
    // Whether a close request from the window system unloads the window. A window that the
    // program alone shows and hides returns false: closed from outside, it would leave the
    // program without it.
    virtual bool acceptsCloseRequest() const { return true; }

private:
    friend class FormSlot;
    friend void unload(Form& form);
    friend void end();
    void destroyNative();
    SurfaceDrawing& drawing() const override;

    bool m_loaded = false;
    bool m_unloading = false;
    std::unique_ptr<Impl> m_impl;
};

// The global instance of one window class.
class FormSlot {
public:
    using Factory = std::unique_ptr<Form> (*)();
    FormSlot(std::type_index type, Factory factory);

    // A reference: loads the window (construct, register, onLoad) if it is not loaded.
    Form& get();
    bool isLoaded() const { return m_current != nullptr; }
    Form* peek() const { return m_current; }
    // Unloads the window if it is loaded.
    void unload();

private:
    friend void unload(Form& form);
    friend void end();
    friend void resetFormsForTests();
    // Destroys the native window without running any handler and marks the window unloaded.
    static void closeWithoutHandlers(Form& form);
    std::type_index m_type;
    Factory m_factory;
    Form* m_current = nullptr;
};

template <class T>
FormSlot& slotOf() {
    static FormSlot slot(typeid(T), [] { return std::unique_ptr<Form>(new T()); });
    return slot;
}

// A reference to the global instance of T (loading it on first use).
template <class T>
T& form() {
    return static_cast<T&>(slotOf<T>().get());
}

template <class T>
bool isLoaded() {
    return slotOf<T>().isLoaded();
}

// Unloads a window: runs its close handler (once, even when the handler leads to a second
// unload of the same window), then destroys its native window and children and removes it from
// the collection. The C++ object is freed when the outermost event handler returns, so code
// still running on its behalf stays safe; any later reference loads a new instance.
void unload(Form& form);

// The loaded windows in creation order.
std::vector<Form*> loadedForms();

// Destroys every loaded window without running any handler; for test fixtures.
void resetFormsForTests();

}  // namespace platform
