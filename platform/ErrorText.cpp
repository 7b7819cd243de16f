#include "ErrorText.h"

#include <QCoreApplication>
#include <QFile>

#include <new>

namespace ombrix {

namespace {

// The designed texts, %1 standing for the subject.
const char* SourceText(TFailure failure) {
    switch (failure) {
    case TFailure::CreateFile:
        return QT_TRANSLATE_NOOP("Message", "ﾌｧｲﾙ %1 を作成できません");
    case TFailure::WriteFile:
        return QT_TRANSLATE_NOOP("Message", "ｽﾄﾘｰﾑへの書き込みｴﾗｰ");
    case TFailure::ReadFile:
        return QT_TRANSLATE_NOOP("Message", "%1 を読み込めません");
    case TFailure::WriteSettings:
        return QT_TRANSLATE_NOOP("Message", "%1 に書き込めません");
    case TFailure::RemoveFile:
        return QT_TRANSLATE_NOOP("Message", "%1 を削除できません");
    case TFailure::NotALookFile:
        return QT_TRANSLATE_NOOP("Message", "%1 にはルックがありません");
    case TFailure::MakeFolder:
        return QT_TRANSLATE_NOOP("Message", "ﾌｫﾙﾀﾞ %1 を作成できません");
    case TFailure::StartProgram:
        return QT_TRANSLATE_NOOP("Message", "%1 を起動できません");
    }
    return QT_TRANSLATE_NOOP("Message", "予期しないエラーが発生しました");
}

} // namespace

QString ErrorText(const TError& error) {
    QString text = QCoreApplication::translate("Message", SourceText(error.Failure()));
    if (text.contains(QLatin1String("%1")))
        text = text.arg(QFile::decodeName(QByteArray::fromStdString(error.Subject())));
    return text;
}

QString ExceptionText(std::exception_ptr error) {
    try {
        std::rethrow_exception(error);
    } catch (const TError& e) {
        return ErrorText(e);
    } catch (const std::bad_alloc&) {
        return QCoreApplication::translate("Message", "ｼｽﾃﾑ ﾘｿｰｽが足りません");
    } catch (const std::exception& e) {
        return QString::fromUtf8(e.what());
    } catch (...) {
        return QCoreApplication::translate("Message", "予期しないエラーが発生しました");
    }
}

} // namespace ombrix
