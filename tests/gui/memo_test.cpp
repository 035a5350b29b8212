#include <gtest/gtest.h>

#include <QPlainTextEdit>
#include <QScrollBar>
#include <QTextBlock>
#include <random>

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

// Lists of lines of changing lengths and contents, given one after another: the
// memo ends each time as a new text leaves it, and the lines that stayed were
// not touched.
TEST(SetMemoLines, TheMemoEndsAsANewTextLeavesItAndKeepsTheLinesThatStayed)
{
    QPlainTextEdit memo, whole;
    memo.resize(120, 80);
    memo.show();
    std::mt19937 random(3);
    QStringList lines;
    for (int round = 0; round < 300; ++round) {
        lines.resize(static_cast<qsizetype>(random() % 14));
        for (QString &line : lines)
            if (random() % 3 == 0) line = QString("line %1 %2").arg(random() % 5).arg(QString(random() % 30, 'x'));
        std::vector<std::pair<QString, int>> before;   // text and revision of each line
        for (QTextBlock b = memo.document()->begin(); b.isValid(); b = b.next()) before.emplace_back(b.text(), b.revision());
        memo.verticalScrollBar()->setValue(memo.verticalScrollBar()->maximum());
        SetMemoLines(&memo, lines);
        whole.setPlainText(lines.join('\n'));
        ASSERT_EQ(memo.toPlainText(), whole.toPlainText()) << round;
        ASSERT_EQ(memo.document()->blockCount(), whole.document()->blockCount());
        EXPECT_EQ(memo.textCursor().position(), 0);
        EXPECT_EQ(memo.verticalScrollBar()->value(), 0);
        EXPECT_EQ(memo.document()->availableUndoSteps(), 0);
        // A line that stayed, short of the last of either text (where lines are added or cut), is untouched.
        const qsizetype both = std::min<qsizetype>(static_cast<qsizetype>(before.size()), lines.size());
        QTextBlock b = memo.document()->begin();
        for (qsizetype i = 0; i + 1 < both; ++i, b = b.next())
            if (before[static_cast<size_t>(i)].first == lines[i] && b.revision() != before[static_cast<size_t>(i)].second)
                ADD_FAILURE() << "line " << i << " rewritten in round " << round;
    }
}
