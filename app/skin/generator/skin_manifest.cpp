#include "app/skin/generator/skin_manifest.h"

#include <QFile>
#include <QRegularExpression>
#include <QSet>
#include <QStringList>

namespace {

bool IsSafeRelativePath(const QString& file)
{
    if (file.isEmpty() || file.startsWith(QLatin1Char('/')) || file.contains(QLatin1Char('\\')))
        return false;
    const QStringList parts = file.split(QLatin1Char('/'));
    for (const QString& part : parts) {
        if (part.isEmpty() || part == QStringLiteral(".") || part == QStringLiteral(".."))
            return false;
    }
    return true;
}

bool ApplyOption(SkinPictureEntry& entry, const QString& option, QString* error)
{
    const qsizetype equals = option.indexOf(QLatin1Char('='));
    const QString key = option.left(equals);
    const QString value = option.mid(equals + 1);
    bool ok = equals > 0 && !value.isEmpty();
    if (!ok) {
    } else if (key == QStringLiteral("glyph")) {
        entry.glyph = value;
    } else if (key == QStringLiteral("scale")) {
        entry.scale = value.toDouble(&ok);
        ok = ok && entry.scale > 0 && entry.scale <= 4;
    } else if (key == QStringLiteral("flip")) {
        entry.flip = value;
        ok = value == QStringLiteral("x") || value == QStringLiteral("y") || value == QStringLiteral("xy");
    } else if (key == QStringLiteral("matte")) {
        entry.matte = value;
    } else if (key == QStringLiteral("fill")) {
        entry.fill = value;
    } else {
        ok = false;
    }
    if (!ok)
        *error = QStringLiteral("%1: bad option \"%2\"").arg(entry.where, option);
    return ok;
}

} // namespace

bool LoadSkinManifest(const QString& path, std::vector<SkinPictureEntry>* pictures, QString* error)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        *error = QStringLiteral("%1: cannot read the picture list: %2").arg(path, file.errorString());
        return false;
    }
    static const QRegularExpression size(QStringLiteral("^([0-9]{1,4})x([0-9]{1,4})$"));
    static const QRegularExpression blanks(QStringLiteral("\\s+"));
    QSet<QString> seen;
    const QStringList lines = QString::fromUtf8(file.readAll()).split(QLatin1Char('\n'));
    for (int i = 0; i < lines.size(); ++i) {
        QString line = lines[i];
        static const QRegularExpression comment(QStringLiteral("(^|\\s)#.*$"));
        line.remove(comment);
        const QStringList columns = line.split(blanks, Qt::SkipEmptyParts);
        if (columns.isEmpty())
            continue;
        SkinPictureEntry entry;
        entry.where = QStringLiteral("%1:%2").arg(path).arg(i + 1);
        const QRegularExpressionMatch sized
            = columns.size() >= 4 ? size.match(columns[1]) : QRegularExpressionMatch();
        if (!sized.hasMatch() || sized.captured(1).toInt() == 0 || sized.captured(2).toInt() == 0) {
            *error = QStringLiteral("%1: expected \"file WIDTHxHEIGHT body state [option=value ...]\"")
                         .arg(entry.where);
            return false;
        }
        entry.file = columns[0];
        entry.size = QSize(sized.captured(1).toInt(), sized.captured(2).toInt());
        entry.body = columns[2];
        entry.state = columns[3];
        for (int c = 4; c < columns.size(); ++c) {
            if (!ApplyOption(entry, columns[c], error))
                return false;
        }
        const QString extension = entry.file.section(QLatin1Char('.'), -1).toLower();
        if (!IsSafeRelativePath(entry.file)
            || (extension != QStringLiteral("png") && extension != QStringLiteral("bmp"))) {
            *error = QStringLiteral("%1: \"%2\" is not a relative .png or .bmp path")
                         .arg(entry.where, entry.file);
            return false;
        }
        if (extension == QStringLiteral("bmp") && entry.matte.isEmpty()) {
            *error
                = QStringLiteral("%1: a .bmp picture has no transparency and needs a matte").arg(entry.where);
            return false;
        }
        if (seen.contains(entry.file.toLower())) {
            *error = QStringLiteral("%1: \"%2\" is listed twice").arg(entry.where, entry.file);
            return false;
        }
        seen.insert(entry.file.toLower());
        pictures->push_back(entry);
    }
    return true;
}
