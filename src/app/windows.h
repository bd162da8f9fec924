#pragma once
// The program's eight windows, created once at start-up in this order and living
// until the program ends. Windows reach each other through these instances.

class Tfrm_main;
class Tfrm_henkango;
class Tfrm_teigi;
class Tfrm_ChangeBefore;
class TAboutBox;
class Tfrm_beforeittkatu;
class Tfrm_kakucyoushi;
class Tfrm_henkancyu;

extern Tfrm_main* frm_main;
extern Tfrm_henkango* frm_henkango;
extern Tfrm_teigi* frm_teigi;
extern Tfrm_ChangeBefore* frm_ChangeBefore;
extern TAboutBox* AboutBox;
extern Tfrm_beforeittkatu* frm_beforeittkatu;
extern Tfrm_kakucyoushi* frm_kakucyoushi;
extern Tfrm_henkancyu* frm_henkancyu;

class QIcon;

namespace kt::ui {
// The program's icon, which every window shows.
QIcon ProgramIcon();
// Creates the eight windows in their fixed order (the main window first), all hidden.
void CreateWindows();
// Destroys them again (tests and the end of the program).
void DestroyWindows();
}  // namespace kt::ui
