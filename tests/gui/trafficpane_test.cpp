#include <QScreen>
#include <QScrollBar>
#include <random>

#include "gui_test_support.h"
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
