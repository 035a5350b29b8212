#include <gtest/gtest.h>

#include <QPlainTextEdit>

#include "platform/memo.h"

TEST(TrimMemoLines, AMemoFedForHoursKeepsItsNewestLinesAndNothingBehindThem)
{
    QPlainTextEdit memo;
    for (int i = 0; i < 5000; ++i) {
        memo.appendPlainText(QString("UTC message %1").arg(i));
        TrimMemoLines(&memo, 25);
    }
    const QStringList lines = memo.toPlainText().split('\n');
    ASSERT_EQ(lines.size(), 25);
    EXPECT_EQ(lines.front(), "UTC message 4975");
    EXPECT_EQ(lines.back(), "UTC message 4999");
    EXPECT_EQ(memo.document()->availableUndoSteps(), 0);   // no history of what went
    TrimMemoLines(&memo, 0);
    EXPECT_TRUE(memo.toPlainText().isEmpty());
}
