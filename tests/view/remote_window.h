#pragma once

#include "remote/kaleidra_remote_view.h"
#include "remote/language_ini.h"
#include "remote/remote_messages.h"
#include "tests/fixtures/temp_folder.h"

#include <QLineEdit>
#include <QTest>
#include <gtest/gtest.h>
#include <memory>

// KaleidraRemote's window with its server on a free port of 127.0.0.1.
struct CRemoteWindow {
    void Start()
    {
        language.SetDefaultPath(folder.FilePath(QStringLiteral("Language.Dat")));
        language.Load(QString());
        RemoteServerOptions options;
        options.bindAddress = QStringLiteral("127.0.0.1");
        options.port = 0;
        remote = std::make_unique<CKaleidraRemoteView>(language, options);
        remote->resize(CKaleidraRemoteView::kFormWidth, CKaleidraRemoteView::kFormHeight);
        remote->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(remote.get()));
        remote->OnInitialUpdate();
        ASSERT_TRUE(remote->IsServerRunning());
        port = remote->Server().ListeningPort();
    }
    // What the user types into the remote's current-time field, taken when the field is left.
    void TypeNowTime(const QString& time)
    {
        remote->findChild<QLineEdit*>(QString::number(IDC_NOWTIME))->setText(time);
        remote->OnKillFocusNowTime();
    }

    CTempFolder folder;
    CLanguageIni language;
    std::unique_ptr<CKaleidraRemoteView> remote;
    uint16_t port = 0;
};
