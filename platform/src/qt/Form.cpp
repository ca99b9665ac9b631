// Top-level windows on QWidget.

#include "platform/Form.h"

#include <QApplication>
#include <QCursor>
#include <QIcon>
#include <QMenu>
#include <QPainter>
#include <QPixmap>
#include <QTimer>
#include <QWindow>
#include <algorithm>
#include <atomic>
#include <map>

#include "common/Backend.h"
#include "platform/Clock.h"
#include "platform/Menu.h"
#include "platform/Picture.h"
#include "platform/RuntimeError.h"
#include "platform/Screen.h"
#include "qt/FormImpl.h"
#include "qt/LineShapeImpl.h"
#include "qt/PictureImpl.h"
#include "qt/QtConvert.h"
#include "qt/Units.h"
#include "qt/X11Support.h"

namespace platform {

namespace {

std::atomic<std::int64_t> g_liveForms{0};

// A new window's design size, 4800 x 3600 twips, and the colour of a dialog's face.
constexpr float kDefaultWidth = 4800;
constexpr float kDefaultHeight = 3600;
constexpr Color kButtonFace = rgb(240, 240, 240);

qt::SurfaceWidget* createWidget(FormStyle style) {
    Qt::WindowFlags flags;
    if (style == FormStyle::Shaped) {
        // A plain top-level window, as on the home platform: not a tool window (see
        // prepareSceneWindow). It is shown without the showing-without-activating flag, which
        // would stamp it with a user time of 0: window managers with focus-stealing prevention
        // then map it below the focused window and ask for attention instead.
        flags = Qt::Window | Qt::FramelessWindowHint | Qt::WindowDoesNotAcceptFocus |
                Qt::NoDropShadowWindowHint;
    } else {
        flags = Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint;
    }
    auto* widget = new qt::SurfaceWidget(nullptr, flags);
    if (qt::x11::active()) {
        if (style == FormStyle::Shaped) {
            // KWin on Wayland takes the whole rectangle of an XWayland window without an alpha
            // channel for opaque, shape or not, and never paints again what lies beneath it:
            // the golfer left every frame of its swing, the gauge and the pointer's trail on
            // the screen. With a visual that has alpha (every pixel inside the shape still
            // opaque) it paints beneath the window. Chosen before the window is created.
            if (qt::x11::isXWayland()) widget->setAttribute(Qt::WA_TranslucentBackground);
            qt::x11::prepareSceneWindow(widget->winId());
        } else {
            qt::x11::setSkipTaskbarAndPager(widget->winId());
        }
    }
    return widget;
}

void addItems(QMenu& menu, const MenuItem& parent, std::map<QAction*, MenuItem*>& actions) {
    for (const auto& child : parent.children()) {
        if (!child->visible()) continue;
        if (child->isSeparator()) {
            menu.addSeparator();
            continue;
        }
        const QString caption = qt::toQString(child->caption());
        QAction* action = nullptr;
        if (!child->children().empty()) {
            QMenu* submenu = menu.addMenu(caption);
            addItems(*submenu, *child, actions);
            action = submenu->menuAction();
        } else {
            action = menu.addAction(caption);
            actions[action] = child.get();
        }
        action->setCheckable(child->checked());
        action->setChecked(child->checked());
        action->setEnabled(child->enabled());
    }
}

}  // namespace

Form::Impl::Impl(Form& form, FormStyle style)
    : form(form),
      style(style),
      surface(createWidget(style), 0, 0, kDefaultWidth, kDefaultHeight, kButtonFace) {
    qt::SurfaceWidget* w = surface.widget();
    w->setWindowTitle(qt::toQString(caption));
    w->onMousePress = [this](int button, int shift, QPoint at) {
        this->form.dispatchMouseDown(button, shift, qt::toTwipsX(at.x()), qt::toTwipsY(at.y()));
    };
    w->onCloseRequest = [this] { this->form.dispatchCloseRequest(); };
    if (style == FormStyle::Shaped) {
        w->onMoved = [this] { guardGeometry(false); };
        w->onResized = [this] { guardGeometry(false); };
        w->onStateChanged = [this] { guardGeometry(true); };
        w->onSizeHintsChanged = [this] { guardSizeHints(); };
    }
    w->onPaintOverlay = [this](QPainter& painter) {
        for (const auto& [name, line] : lines) line->impl()->paint(painter);
    };
    w->setFixedSize(w->size());
}

namespace {

// At most this many undos in each period; an insisting window manager then has its way until
// the next period.
constexpr int kUndosPerPeriod = 6;
constexpr std::int32_t kUndoPeriodMs = 1000;

}  // namespace

bool Form::Impl::mayUndo() {
    const std::int32_t now = tickCount();
    if (now - undoWindowStart >= kUndoPeriodMs || now < undoWindowStart) {
        undoWindowStart = now;
        undosInWindow = 0;
    }
    // One more look when the period ends puts back what the window manager left once its
    // requests have stopped: when the undos are spent, and after an undo too (a window manager
    // still busy with requests may move a window after the last notice it sends of it).
    lookAtPeriodEnd(now);
    if (undosInWindow < kUndosPerPeriod) {
        ++undosInWindow;
        return true;
    }
    return false;
}

void Form::Impl::lookAtPeriodEnd(std::int32_t now) {
    if (recheckPending || widget() == nullptr) return;
    recheckPending = true;
    // Through the widget's callbacks, which are cleared when the window goes: the timer belongs
    // to the widget, which may outlive this for a moment.
    QTimer::singleShot(kUndoPeriodMs - (now - undoWindowStart) + 1, widget(), [w = widget()] {
        if (w->onStateChanged) w->onStateChanged();
        if (w->onSizeHintsChanged) w->onSizeHintsChanged();
    });
}

void Form::Impl::guardGeometry(bool stateChanged) {
    // The look at a period's end (or any call after it) may schedule the next.
    if (tickCount() - undoWindowStart >= kUndoPeriodMs) recheckPending = false;
    QWidget* w = widget();
    if (w == nullptr || !w->isVisible()) return;
    const Qt::WindowStates foreign =
        w->windowState() & (Qt::WindowMaximized | Qt::WindowFullScreen | Qt::WindowMinimized);
    const bool moved = surface.movedByOthers();
    const bool resized = surface.resizedByOthers();
    // The states, and where the server has the window, are read from the server only when a
    // state changed or at a period's end: moves come every tick. After a storm of state
    // requests KWin once left a window at 0, 0 with the program none the wiser.
    const bool foreignX11States = stateChanged && qt::x11::hasForeignStates(w->winId());
    const bool misplaced = stateChanged && !moved && surface.misplacedOnServer();
    if ((foreign == Qt::WindowNoState && !foreignX11States && !moved && !resized &&
         !misplaced) ||
        !mayUndo())
        return;
    if (foreign != Qt::WindowNoState) w->setWindowState(Qt::WindowNoState);
    if (foreignX11States) qt::x11::dropForeignStates(w->winId());
    if (resized) surface.restoreSize();
    if (moved) surface.restorePosition();
    if (misplaced) surface.forcePosition();
    qt::x11::flush();
}

void Form::Impl::guardSizeHints() {
    QWidget* w = widget();
    if (w == nullptr) return;
    // The size the program set: the window manager may have applied the foreign hints already.
    const QSize size = surface.pixelSize();
    const double ratio = w->devicePixelRatioF();
    // Hints of the program's own pass; another client's are written over with the window's
    // fixed size again (Qt writes the hints anew when the bounds change).
    if (qt::x11::sizeHintsFixedAt(w->winId(), qt::roundPixels(size.width() * ratio),
                                  qt::roundPixels(size.height() * ratio)) ||
        !mayUndo()) {
        return;
    }
    w->setMinimumSize(0, 0);
    w->setMaximumSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
    w->setFixedSize(size);
    qt::x11::flush();
}

QSize Form::Impl::frameExtent() const {
    const QWidget* w = widget();
    if (w == nullptr || style != FormStyle::Dialog) return QSize(0, 0);
    return w->frameGeometry().size() - w->geometry().size();
}

void Form::Impl::setGeometry(float left, float top, float width, float height) {
    // Every window declares a fixed size (minimum = maximum), so that a window manager offers
    // no resizing or maximising; the bounds are widened only for a new size, since each change
    // of them is a property written to the server.
    QWidget* w = widget();
    const QSize size(std::max(0, qt::toPixelsX(width)), std::max(0, qt::toPixelsY(height)));
    if (w != nullptr && w->size() != size) {
        w->setMinimumSize(0, 0);
        w->setMaximumSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
    }
    surface.setGeometry(left, top, width, height);
    if (w != nullptr && (w->minimumSize() != w->size() || w->maximumSize() != w->size())) {
        w->setFixedSize(w->size());
    }
}

bool Form::Impl::hasControl(const std::string& name) const {
    for (const auto& p : pictureBoxes)
        if (p->name() == name) return true;
    for (const auto& l : labels)
        if (l->name() == name) return true;
    for (const auto& t : timers)
        if (t->name() == name) return true;
    for (const auto& [n, c] : images)
        if (n == name) return true;
    for (const auto& [n, c] : lines)
        if (n == name) return true;
    for (const auto& [n, c] : buttons)
        if (n == name) return true;
    return false;
}

Form::Form(std::string name, FormStyle style)
    : Surface(std::move(name)), m_impl(std::make_unique<Impl>(*this, style)) {
    ++g_liveForms;
}

Form::~Form() {
    destroyNative();
    --g_liveForms;
}

std::int64_t Form::liveCount() { return g_liveForms.load(); }

void Form::destroyNative() {
    if (m_impl->destroyed) return;
    m_impl->destroyed = true;
    for (const auto& t : m_impl->timers) t->setEnabled(false);
    m_impl->surface.releaseWidget();
    qt::x11::flush();
}

FormStyle Form::style() const { return m_impl->style; }

std::string Form::caption() const { return m_impl->caption; }

void Form::setCaption(const std::string& caption) {
    m_impl->caption = caption;
    if (QWidget* w = m_impl->widget()) w->setWindowTitle(qt::toQString(caption));
}

void Form::setIcon(const Picture& icon) {
    if (QWidget* w = m_impl->widget(); w != nullptr && !icon.isNull()) {
        w->setWindowIcon(QIcon(QPixmap::fromImage(icon.impl()->image)));
    }
}

void Form::move(float left, float top) {
    const qt::SurfaceCore& s = m_impl->surface;
    m_impl->setGeometry(left, top, s.width(), s.height());
}

void Form::move(float left, float top, float width, float height) {
    const QSize frame = m_impl->frameExtent();
    m_impl->setGeometry(left, top, width - qt::toTwipsX(frame.width()),
                        height - qt::toTwipsY(frame.height()));
}

void Form::setClientSize(float width, float height) {
    const qt::SurfaceCore& s = m_impl->surface;
    m_impl->setGeometry(s.left(), s.top(), width, height);
}

void Form::centerOnScreen() {
    move((Screen::width() - width()) / 2, (Screen::height() - height()) / 2);
}

void Form::show() {
    QWidget* w = m_impl->widget();
    if (w == nullptr) return;
    if (!w->isVisible() && m_impl->style == FormStyle::Shaped) {
        // Stamped with the time of showing, the window is placed above the windows there are.
        qt::x11::refreshServerTime(w->winId());
        m_impl->widget()->setFreshlyShown(true);
    }
    w->show();
    qt::x11::flush();
}

void Form::hide() {
    QWidget* w = m_impl->widget();
    if (w == nullptr) return;
    w->hide();
    qt::x11::flush();
}

void Form::showModal() {
    // The wait runs as an event handler of its own, so a window unloaded meanwhile (this one
    // by its OK button) is freed only after it: nothing here touches a freed window.
    dispatch([this] {
        QWidget* w = m_impl->widget();
        if (w == nullptr) return;
        if (w->isVisible()) w->hide();
        w->setWindowModality(Qt::ApplicationModal);
        show();
        // Waiting through the active clock keeps the timers ticking, serves input and
        // painting, and lets tests close the box in virtual time.
        while (m_impl->widget() != nullptr && m_impl->widget()->isVisible()) {
            clock().waitEvents(100);
        }
        if (QWidget* still = m_impl->widget()) still->setWindowModality(Qt::NonModal);
    });
}

PictureBox& Form::addPictureBox(const std::string& name) {
    if (m_impl->hasControl(name)) raise(ErrorCode::kInvalidArgument);
    m_impl->pictureBoxes.push_back(std::unique_ptr<PictureBox>(new PictureBox(*this, name)));
    return *m_impl->pictureBoxes.back();
}

PictureBox* Form::pictureBox(const std::string& name) const {
    for (const auto& p : m_impl->pictureBoxes)
        if (p->name() == name) return p.get();
    return nullptr;
}

Label& Form::addLabel(const std::string& name) {
    m_impl->labels.push_back(std::unique_ptr<Label>(new Label(*this, name)));
    return *m_impl->labels.back();
}

Image& Form::addImage(const std::string& name) {
    m_impl->images.emplace_back(name, std::unique_ptr<Image>(new Image(*this, name)));
    return *m_impl->images.back().second;
}

LineShape& Form::addLine(const std::string& name) {
    m_impl->lines.emplace_back(name, std::unique_ptr<LineShape>(new LineShape(*this, name)));
    return *m_impl->lines.back().second;
}

CommandButton& Form::addCommandButton(const std::string& name) {
    m_impl->buttons.emplace_back(name,
                                 std::unique_ptr<CommandButton>(new CommandButton(*this, name)));
    return *m_impl->buttons.back().second;
}

Timer& Form::addTimer(const std::string& name, int intervalMs) {
    m_impl->timers.push_back(std::unique_ptr<Timer>(new Timer(name, intervalMs)));
    return *m_impl->timers.back();
}

Timer* Form::timer(const std::string& name) const {
    for (const auto& t : m_impl->timers)
        if (t->name() == name) return t.get();
    return nullptr;
}

void Form::popupMenu(MenuItem& menu) {
    MenuItem* chosen = nullptr;
    if (const auto& handler = hooks::popupMenuHandler()) {
        chosen = handler(menu);
    } else {
        QMenu popup;
        std::map<QAction*, MenuItem*> actions;
        addItems(popup, menu, actions);
        if (popup.isEmpty()) return;
        // On a Wayland desktop the menu's grab sees Escape and clicks elsewhere only while a
        // window of the program has the focus; the window that opened the menu takes it for
        // as long as the menu is open, as the owner of a popup menu on the home platform
        // becomes the foreground window. Losing it to another window closes the menu.
        const std::uintptr_t owner =
            qt::x11::isXWayland() && m_impl->widget() != nullptr ? hwnd() : 0;
        QMetaObject::Connection closeOnFocusLoss;
        if (owner != 0) {
            qt::x11::takeFocusForPopup(owner, true);
            closeOnFocusLoss = QObject::connect(qApp, &QGuiApplication::focusWindowChanged, &popup,
                                                [&popup](QWindow* focus) {
                                                    if (focus == nullptr) popup.close();
                                                });
        }
        QAction* action = popup.exec(QCursor::pos());
        if (owner != 0) {
            QObject::disconnect(closeOnFocusLoss);
            if (m_impl->widget() != nullptr) qt::x11::takeFocusForPopup(owner, false);
        }
        if (auto it = actions.find(action); it != actions.end()) chosen = it->second;
    }
    if (chosen != nullptr) chosen->click();
}

void Form::dispatchMouseDown(int button, int shift, float x, float y) {
    dispatch([&] { onMouseDown(button, shift, x, y); });
}

// Surface

float Form::left() const { return m_impl->surface.left(); }
float Form::top() const { return m_impl->surface.top(); }

float Form::width() const {
    return m_impl->surface.width() + qt::toTwipsX(m_impl->frameExtent().width());
}

float Form::height() const {
    return m_impl->surface.height() + qt::toTwipsY(m_impl->frameExtent().height());
}

void Form::setLeft(float twips) { move(twips, top()); }
void Form::setTop(float twips) { move(left(), twips); }
void Form::setWidth(float twips) { move(left(), top(), twips, height()); }
void Form::setHeight(float twips) { move(left(), top(), width(), twips); }
int Form::widthPixels() const { return m_impl->surface.widthPixels(); }
int Form::heightPixels() const { return m_impl->surface.heightPixels(); }

bool Form::visible() const {
    const QWidget* w = m_impl->widget();
    return w != nullptr && w->isVisible();
}

void Form::setVisible(bool visible) { visible ? show() : hide(); }

std::uintptr_t Form::hwnd() const {
    QWidget* w = m_impl->widget();
    return w != nullptr ? static_cast<std::uintptr_t>(w->winId()) : 0;
}

SurfaceDrawing& Form::drawing() const { return m_impl->surface; }

}  // namespace platform
