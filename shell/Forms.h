// The program's four forms. Each reference is set as its form is created, before
// the form's creation handler runs, and stays valid until the program ends.
#pragma once

namespace ombrix {

class TOmbrixFm;
class TSetupDlg;
class TAboutBox;
class TTextSetDlg;

extern TOmbrixFm* OmbrixFm;
extern TSetupDlg* SetupDlg;
extern TAboutBox* AboutBox;
extern TTextSetDlg* TextSetDlg;

} // namespace ombrix
