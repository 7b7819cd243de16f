#include "Application.h"

#include "ErrorText.h"

#include <QFont>
#include <QIcon>
#include <QMessageBox>

namespace ombrix {

TApplication::TApplication(int& argc, char** argv) : QApplication(argc, argv) {}

bool TApplication::notify(QObject* receiver, QEvent* event) {
    try {
        return QApplication::notify(receiver, event);
    } catch (...) {
        ReportException(std::current_exception());
        return true;
    }
}

void ShowErrorBox(const QString& message) {
    QMessageBox box(QMessageBox::Critical, QApplication::applicationName(), message + u'.',
                    QMessageBox::Ok);
    box.setObjectName(QStringLiteral("ErrorBox"));
    box.exec();
}

void ReportException(std::exception_ptr error) {
    ShowErrorBox(ExceptionText(error));
}

void SetUpDesktopIdentity() {
    QApplication::setApplicationName(QStringLiteral("Ombrix"));
    QGuiApplication::setDesktopFileName(QStringLiteral(OMBRIX_APP_ID));
    QIcon icon;
    for (const int size : {16, 22, 24, 32, 48, 64, 128, 256})
        icon.addFile(QStringLiteral(":/icons/%1.png").arg(size), QSize(size, size));
    QApplication::setWindowIcon(icon);
}

} // namespace ombrix
