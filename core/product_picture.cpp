#include "core/product_picture.h"

#include "core/constant_tables.h"
#include "core/kaleidra_app.h"
#include "core/skin_ini.h"

#include <QFont>
#include <QLinearGradient>
#include <QPainter>

const CSkinIni* ApplicationSkin()
{
    const CKaleidraApp* app = KaleidraApp();
    return app ? app->Skin() : nullptr;
}

QImage BuiltInProductPicture()
{
    QImage picture(500, 240, QImage::Format_RGB32);
    QPainter painter(&picture);
    QLinearGradient background(0, 0, 0, 240);
    background.setColorAt(0, QColor(0x3a, 0x3a, 0x3a));
    background.setColorAt(1, QColor(0x12, 0x12, 0x12));
    painter.fillRect(picture.rect(), background);
    painter.setPen(QColor(0xe8, 0xe8, 0xe8));
    QFont title = painter.font();
    title.setPixelSize(44);
    title.setBold(true);
    painter.setFont(title);
    painter.drawText(QRect(0, 60, 500, 70), Qt::AlignCenter, QString::fromUtf16(u"Kaleidra Pro"));
    QFont subtitle = painter.font();
    subtitle.setPixelSize(16);
    subtitle.setBold(false);
    painter.setFont(subtitle);
    painter.setPen(QColor(0xa0, 0xa0, 0xa0));
    painter.drawText(
        QRect(0, 130, 500, 30), Qt::AlignCenter, QStringLiteral("projection mapping show editor"));
    return picture;
}

QImage LoadProductPicture(const CSkinIni* skin)
{
    if (skin) {
        QString name = skin->GetSplashImage();
        if (name.isEmpty())
            name = QString::fromUtf16(SplashImagePath);
        const QImage picture = skin->LoadImage(name);
        if (!picture.isNull())
            return picture;
    }
    return BuiltInProductPicture();
}
