#pragma once

#include "remote/remote_server.h"

#include <QMainWindow>

class CKaleidraRemoteView;
class CLanguageIni;

// The fixed-size main window of KaleidraRemote: its menu and its one view. Closing asks first.
class CMainFrame : public QMainWindow {
    Q_OBJECT

public:
    CMainFrame(const CLanguageIni& language, RemoteServerOptions serverOptions, QWidget* parent = nullptr);

    CKaleidraRemoteView& View() const { return *m_view; }
    void OnAppAbout();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void CreateMenus();

    const CLanguageIni& m_language;
    CKaleidraRemoteView* m_view = nullptr;
};
