#pragma once

#include <QObject>
#include <QString>
#include <QWidget>
#include <functional>
#include <memory>

class CMainFrame;

// What the editor's single-document template creates at start-up: the document, the view in
// the main frame, and the opening of a file named on the command line.
struct CSingleDocTemplate {
    std::function<std::unique_ptr<QObject>()> createDocument;
    std::function<QWidget*(CMainFrame& frame, QObject& document)> createView;
    // false ends the start-up.
    std::function<bool(QObject& document, const QString& path)> openDocumentFile;
};
