#include "app/skin/generator/skin_manifest.h"
#include "app/skin/generator/skin_renderer.h"
#include "app/skin/generator/skin_sheet.h"
#include "app/skin/generator/skin_style_table.h"

#include <QCommandLineParser>
#include <QDir>
#include <QGuiApplication>
#include <cstdio>

// Renders the pictures of a picture list from the skin's SVG sources and its style table, at
// build time. Any missing or unreadable source fails the run, and with it the build.
int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);

    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("Renders the skin's pictures from their SVG sources."));
    parser.addHelpOption();
    const QCommandLineOption sources(QStringLiteral("sources"),
        QStringLiteral("Folder of bodies/ and glyphs/."), QStringLiteral("folder"));
    const QCommandLineOption styles(
        QStringLiteral("styles"), QStringLiteral("The style table."), QStringLiteral("file"));
    const QCommandLineOption pictures(
        QStringLiteral("pictures"), QStringLiteral("The picture list."), QStringLiteral("file"));
    const QCommandLineOption output(QStringLiteral("output"),
        QStringLiteral("Folder the pictures are written to."), QStringLiteral("folder"));
    const QCommandLineOption sheet(QStringLiteral("sheet"),
        QStringLiteral("Also write a sheet of every picture."), QStringLiteral("png"));
    const QCommandLineOption value(QStringLiteral("value"), QStringLiteral("An extra value for the sources."),
        QStringLiteral("name=text"));
    parser.addOptions({ sources, styles, pictures, output, sheet, value });
    parser.process(app);

    auto fail = [](const QString& message) {
        std::fprintf(stderr, "kaleidra_skin_generator: %s\n", qPrintable(message));
        return 1;
    };
    for (const QCommandLineOption& required : { sources, styles, pictures, output }) {
        if (!parser.isSet(required))
            return fail(QStringLiteral("--%1 is required").arg(required.names().front()));
    }
    std::map<QString, QString> extraValues;
    for (const QString& pair : parser.values(value)) {
        const qsizetype equals = pair.indexOf(QLatin1Char('='));
        if (equals <= 0)
            return fail(QStringLiteral("--value takes name=text, not \"%1\"").arg(pair));
        extraValues[pair.left(equals)] = pair.mid(equals + 1);
    }

    QString error;
    CSkinStyleTable styleTable;
    if (!styleTable.Load(parser.value(styles), &error))
        return fail(error);
    std::vector<SkinPictureEntry> list;
    if (!LoadSkinManifest(parser.value(pictures), &list, &error))
        return fail(error);

    const CSkinRenderer renderer(parser.value(sources), styleTable, extraValues);
    const QDir folder(parser.value(output));
    std::vector<SkinSheetEntry> rendered;
    for (const SkinPictureEntry& entry : list) {
        QImage picture = renderer.Render(entry, &error);
        if (picture.isNull())
            return fail(error);
        if (!CSkinRenderer::Save(picture, folder.filePath(entry.file), &error))
            return fail(error);
        rendered.push_back({ entry, std::move(picture) });
    }
    if (parser.isSet(sheet)) {
        const QString title = QStringLiteral("Kaleidra default skin: %1 pictures").arg(rendered.size());
        if (!CSkinRenderer::Save(DrawSkinSheet(rendered, title), parser.value(sheet), &error))
            return fail(error);
    }
    return 0;
}
