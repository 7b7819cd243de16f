#include "Forms.h"
#include "AboutDlg.h"
#include "Application.h"
#include "OmbrixMain.h"
#include "Setup.h"
#include "TextSet.h"

namespace ombrix {

TForms::TForms(const TSettingsFiles& settings) {
    MainForm_ = std::make_unique<TOmbrixFm>();
    MainForm_->SettingsPath = settings.Path;
    MainForm_->EarlierSettingsPath = settings.Earlier;
    RunReportingErrors([this] { MainForm_->FormCreate(); });
    SetupDlg_ = std::make_unique<TSetupDlg>();
    AboutBox_ = std::make_unique<TAboutBox>();
    TextSetDlg_ = std::make_unique<TTextSetDlg>(*MainForm_->Model);
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
    TextSetDlg_.reset();
    AboutBox_.reset();
    SetupDlg_.reset();
    if (writeSettings)
        RunReportingErrors([this] { MainForm_->FormDestroy(); });
    MainForm_.reset();
}

} // namespace ombrix
