// The global instances of the window classes and the collection of loaded windows.
//
// The collection owns the window objects. An unloaded window leaves the collection at once, but
// its object lives on until the outermost event handler returns: code of the window (or of a
// window that unloaded it) may still be running on the stack.

#include <algorithm>
#include <memory>
#include <vector>

#include "common/Backend.h"
#include "platform/Form.h"
#include "platform/RuntimeError.h"

namespace platform {

namespace {

struct LoadedForm {
    std::unique_ptr<Form> form;
    FormSlot* slot = nullptr;
};

std::vector<LoadedForm>& collection() {
    static std::vector<LoadedForm> forms;
    return forms;
}

std::vector<std::unique_ptr<Form>>& unloadedForms() {
    static std::vector<std::unique_ptr<Form>> forms;
    return forms;
}

}  // namespace

void Form::dispatchCloseRequest() {
    dispatch([this] {
        if (acceptsCloseRequest()) unload(*this);
    });
}

FormSlot::FormSlot(std::type_index type, Factory factory) : m_type(type), m_factory(factory) {}

Form& FormSlot::get() {
    if (m_current) return *m_current;
    std::unique_ptr<Form> created = m_factory();
    Form& form = *created;
    collection().push_back({std::move(created), this});
    // Set before the load event, so that a reference from inside it finds this instance.
    m_current = &form;
    form.m_loaded = true;
    dispatch([&form] { form.onLoad(); });
    if (m_current != &form) {
        // The load event unloaded its own window; the object may be gone already, so no
        // reference to it can be handed out.
        raise(ErrorCode::kObjectUnloaded);
    }
    return form;
}

void FormSlot::unload() {
    if (m_current) platform::unload(*m_current);
}

void unload(Form& form) {
    if (form.m_unloading) return;
    form.m_unloading = true;
    dispatch([&form] { form.onQueryUnload(); });
    form.destroyNative();
    form.m_loaded = false;

    auto& forms = collection();
    const auto entry = std::find_if(forms.begin(), forms.end(),
                                    [&form](const LoadedForm& f) { return f.form.get() == &form; });
    if (entry == forms.end()) return;  // not a global instance: its owner frees it
    std::unique_ptr<Form> owned = std::move(entry->form);
    if (entry->slot && entry->slot->m_current == &form) entry->slot->m_current = nullptr;
    forms.erase(entry);
    if (dispatchDepth() == 0) {
        owned.reset();
    } else {
        unloadedForms().push_back(std::move(owned));
    }
}

std::vector<Form*> loadedForms() {
    std::vector<Form*> result;
    result.reserve(collection().size());
    for (const LoadedForm& f : collection()) result.push_back(f.form.get());
    return result;
}

void releaseUnloadedForms() {
    // A window's destructor may end up here again; each round frees what was queued before it.
    while (!unloadedForms().empty()) {
        std::vector<std::unique_ptr<Form>> batch = std::move(unloadedForms());
        unloadedForms().clear();
        batch.clear();
    }
}

void FormSlot::closeWithoutHandlers(Form& form) {
    form.m_unloading = true;
    form.destroyNative();
    form.m_loaded = false;
}

void resetFormsForTests() {
    std::vector<LoadedForm> forms = std::move(collection());
    collection().clear();
    // Newest first, as windows created later may refer to earlier ones.
    for (auto f = forms.rbegin(); f != forms.rend(); ++f) {
        if (f->slot) f->slot->m_current = nullptr;
        FormSlot::closeWithoutHandlers(*f->form);
    }
    // Called from inside a handler (a test's end handler), the objects must outlive it.
    for (auto f = forms.rbegin(); f != forms.rend(); ++f) {
        unloadedForms().push_back(std::move(f->form));
    }
    if (dispatchDepth() == 0) releaseUnloadedForms();
}

}  // namespace platform
