// Push buttons on QPushButton. Enter presses the default button and Escape the cancel button
// of the window, wherever the focus is in it.

#include <QKeySequence>
#include <QPointer>
#include <QPushButton>
#include <QShortcut>

#include "platform/Controls.h"
#include "platform/Form.h"
#include "platform/RuntimeError.h"
#include "qt/FormImpl.h"
#include "qt/QtConvert.h"
#include "qt/Units.h"

namespace platform {

struct CommandButton::Impl {
    ~Impl() {
        QObject::disconnect(clicked);
        for (QPointer<QShortcut>& s : defaultKeys) delete s.data();
        for (QPointer<QShortcut>& s : cancelKeys) delete s.data();
    }

    // Replaces the shortcuts of `keys` with ones that press this button, or removes them.
    void setShortcuts(std::vector<QPointer<QShortcut>>& list, bool on,
                      std::initializer_list<Qt::Key> keys, CommandButton& owner) {
        for (QPointer<QShortcut>& s : list) delete s.data();
        list.clear();
        if (!on || !button || button->window() == nullptr) return;
        for (Qt::Key key : keys) {
            list.push_back(
                new QShortcut(QKeySequence(key), button->window(), [&owner] { owner.click(); }));
        }
    }

    QPointer<QPushButton> button;
    QMetaObject::Connection clicked;
    std::function<void()> onClick;
    std::vector<QPointer<QShortcut>> defaultKeys;
    std::vector<QPointer<QShortcut>> cancelKeys;
};

CommandButton::CommandButton(Form& container, std::string /*name*/)
    : m_impl(std::make_unique<Impl>()) {
    if (QWidget* parent = container.impl()->widget()) {
        auto* button = new QPushButton(parent);
        button->setAutoDefault(false);
        button->show();
        m_impl->button = button;
        m_impl->clicked = QObject::connect(button, &QPushButton::clicked, [this] { click(); });
    }
}

CommandButton::~CommandButton() = default;

void CommandButton::setCaption(const std::string& text) {
    if (m_impl->button) m_impl->button->setText(qt::toQString(text));
}

std::string CommandButton::caption() const {
    return m_impl->button ? m_impl->button->text().toStdString() : std::string();
}

void CommandButton::move(float left, float top, float width, float height) {
    if (m_impl->button) {
        m_impl->button->setGeometry(qt::toPixelsX(left), qt::toPixelsY(top), qt::toPixelsX(width),
                                    qt::toPixelsY(height));
    }
}

void CommandButton::setDefault(bool isDefault) {
    if (m_impl->button) m_impl->button->setDefault(isDefault);
    m_impl->setShortcuts(m_impl->defaultKeys, isDefault, {Qt::Key_Return, Qt::Key_Enter}, *this);
}

void CommandButton::setCancel(bool isCancel) {
    m_impl->setShortcuts(m_impl->cancelKeys, isCancel, {Qt::Key_Escape}, *this);
}

void CommandButton::setOnClick(std::function<void()> handler) {
    m_impl->onClick = std::move(handler);
}

void CommandButton::click() {
    // Copied: the handler may unload the window that holds this button.
    auto handler = m_impl->onClick;
    if (handler) dispatch(handler);
}

}  // namespace platform
