#pragma once
// The window that hosts the result balloon; unloading it removes the balloon.

#include "platform/Form.h"

class frmTalk : public platform::Form {
public:
    frmTalk();
};
