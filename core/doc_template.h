#pragma once

#include "core/document.h"

#include <QWidget>
#include <functional>
#include <memory>

class CMainFrame;

// What the editor's single-document template creates at start-up: the document, which takes a
// path named on the command line, then the view in the main frame. A view that cannot be set up
// is null, and the start-up ends.
struct CSingleDocTemplate {
    std::function<std::unique_ptr<CDocument>()> createDocument;
    std::function<QWidget*(CMainFrame& frame, CDocument& document)> createView;
};
