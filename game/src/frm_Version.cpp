#include "game/frm_Version.h"

#include "game/ProgramIcon.h"
#include "platform/Color.h"
#include "platform/Controls.h"

frm_Version::frm_Version() : Form("frm_Version", platform::FormStyle::Dialog) {
    setCaption("バージョン情報");
    setClientSize(3945, 1125);

    platform::Image& icon = addImage("Image1");
    icon.setPicture(ProgramIcon::get());
    icon.move(105, 180, 480, 480);

    platform::Label& title = addLabel("Label3");
    title.setCaption("デスクトップKiprun!");
    title.setFont("ＭＳ Ｐ明朝", 9, true);
    title.move(780, 180, 2595, 285);

    platform::Label& version = addLabel("Label2");
    version.setCaption("Version 1.0.0");
    version.setFont("Times New Roman", 9.75f, true);
    version.move(1515, 525, 1515, 285);

    // An etched rule across the whole width, between the version and the notice. The middle line
    // has no colour of its own: it takes the window's text colour, as a line does by default.
    addLine("Line1(2)").set(-135, 870, 10330, 870, platform::kWhite);
    addLine("Line1(3)").set(-45, 885, 10330, 885, foreColor());
    addLine("Line1(4)").set(-60, 870, 10330, 870, platform::kWhite);

    // One line under the rule, filling the space down to the bottom edge.
    platform::Label& notice = addLabel("Label1");
    notice.setCaption("Copyright (C) 2026 Kiprun! developers");
    notice.setFont("ＭＳ Ｐゴシック", 9, false);
    notice.setAlignment(2);
    notice.move(105, 900, 3735, 225);

    m_command1 = &addCommandButton("Command1");
    m_command1->setCaption("OK");
    m_command1->move(3075, 120, 795, 345);
    m_command1->setDefault(true);
    m_command1->setCancel(true);
    m_command1->setOnClick([this] { platform::unload(*this); });
}

void frm_Version::onLoad() {
    setIcon(ProgramIcon::get());
    centerOnScreen();
}
