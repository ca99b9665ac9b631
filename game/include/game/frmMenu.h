#pragma once
// The hidden window that hosts the popup menu: level (switched off), colour, version box and
// exit. Unloading it ends the program.

#include <cstdint>

#include "platform/Form.h"
#include "platform/Menu.h"

class frmMenu : public platform::Form {
public:
    frmMenu();

    // The popup root and its items.
    platform::MenuItem mpop{"mpop", "mpop"};
    platform::MenuItem& mL() const { return *m_mL; }
    platform::MenuItem& mLV(int index) const;
    platform::MenuItem& sep111() const { return *m_sep111; }
    platform::MenuItem& mC() const { return *m_mC; }
    platform::MenuItem& mColor(int index) const;
    platform::MenuItem& mver() const { return *m_mver; }
    platform::MenuItem& mend() const { return *m_mend; }

protected:
    void onQueryUnload() override;

private:
    void mLV_Click(std::int16_t Index);
    void mColor_Click(std::int16_t Index);
    void mver_Click();
    void mend_Click();

    platform::MenuItem* m_mL = nullptr;
    platform::MenuItem* m_sep111 = nullptr;
    platform::MenuItem* m_mC = nullptr;
    platform::MenuItem* m_mver = nullptr;
    platform::MenuItem* m_mend = nullptr;
};
