#include "DialogFont.h"

#include <QFont>
#include <QStringList>

namespace ombrix {

QFont DialogFont(int pixelHeight) {
    QFont font;
    font.setFamily(QStringLiteral("ＭＳ Ｐゴシック"));
    font.setPixelSize(pixelHeight);
    return font;
}

void InstallFontSubstitutes() {
    const QStringList gothic = {QStringLiteral("VL PGothic"), QStringLiteral("VL Gothic"),
                                QStringLiteral("Noto Sans CJK JP"), QStringLiteral("IPAPGothic"),
                                QStringLiteral("DejaVu Sans")};
    const QStringList mincho = {QStringLiteral("IPAPMincho"), QStringLiteral("Noto Serif CJK JP"),
                                QStringLiteral("VL PGothic"), QStringLiteral("DejaVu Serif")};
    QFont::insertSubstitutions(QStringLiteral("ＭＳ Ｐゴシック"), gothic);
    QFont::insertSubstitutions(QStringLiteral("ＭＳ Ｐ明朝"), mincho);
    QFont::insertSubstitutions(
        QStringLiteral("Times New Roman"),
        {QStringLiteral("Liberation Serif"), QStringLiteral("DejaVu Serif")});
}

} // namespace ombrix
