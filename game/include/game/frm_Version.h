#pragma once
// The version box: a small modal dialog with the program icon, title, version and notice.

#include "platform/Form.h"

namespace platform {
class CommandButton;
}

class frm_Version : public platform::Form {
public:
    frm_Version();

    platform::CommandButton& Command1() const { return *m_command1; }

protected:
    void onLoad() override;

private:
    platform::CommandButton* m_command1 = nullptr;
};
