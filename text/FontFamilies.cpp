#include "FontFamilies.h"

#include <QFont>
#include <QFontDatabase>

#include <algorithm>
#include <utility>
#include <vector>

namespace ombrix {

namespace {

// The letters to insert, delete or change to turn `a` into `b`.
int Distance(const QString& a, const QString& b) {
    std::vector<int> row(static_cast<std::size_t>(b.size()) + 1);
    for (std::size_t j = 0; j < row.size(); ++j)
        row[j] = static_cast<int>(j);
    for (qsizetype i = 1; i <= a.size(); ++i) {
        int diagonal = row[0];
        row[0] = static_cast<int>(i);
        for (qsizetype j = 1; j <= b.size(); ++j) {
            const int above = row[static_cast<std::size_t>(j)];
            row[static_cast<std::size_t>(j)] =
                std::min({above + 1, row[static_cast<std::size_t>(j - 1)] + 1,
                          diagonal + (a[i - 1] == b[j - 1] ? 0 : 1)});
            diagonal = above;
        }
    }
    return row.back();
}

} // namespace

bool IsKnownFontFamily(const QString& family) {
    if (!QFont::substitutes(family).isEmpty())
        return true;
    const QStringList families = QFontDatabase::families();
    return std::any_of(families.begin(), families.end(), [&](const QString& installed) {
        return installed.compare(family, Qt::CaseInsensitive) == 0;
    });
}

QStringList CloseFontFamilies(const QString& family, int count) {
    const QString wanted = family.toCaseFolded();
    std::vector<std::pair<int, QString>> scored;
    for (const QString& installed : QFontDatabase::families())
        scored.emplace_back(Distance(wanted, installed.toCaseFolded()), installed);
    std::stable_sort(scored.begin(), scored.end(),
                     [](const auto& a, const auto& b) { return a.first < b.first; });
    QStringList close;
    for (std::size_t i = 0; i < scored.size() && close.size() < count; ++i)
        close << scored[i].second;
    return close;
}

} // namespace ombrix
