#include <gtest/gtest.h>

#include <QPlainTextEdit>

#include "platform/memo.h"

TEST(TrimMemoLines, KeepsTheNewestLines)
{
    QPlainTextEdit memo;
    for (int i = 1; i <= 30; ++i) memo.appendPlainText(QString("message %1").arg(i));
    TrimMemoLines(&memo, 25);
    QStringList lines = memo.toPlainText().split('\n');
    ASSERT_EQ(lines.size(), 25);
    EXPECT_EQ(lines.front(), "message 6");
    EXPECT_EQ(lines.back(), "message 30");
    TrimMemoLines(&memo, 25);   // nothing more to do
    EXPECT_EQ(memo.document()->blockCount(), 25);
    TrimMemoLines(&memo, 0);
    EXPECT_TRUE(memo.toPlainText().isEmpty());
}

TEST(TrimMemoLines, AMemoFedForHoursKeepsNothingBehindItsLines)
{
    QPlainTextEdit memo;
    for (int i = 0; i < 5000; ++i) {
        memo.appendPlainText(QString("UTC message %1").arg(i));
        TrimMemoLines(&memo, 25);
    }
    EXPECT_EQ(memo.document()->blockCount(), 25);
    EXPECT_EQ(memo.document()->availableUndoSteps(), 0);   // no history of what went
    EXPECT_EQ(memo.toPlainText().split('\n').back(), "UTC message 4999");
}
