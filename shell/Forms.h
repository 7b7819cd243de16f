// The program's four forms. Each reference is set as its form is created, before
// the form's creation handler runs, and stays valid until the program ends.
#pragma once

namespace ombrix {

class TOmbrixFm;
class TAboutBox;

extern TOmbrixFm* OmbrixFm;
extern TAboutBox* AboutBox;
// SetupDlg and TextSetDlg are declared with their classes, in Setup.h and TextSet.h.

} // namespace ombrix
