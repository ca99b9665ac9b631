// デスクトップKiprun!: a golfer on the desktop playing one-stroke golf up the screen.

#include "game/ProgramIcon.h"
#include "game/frmMan.h"
#include "platform/Application.h"
#include "platform/Picture.h"
#include "platform/RuntimeError.h"
#include "shapes/mod_RGN_Data.h"

int main(int argc, char** argv) {
    frmMan::declareRoomNeeded();
    platform::Application app(argc, argv);

    const shapes::EmbeddedFile iconFile = shapes::programIconPng();
    ProgramIcon::set(platform::Picture::fromImageData(iconFile.data, iconFile.size));

    // The start-up runs like any event: a fault in it is reported and ends the program.
    platform::dispatch([] {
        frmMan& man = platform::form<frmMan>();
        man.setIcon(ProgramIcon::get());
        man.show();
    });
    return app.exec();
}
