#include <QScreen>
#include <QScrollBar>
#include <QStringList>
#include <random>

#include "gui_test_support.h"
#include "platform/plaintext.h"
#include "platform/trafficpane.h"

namespace {

// Whether the window shows what the pane's view shows drawn whole.
bool ShownAsDrawnWhole(TrafficPane &pane)
{
    QWidget *port = pane.viewport(), *window = pane.window();
    const QPoint at = port->mapTo(window, QPoint());
    const QImage shown = window->screen()->grabWindow(window->winId(), at.x(), at.y(), port->width(), port->height()).toImage();
    return shown.convertToFormat(QImage::Format_RGB32) == port->grab().toImage().convertToFormat(QImage::Format_RGB32);
}

} // namespace

// A pane kept current as the stream runs (lines gone at the front, new ones at
// the end, a line cut by a chunk finished by the next) shows on the screen what
// it shows drawn whole: wrapped or not, a text shorter than the view and one
// longer, followed by its caret or by the bottom, with a selection let go.
TEST(TrafficPaneTest, KeptCurrentItShowsWhatItShowsDrawnWhole)
{
    const QString sample = QString::fromLatin1(SampleBytes().left(40000)).replace("\r\n", "\n");
    for (bool wrapped : {false, true}) {
        for (int kept : {150, 750, 4000}) {
            SCOPED_TRACE((wrapped ? "wrapped, " : "not wrapped, ") + std::to_string(kept) + " characters kept");
            QWidget window;
            window.resize(330, 200);
            TrafficPane pane(&window);
            DrawTextUnshaped(&pane);
            pane.setGeometry(window.rect());
            pane.SetWrapped(wrapped);
            pane.SetFollow(wrapped ? TrafficPane::Follow::Bottom : TrafficPane::Follow::Caret);
            window.show();
            ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
            std::mt19937 rng(kept);
            QString stream;
            for (qsizetype i = 0; i < 12000;) {
                const qsizetype n = 1 + rng() % (kept / 3);
                stream += sample.mid(i, n);
                i += n;
                if (stream.size() > kept) stream.remove(0, stream.size() - kept);
                if (rng() % 10 == 0) pane.Select(3, 40);
                pane.ShowText(stream);
                ASSERT_EQ(pane.toPlainText(), stream);
                ASSERT_TRUE(QTest::qWaitFor([&] { return ShownAsDrawnWhole(pane); }, 3000)) << "at " << i;
            }
            EXPECT_EQ(pane.verticalScrollBar()->value(), pane.verticalScrollBar()->maximum());
            EXPECT_TRUE(pane.viewport()->rect().contains(pane.CaretRect()));
        }
    }
}

// A line wider than the pane, scrolled across: the view shows what a pane wide
// enough for the whole line shows at the same place.
TEST(TrafficPaneTest, ALongLineScrolledAcrossShowsWhatAWidePaneShowsThere)
{
    QStringList lines;
    for (const QString &line : QString::fromLatin1(SampleBytes().left(30000)).split("\r\n"))
        if (line.size() > 150 && lines.size() < 4) lines << line;
    ASSERT_EQ(lines.size(), 4);
    const QString text = lines.join('\n') + "\nIn> ver";
    QWidget window;
    TrafficPane narrow(&window), wide(&window);
    narrow.setGeometry(0, 0, 300, 120);
    window.resize(4000, 260);
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    for (TrafficPane *pane : {&narrow, &wide}) {
        DrawTextUnshaped(pane);   // as the program's panes: the lines are drawn from the glyph table
        pane->SetFollow(TrafficPane::Follow::Bottom);
        pane->ShowText(text);
    }
    wide.setGeometry(0, 130, narrow.horizontalScrollBar()->maximum() + 300, 120);
    ASSERT_TRUE(QTest::qWaitFor([&] { return !wide.horizontalScrollBar()->isVisible() && narrow.horizontalScrollBar()->isVisible(); }, 3000));
    const QImage whole = wide.viewport()->grab().toImage();
    QScrollBar *across = narrow.horizontalScrollBar();
    for (int at = 0; at <= across->maximum(); at += 37) {
        across->setValue(at);
        const QSize port = narrow.viewport()->size();
        EXPECT_TRUE(QTest::qWaitFor([&] { return ShownAsDrawnWhole(narrow); }, 3000)) << at;
        EXPECT_EQ(narrow.viewport()->grab().toImage(), whole.copy(QRect(QPoint(at, 0), port))) << at;
    }
}
