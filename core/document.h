#pragma once

#include <QObject>
#include <QString>

// The editor's one document as the application object and the main frame use it.
class CDocument : public QObject {
public:
    // A path named on the command line; false ends the start-up.
    virtual bool OnOpenDocument(const QString& path) = 0;
    // The question before the editor closes; false keeps it running.
    virtual bool SaveModified() = 0;
    // The editor closes without a question (the system asked it to end): what a confirmed close
    // does.
    virtual void CloseWithoutQuestion() = 0;
};
