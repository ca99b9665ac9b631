#include "game/frmMenu.h"

#include "game/frmMan.h"
#include "game/frm_Version.h"
#include "platform/Application.h"
#include "platform/Numeric.h"
#include "platform/RuntimeError.h"
#include "toolkit/mod_RGN_UserFunction.h"

namespace {

platform::MenuItem& itemOf(const platform::MenuItem& parent, const char* name, int index) {
    platform::MenuItem* item = parent.find(name, index);
    if (item == nullptr) platform::raise(platform::ErrorCode::kSubscriptOutOfRange);
    return *item;
}

}  // namespace

frmMenu::frmMenu() : Form("frmMenu") {
    m_mL = &mpop.add("mL", "レベル");
    const char* const levels[] = {"初級", "中級", "上級"};
    for (int i = 0; i < 3; ++i) {
        m_mL->add("mLV", levels[i], i).setOnClick([this, i] {
            mLV_Click(static_cast<std::int16_t>(i));
        });
    }
    m_sep111 = &mpop.add("sep111", "-");
    // The level cannot be chosen: the submenu and its separator are switched off for good.
    m_mL->setVisible(false);
    m_sep111->setVisible(false);

    m_mC = &mpop.add("mC", "色変更");
    const char* const colors[] = {"黒", "青", "桃", "白"};
    for (int i = 0; i < 4; ++i) {
        m_mC->add("mColor", colors[i], i).setOnClick([this, i] {
            mColor_Click(static_cast<std::int16_t>(i));
        });
    }
    mpop.add("sep009", "-");
    m_mver = &mpop.add("mver", "バージョン情報");
    m_mver->setOnClick([this] { mver_Click(); });
    mpop.add("sep001", "-");
    m_mend = &mpop.add("mend", "終了");
    m_mend->setOnClick([this] { mend_Click(); });
}

platform::MenuItem& frmMenu::mLV(int index) const { return itemOf(*m_mL, "mLV", index); }

platform::MenuItem& frmMenu::mColor(int index) const { return itemOf(*m_mC, "mColor", index); }

void frmMenu::mLV_Click(std::int16_t Index) {
    const int count = m_mL->countOf("mLV");
    for (int i = 0; i < count; ++i) {
        mLV(i).setChecked(false);
        if (i == Index) {
            mLV(i).setChecked(true);
            mod_RGN_UserFunction::PutINI("DAVUZ", "LEVEL", platform::toText(Index));
        }
    }
    platform::form<frmMan>().nWait = (2 - Index) * 8 + 5;
}

void frmMenu::mColor_Click(std::int16_t Index) {
    const int count = m_mC->countOf("mColor");
    for (int i = 0; i < count; ++i) {
        mColor(i).setChecked(false);
        if (i == Index) {
            mColor(i).setChecked(true);
            mod_RGN_UserFunction::PutINI("DAVUZ", "COLOR", platform::toText(Index));
        }
    }
    platform::form<frmMan>().CC(Index);
}

void frmMenu::mver_Click() { platform::form<frm_Version>().showModal(); }

void frmMenu::mend_Click() { platform::unload(*this); }

void frmMenu::onQueryUnload() {
    mod_RGN_UserFunction::UnloadOtherForms("frmMenu");
    platform::end();
}
