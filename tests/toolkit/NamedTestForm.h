#pragma once
// A plain scene window for the toolkit's tests. Each tag type gives a window class of its own
// (with its own global instance) named by the tag, and counts the close handler's runs.

#include <functional>

// Application.h declares end() [[noreturn]], which Form.h befriends; it must come first.
#include "platform/Application.h"
#include "platform/Form.h"

template <class Tag>
class NamedTestForm : public platform::Form {
public:
    NamedTestForm() : platform::Form(Tag::kName) {}

    static platform::FormSlot& slot() { return platform::slotOf<NamedTestForm>(); }
    static NamedTestForm& get() { return platform::form<NamedTestForm>(); }

    static inline int closeCount = 0;
    // Runs inside the close handler, after the count.
    static inline std::function<void()> onClose;

protected:
    void onQueryUnload() override {
        ++closeCount;
        if (onClose) onClose();
    }
};
