#include "platform/wait_cursor.h"

#include <QCursor>
#include <QGuiApplication>
#include <gtest/gtest.h>

TEST(WaitCursor, ShowsTheWaitCursorWhileItLivesAndNests)
{
    ASSERT_EQ(QGuiApplication::overrideCursor(), nullptr);
    {
        const CWaitCursor outer;
        ASSERT_NE(QGuiApplication::overrideCursor(), nullptr);
        EXPECT_EQ(QGuiApplication::overrideCursor()->shape(), Qt::WaitCursor);
        {
            const CWaitCursor inner;
            EXPECT_EQ(QGuiApplication::overrideCursor()->shape(), Qt::WaitCursor);
        }
        ASSERT_NE(QGuiApplication::overrideCursor(), nullptr) << "the outer wait still runs";
        EXPECT_EQ(QGuiApplication::overrideCursor()->shape(), Qt::WaitCursor);
    }
    EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
}
