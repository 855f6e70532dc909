#include "core/main_frame.h"
#include "tests/core/qstring_printer.h"

#include "core/boot_param.h"
#include "tests/core/mapped_boot_block.h"

#include <QSignalSpy>
#include <cstring>
#include <gtest/gtest.h>

TEST(MainFrame, TitleIsTheProductCaption)
{
    CMainFrame frame(nullptr);
    EXPECT_EQ(frame.windowTitle(), QStringLiteral("Kaleidra Pro"));
}

TEST(MainFrame, BootParamHandOver)
{
    const struct {
        const char* name;
        bool withView;
        bool withBlock;
        uint32_t flag;
        int result;
        bool passedOn;
        uint32_t flagAfter;
    } cases[] = {
        { "a waiting path goes to the view", true, true, kBootParamWaiting, 0, true, kBootParamFree },
        { "without a view the path keeps waiting", false, true, kBootParamWaiting, -1, false,
            kBootParamWaiting },
        { "without a block nothing is read", true, false, kBootParamWaiting, 0, false, kBootParamWaiting },
        { "a message without a waiting path does nothing", true, true, kBootParamFree, 0, false,
            kBootParamFree },
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        CMappedBootBlock mapped;
        ASSERT_NE(mapped.block, nullptr);
        BootParamBlock& block = *mapped.block;
        block.flag = c.flag;
        std::memcpy(block.path, u"/shows/a.kdp", sizeof u"/shows/a.kdp");
        CMainFrame frame(c.withBlock ? &mapped.memory : nullptr);
        if (c.withView)
            frame.SetActiveView(new QWidget);
        QSignalSpy handedOver(&frame, &CMainFrame::ProjectPathHandedOver);

        EXPECT_EQ(frame.OnBootParam(), c.result);
        EXPECT_EQ(handedOver.size(), c.passedOn ? 1 : 0);
        EXPECT_EQ(block.flag, c.flagAfter);
        if (c.passedOn) {
            EXPECT_EQ(handedOver.front().front().toString(), QStringLiteral("/shows/a.kdp"));
            EXPECT_EQ(frame.LastHandedOverPath(), QStringLiteral("/shows/a.kdp"));
            EXPECT_EQ(block.path[0], u'\0');
        } else {
            EXPECT_EQ(QString::fromUtf16(block.path), QStringLiteral("/shows/a.kdp"));
        }
    }
}

TEST(MainFrame, InstanceMessagesReachTheirHandlers)
{
    CMappedBootBlock mapped;
    ASSERT_EQ(WriteBootParam(mapped.memory, QStringLiteral("/x.kdp")), BootParamWrite::Written);
    CMainFrame frame(&mapped.memory);
    frame.SetActiveView(new QWidget);
    QSignalSpy handedOver(&frame, &CMainFrame::ProjectPathHandedOver);
    frame.OnInstanceMessage(kBringToFrontMessage);
    EXPECT_TRUE(frame.isVisible());
    EXPECT_EQ(handedOver.size(), 0);
    frame.showMinimized();
    frame.OnInstanceMessage(kBootParamMessage);
    frame.OnInstanceMessage(kBringToFrontMessage);
    EXPECT_EQ(handedOver.size(), 1);
    EXPECT_FALSE(frame.isMinimized());
}
