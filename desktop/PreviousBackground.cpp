#include "PreviousBackground.h"

#include "Error.h"
#include "SafeFile.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QUrl>

#include <cstring>
#include <stdexcept>

namespace ombrix {

namespace {

QString NameOf(TBackgroundPlace place) {
    const TWayRow* row = PlaceRow(place);
    return row ? row->PlaceName : QString();
}

std::optional<TBackgroundPlace> PlaceNamed(const QString& name) {
    for (const TWayRow& row : WayTable())
        if (row.Place != TBackgroundPlace::None && row.PlaceName == name)
            return row.Place;
    return std::nullopt;
}

QJsonObject ToJson(const TBackgroundValues& values) {
    QJsonArray keys;
    for (const auto& [key, value] : values.Values)
        keys.append(QJsonArray{key, value ? QJsonValue(*value) : QJsonValue()});
    return {{QStringLiteral("place"), NameOf(values.Place)}, {QStringLiteral("keys"), keys}};
}

std::optional<TBackgroundValues> FromJson(const QJsonValue& json) {
    if (!json.isObject())
        return std::nullopt;
    const QJsonObject object = json.toObject();
    TBackgroundValues values;
    const QString place = object.value(QStringLiteral("place")).toString();
    if (!place.isEmpty()) {
        const auto named = PlaceNamed(place);
        if (!named)
            return std::nullopt;
        values.Place = *named;
    }
    if (!object.value(QStringLiteral("keys")).isArray())
        return std::nullopt;
    for (const QJsonValue& entry : object.value(QStringLiteral("keys")).toArray()) {
        const QJsonArray pair = entry.toArray();
        if (pair.size() != 2 || !pair[0].isString() || !(pair[1].isString() || pair[1].isNull()))
            return std::nullopt;
        values.Values.emplace_back(pair[0].toString(), pair[1].isNull()
                                                           ? std::nullopt
                                                           : std::optional(pair[1].toString()));
    }
    return values;
}

[[noreturn]] void Unreadable(const QString& file, const QString& why) {
    throw std::runtime_error(QCoreApplication::translate(
                                 "Background", "The remembered background in %1 cannot be read: %2")
                                 .arg(QDir::toNativeSeparators(file), why)
                                 .toStdString());
}

// The file a picture value names: a file URI or a plain path, in a GVariant string.
QString PictureFile(const std::optional<QString>& literal, bool uri) {
    if (!literal)
        return {};
    const auto text = GVariantStringValue(*literal);
    if (!text)
        return {};
    return uri ? QUrl(*text).toLocalFile() : *text;
}

bool InFolder(const QString& file, const QString& folder) {
    return !file.isEmpty() && !folder.isEmpty() &&
           QDir::cleanPath(file).startsWith(QDir::cleanPath(folder) + QLatin1Char('/'));
}

} // namespace

std::optional<QString> TBackgroundValues::Value(const QString& key) const {
    for (const auto& [name, value] : Values)
        if (name == key)
            return value;
    return std::nullopt;
}

QString RememberedFile(const QString& folder) {
    return QDir(folder).filePath(QStringLiteral("previous-background.json"));
}

QString RootPictureCopy(const QString& folder) {
    return QDir(folder).filePath(QStringLiteral("previous-root.png"));
}

std::optional<TRememberedBackground> ReadRemembered(const QString& file) {
    QFile in(file);
    if (!in.exists())
        return std::nullopt;
    if (!in.open(QIODevice::ReadOnly))
        Unreadable(file, in.errorString());
    QJsonParseError error{};
    const QJsonDocument document = QJsonDocument::fromJson(in.readAll(), &error);
    if (error.error != QJsonParseError::NoError || !document.isObject())
        Unreadable(file,
                   QCoreApplication::translate("Background", "it is not the file Ombrix wrote"));
    const auto previous = FromJson(document.object().value(QStringLiteral("previous")));
    const auto ours = FromJson(document.object().value(QStringLiteral("ours")));
    if (!previous || !ours)
        Unreadable(file,
                   QCoreApplication::translate("Background", "it is not the file Ombrix wrote"));
    return TRememberedBackground{*previous, *ours};
}

void WriteRemembered(const QString& file, const TRememberedBackground& remembered) {
    const QByteArray text =
        QJsonDocument(QJsonObject{{QStringLiteral("previous"), ToJson(remembered.Previous)},
                                  {QStringLiteral("ours"), ToJson(remembered.Ours)}})
            .toJson();
    try {
        ReplaceFile(QFile::encodeName(file).toStdString(),
                    {std::string_view(text.constData(), size_t(text.size()))});
    } catch (const TError& error) {
        throw std::runtime_error(
            QCoreApplication::translate("Background",
                                        "The remembered background cannot be written to %1: %2")
                .arg(QDir::toNativeSeparators(file),
                     QString::fromLocal8Bit(error.Code().message().c_str()))
                .toStdString());
    }
}

TSchemaKeys SchemaKeysOf(TBackgroundPlace place) {
    const TWayRow* row = PlaceRow(place);
    if (!row || row->SetBy != TSetBy::Gsettings)
        return {};
    return {row->Target, row->ReadKeys};
}

std::optional<QString> GVariantStringValue(const QString& literal) {
    if (literal.size() < 2 || literal.front() != literal.back() ||
        (literal.front() != QLatin1Char('\'') && literal.front() != QLatin1Char('"')))
        return std::nullopt;
    QString text;
    for (qsizetype i = 1; i + 1 < literal.size(); ++i) {
        QChar c = literal[i];
        if (c == QLatin1Char('\\') && i + 2 < literal.size()) {
            c = literal[++i];
            if (c == QLatin1Char('n'))
                c = QLatin1Char('\n');
            else if (c == QLatin1Char('t'))
                c = QLatin1Char('\t');
        }
        text += c;
    }
    return text;
}

bool IsOurs(const TBackgroundValues& current, const TBackgroundValues& ours,
            const QString& folder) {
    if (current.Place == TBackgroundPlace::X11Root)
        return ours.Place == current.Place && current.Value(QStringLiteral("pixmap")) &&
               current.Value(QStringLiteral("pixmap")) == ours.Value(QStringLiteral("pixmap"));
    const bool sameDesktop = ours.Place == current.Place;
    if (current.Place == TBackgroundPlace::Xfce) {
        for (const auto& [key, value] : current.Values)
            if (key.endsWith(QStringLiteral("/last-image")) && value &&
                ((sameDesktop && ours.Value(key) == value) || InFolder(*value, folder)))
                return true;
        return false;
    }
    const QStringList keys = SchemaKeysOf(current.Place).Keys;
    if (keys.isEmpty())
        return false;
    const QString& picture = keys.front();
    const std::optional<QString> shown = current.Value(picture);
    if (!shown)
        return false;
    return (sameDesktop && ours.Value(picture) == shown) ||
           InFolder(PictureFile(shown, picture.endsWith(QStringLiteral("-uri"))), folder);
}

QString RestoreTool(TBackgroundPlace place) {
    const TWayRow* row = PlaceRow(place);
    if (!row)
        return {};
    return row->SetBy == TSetBy::Xfconf      ? QStringLiteral("xfconf-query")
           : row->SetBy == TSetBy::Gsettings ? QStringLiteral("gsettings")
                                             : QString();
}

std::vector<QStringList> RestoreRuns(const TBackgroundValues& previous) {
    std::vector<QStringList> runs;
    if (previous.Place == TBackgroundPlace::Xfce) {
        for (const auto& [key, value] : previous.Values) {
            QStringList run{QStringLiteral("-c"), RowOf(TWay::Xfce).Target, QStringLiteral("-p"),
                            key};
            if (value)
                run << QStringLiteral("-n") << QStringLiteral("-t")
                    << (key.endsWith(QStringLiteral("/image-style")) ? QStringLiteral("int")
                                                                     : QStringLiteral("string"))
                    << QStringLiteral("-s") << *value;
            else
                run << QStringLiteral("-r");
            runs.push_back(run);
        }
        return runs;
    }
    const QString schema = SchemaKeysOf(previous.Place).Schema;
    if (schema.isEmpty())
        return runs;
    // A key the schema did not have then (an older GNOME's dark picture) stays as it is.
    for (const auto& [key, value] : previous.Values)
        if (value)
            runs.push_back({QStringLiteral("set"), schema, key, *value});
    return runs;
}

TPreviousState PreviousState(const QString& dataFolder, const TDesktopSession& session) {
    const TBackgroundPlace place = ReadablePlace(session);
    if (place == TBackgroundPlace::None)
        return TPreviousState::Unreadable;
    const QString folder = QDir(dataFolder).filePath(QStringLiteral("wallpapers"));
    try {
        const auto remembered = ReadRemembered(RememberedFile(folder));
        if (remembered && remembered->Previous.Place == place &&
            !remembered->Previous.Values.empty())
            return TPreviousState::Remembered;
    } catch (const std::runtime_error&) {
        // Told when it is put back; until then, as if nothing were remembered.
    }
    return TPreviousState::NothingYet;
}

} // namespace ombrix
