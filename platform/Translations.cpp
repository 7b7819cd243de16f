#include "Translations.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QTranslator>

#include <iterator>

namespace ombrix {

namespace {

/// The messages that the libraries below the toolkit raise, as they raise them.
constexpr const char* LibraryMessages[] = {
    QT_TRANSLATE_NOOP("Message", "ﾌｧｲﾙ %1 を作成できません"),
    QT_TRANSLATE_NOOP("Message", "ｽﾄﾘｰﾑへの書き込みｴﾗｰ"),
    QT_TRANSLATE_NOOP("Message", "ｼｽﾃﾑ ﾘｿｰｽが足りません"),
    QT_TRANSLATE_NOOP("Message", "%1 に書き込めません"),
    QT_TRANSLATE_NOOP("Message", "%1 を読み込めません"),
    QT_TRANSLATE_NOOP("Message", "%1 を削除できません"),
    QT_TRANSLATE_NOOP("Message", "%1 にはルックがありません"),
};

bool SpeaksJapanese(const QLocale& locale) {
    return locale.language() == QLocale::Japanese || locale.language() == QLocale::C;
}

} // namespace

bool InstallTranslations(const QLocale& locale) {
    // Qt's own texts (standard dialogs, context menus) in the user's language.
    auto* toolkit = new QTranslator(QCoreApplication::instance());
    if (toolkit->load(locale, QStringLiteral("qtbase"), QStringLiteral("_"),
                      QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QCoreApplication::installTranslator(toolkit);
    else
        delete toolkit;
    const bool japanese = SpeaksJapanese(locale);
    auto* program = new QTranslator(QCoreApplication::instance());
    if (!program->load(japanese ? QStringLiteral(":/i18n/ombrix_ja.qm")
                                : QStringLiteral(":/i18n/ombrix_en.qm"))) {
        delete program;
        return false;
    }
    QCoreApplication::installTranslator(program);
    return !japanese;
}

QString TranslateMessage(const QString& message) {
    for (const char* source : LibraryMessages) {
        const QString pattern = QString::fromUtf8(source);
        const qsizetype hole = pattern.indexOf(QLatin1String("%1"));
        if (hole < 0) {
            if (message == pattern)
                return QCoreApplication::translate("Message", source);
            continue;
        }
        const QString before = pattern.left(hole);
        const QString after = pattern.mid(hole + 2);
        if (message.size() >= before.size() + after.size() && message.startsWith(before) &&
            message.endsWith(after)) {
            const QString name =
                message.mid(before.size(), message.size() - before.size() - after.size());
            return QCoreApplication::translate("Message", source).arg(name);
        }
    }
    return message;
}

} // namespace ombrix
