#include "core/pm_param_block.h"
#include "platform/mem_mapped.h"
#include "viewer/headless_output.h"
#include "viewer/lux_viewer.h"
#include "viewer/viewer_window.h"

#include <QGuiApplication>
#include <QMediaDevices>
#include <QSurfaceFormat>
#include <QTextStream>

// Luxviewer [--headless] x y width height
// Started by the editor with the rectangle of its output window; drives nothing by itself and
// ends with the editor.
int main(int argc, char** argv)
{
    QSurfaceFormat format;
    format.setVersion(3, 3);
    format.setProfile(QSurfaceFormat::CoreProfile);
    QSurfaceFormat::setDefaultFormat(format);
    QGuiApplication app(argc, argv);
    QGuiApplication::setApplicationName(QStringLiteral("Luxviewer"));
    QGuiApplication::setQuitOnLastWindowClosed(false);

    QString error;
    const std::optional<ViewerOptions> options = ViewerOptions::Parse(app.arguments().mid(1), &error);
    if (!options) {
        QTextStream(stderr) << "Luxviewer: " << error << Qt::endl;
        return 2;
    }
    // The editor's block, opened, never made: without its editor the viewer has nothing to do.
    CMemMapped memory;
    auto* block = static_cast<PmParamBlock*>(memory.Open(sizeof(PmParamBlock), PmParamBlockName()));
    if (!block) {
        QTextStream(stderr) << "Luxviewer: the editor's shared block " << PmParamBlockName()
                            << " is not there" << Qt::endl;
        return 1;
    }

    if (!options->headless && !CViewerWindow::CanDraw(&error)) {
        QTextStream(stderr) << "Luxviewer: " << error << Qt::endl;
        return 3;
    }
    const QAudioDevice audio = options->headless ? QAudioDevice() : QMediaDevices::defaultAudioOutput();
    CLuxViewer viewer(*options, *block, audio);
    if (options->headless)
        viewer.Start(std::make_unique<CHeadlessOutput>(viewer, options->rect));
    else
        viewer.Start(
            std::make_unique<CViewerWindow>(viewer, options->rect, ViewerOptions::StartViewerMode()));
    return app.exec();
}
