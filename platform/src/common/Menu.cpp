#include "platform/Menu.h"

#include <algorithm>

#include "platform/RuntimeError.h"

namespace platform {

MenuItem::MenuItem(std::string name, std::string caption, int index)
    : m_name(std::move(name)), m_caption(std::move(caption)), m_index(index) {}

MenuItem::~MenuItem() = default;

MenuItem& MenuItem::add(std::string name, std::string caption, int index) {
    m_children.push_back(std::make_unique<MenuItem>(std::move(name), std::move(caption), index));
    m_children.back()->m_parent = this;
    return *m_children.back();
}

MenuItem* MenuItem::find(const std::string& name, int index) const {
    for (const auto& child : m_children) {
        if (child->m_name == name && child->m_index == index) return child.get();
    }
    return nullptr;
}

int MenuItem::countOf(const std::string& name) const {
    return static_cast<int>(std::count_if(m_children.begin(), m_children.end(), [&](const auto& c) {
        return c->m_name == name && c->m_index >= 0;
    }));
}

void MenuItem::click() {
    // A disabled item or a separator cannot be chosen.
    if (!m_enabled || isSeparator()) return;
    // The handler may rebuild the menu and so destroy this item while it runs.
    const std::function<void()> handler = m_onClick;
    dispatch(handler);
}

}  // namespace platform
