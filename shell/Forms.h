// The program's four forms. Each reference is set as its form is created, before
// the form's creation handler runs, and stays valid until the form is destroyed.
// TForms is the one place that creates and destroys them, for the program and its tests.
#pragma once

#include "SettingsPath.h"

#include <memory>
#include <string>

namespace ombrix {

class TOmbrixFm;
class TAboutBox;
class TSetupDlg;
class TTextSetDlg;

extern TOmbrixFm* OmbrixFm;
extern TAboutBox* AboutBox;
// SetupDlg and TextSetDlg are declared with their classes, in Setup.h and TextSet.h.

/// Owns the forms of one run. The constructor creates the main form, gives it the
/// settings files (`settingsPath` alone: no earlier file), runs its creation handler (which reads
/// the settings), then creates the set-up, About and text dialogs. Close() ends the run: it
/// destroys the dialogs in reverse order, runs the main form's destruction handler (which writes
/// the settings) and destroys the main form. An error of either handler is shown in the error box
/// and the rest goes on. Destroying forms that were not closed destroys them in the same order but
/// writes no settings, as a run that is abandoned. Needs the application object.
class TForms {
public:
    explicit TForms(const TSettingsFiles& settings);
    explicit TForms(const std::string& settingsPath) : TForms(TSettingsFiles{settingsPath, {}}) {}
    ~TForms();
    TForms(const TForms&) = delete;
    TForms& operator=(const TForms&) = delete;

    /// The main form; valid until Close().
    TOmbrixFm& Main() const { return *MainForm_; }

    /// Destroys the forms as the program ends; does nothing the second time.
    void Close();

private:
    void Destroy(bool writeSettings);
    std::unique_ptr<TOmbrixFm> MainForm_;
    std::unique_ptr<TSetupDlg> SetupDlg_;
    std::unique_ptr<TAboutBox> AboutBox_;
    std::unique_ptr<TTextSetDlg> TextSetDlg_;
};

} // namespace ombrix
