#pragma once
// Menus: a tree of items with captions, check marks and enabled/visible states. Item arrays are
// items that share a name and carry an index (mColor(0) .. mColor(3)); a caption "-" makes a
// separator. A menu tree is opened as a popup with Form::popupMenu.

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace platform {

class MenuItem {
public:
    // `index` is the item's index in its item array, or -1 for a plain item.
    MenuItem(std::string name, std::string caption, int index = -1);
    ~MenuItem();
    MenuItem(const MenuItem&) = delete;
    MenuItem& operator=(const MenuItem&) = delete;

    const std::string& name() const { return m_name; }
    int index() const { return m_index; }
    const std::string& caption() const { return m_caption; }
    void setCaption(std::string caption) { m_caption = std::move(caption); }
    bool isSeparator() const { return m_caption == "-"; }
    bool checked() const { return m_checked; }
    void setChecked(bool checked) { m_checked = checked; }
    bool enabled() const { return m_enabled; }
    void setEnabled(bool enabled) { m_enabled = enabled; }
    bool visible() const { return m_visible; }
    void setVisible(bool visible) { m_visible = visible; }

    // Adds a child item (making this item a submenu) and returns it.
    MenuItem& add(std::string name, std::string caption, int index = -1);
    const std::vector<std::unique_ptr<MenuItem>>& children() const { return m_children; }
    MenuItem* parent() const { return m_parent; }
    // The child with this name and index, or nullptr.
    MenuItem* find(const std::string& name, int index = -1) const;
    // The number of items of the item array `name` among the children.
    int countOf(const std::string& name) const;

    void setOnClick(std::function<void()> handler) { m_onClick = std::move(handler); }
    // Runs the click handler as choosing the item would (through platform::dispatch).
    void click();

private:
    std::string m_name;
    std::string m_caption;
    int m_index;
    bool m_checked = false;
    bool m_enabled = true;
    bool m_visible = true;
    MenuItem* m_parent = nullptr;
    std::vector<std::unique_ptr<MenuItem>> m_children;
    std::function<void()> m_onClick;
};

}  // namespace platform
