#include "Forms.h"
#include "AboutDlg.h"
#include "Application.h"
#include "OmbrixMain.h"
#include "Setup.h"
#include "TextSet.h"

namespace ombrix {

TForms::TForms(const TSettingsFiles& settings) {
    MainForm_ = std::make_unique<TOmbrixFm>(Refs_);
    Refs_.OmbrixFm = MainForm_.get();
    MainForm_->SettingsPath = settings.Path;
    MainForm_->EarlierSettingsPath = settings.Earlier;
    RunReportingErrors([this] { MainForm_->FormCreate(); });
    SetupDlg_ = std::make_unique<TSetupDlg>();
    Refs_.SetupDlg = SetupDlg_.get();
    AboutBox_ = std::make_unique<TAboutBox>(Refs_);
    Refs_.AboutBox = AboutBox_.get();
    TextSetDlg_ = std::make_unique<TTextSetDlg>(*MainForm_->Model);
    Refs_.TextSetDlg = TextSetDlg_.get();
}

TForms::~TForms() {
    Destroy(false);
}

void TForms::Close() {
    Destroy(true);
}

void TForms::Destroy(bool writeSettings) {
    if (!MainForm_)
        return;
    Refs_.TextSetDlg = nullptr;
    TextSetDlg_.reset();
    Refs_.AboutBox = nullptr;
    AboutBox_.reset();
    Refs_.SetupDlg = nullptr;
    SetupDlg_.reset();
    if (writeSettings)
        RunReportingErrors([this] { MainForm_->FormDestroy(); });
    Refs_.OmbrixFm = nullptr;
    MainForm_.reset();
}

} // namespace ombrix
