// The program's four forms and how they reach each other. TForms is the one place that
// creates and destroys them, for the program and its tests; it hands each form the
// references to the others, which no form holds as a program-wide variable.
#pragma once

#include "SettingsPath.h"

#include <memory>
#include <string>

namespace ombrix {

class TOmbrixFm;
class TAboutBox;
class TSetupDlg;
class TTextSetDlg;

/// The references through which the forms reach each other. TForms owns them and
/// hands them to the forms that need them. Each is set as soon as its form exists, the
/// main form's before its creation handler runs (no form reads its own reference while
/// it is built), and is null again before its form is destroyed.
struct TFormRefs {
    TOmbrixFm* OmbrixFm = nullptr;
    TSetupDlg* SetupDlg = nullptr;
    TAboutBox* AboutBox = nullptr;
    TTextSetDlg* TextSetDlg = nullptr;
};

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
    TFormRefs Refs_;
    std::unique_ptr<TOmbrixFm> MainForm_;
    std::unique_ptr<TSetupDlg> SetupDlg_;
    std::unique_ptr<TAboutBox> AboutBox_;
    std::unique_ptr<TTextSetDlg> TextSetDlg_;
};

} // namespace ombrix
