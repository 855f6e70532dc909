#include "app/skin/generator/skin_sheet.h"

#include <QFontMetrics>
#include <QPainter>

namespace {

constexpr int kSheetWidth = 1400;
constexpr int kMargin = 16;
constexpr int kGap = 12;
constexpr int kLabelHeight = 14;
const QColor kSheetBack(43, 43, 43);
const QColor kCellBack(88, 88, 88);
const QColor kHeading(244, 211, 112);
const QColor kLabel(220, 220, 220);

QString GroupOf(const QString& file)
{
    const qsizetype slash = file.lastIndexOf(QLatin1Char('/'));
    return slash < 0 ? QStringLiteral("Skin") : QStringLiteral("Skin/") + file.left(slash);
}

QString LabelOf(const QString& file)
{
    return file.mid(file.lastIndexOf(QLatin1Char('/')) + 1);
}

int Zoom(const QImage& picture)
{
    return qMax(picture.width(), picture.height()) < 24 ? 2 : 1;
}

struct Placed {
    const SkinSheetEntry* entry = nullptr;
    QRect cell;
};

} // namespace

QImage DrawSkinSheet(const std::vector<SkinSheetEntry>& entries, const QString& title)
{
    QFont labelFont;
    labelFont.setPixelSize(10);
    QFont headingFont;
    headingFont.setPixelSize(15);
    headingFont.setBold(true);
    const QFontMetrics labels(labelFont);

    // Lay the cells out in rows, a new heading for each folder.
    std::vector<Placed> placed;
    std::vector<std::pair<QString, int>> headings;
    int x = kMargin;
    int y = kMargin + 28;
    int rowHeight = 0;
    QString group;
    for (const SkinSheetEntry& entry : entries) {
        const int zoom = Zoom(entry.picture);
        const QSize shown = entry.picture.size() * zoom;
        const int width = qMax(shown.width(), labels.horizontalAdvance(LabelOf(entry.listed.file))) + 8;
        const int height = shown.height() + kLabelHeight + 8;
        if (GroupOf(entry.listed.file) != group) {
            group = GroupOf(entry.listed.file);
            y += rowHeight + (placed.empty() ? 0 : kGap * 2);
            headings.emplace_back(group, y);
            y += 22;
            x = kMargin;
            rowHeight = 0;
        } else if (x + width > kSheetWidth - kMargin) {
            y += rowHeight + kGap;
            x = kMargin;
            rowHeight = 0;
        }
        placed.push_back({ &entry, QRect(x, y, width, height) });
        x += width + kGap;
        rowHeight = qMax(rowHeight, height);
    }

    QImage sheet(kSheetWidth, y + rowHeight + kMargin, QImage::Format_RGB32);
    sheet.fill(kSheetBack);
    QPainter painter(&sheet);
    painter.setRenderHint(QPainter::TextAntialiasing);
    painter.setFont(headingFont);
    painter.setPen(kHeading);
    painter.drawText(QPoint(kMargin, kMargin + 16), title);
    for (const auto& [name, top] : headings)
        painter.drawText(QPoint(kMargin, top + 15), name);
    painter.setFont(labelFont);
    for (const Placed& cell : placed) {
        painter.fillRect(cell.cell, kCellBack);
        const QImage& picture = cell.entry->picture;
        const int zoom = Zoom(picture);
        const QRect target(
            cell.cell.left() + 4, cell.cell.top() + 4, picture.width() * zoom, picture.height() * zoom);
        painter.drawImage(target, picture);
        painter.setPen(kLabel);
        painter.drawText(
            QRect(cell.cell.left() + 4, target.bottom() + 2, cell.cell.width() - 8, kLabelHeight),
            Qt::AlignLeft | Qt::AlignVCenter, LabelOf(cell.entry->listed.file));
    }
    return sheet;
}
