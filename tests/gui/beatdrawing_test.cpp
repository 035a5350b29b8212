// A view drawn at the screen-rate beat: at once after a quiet spell, then once a
// beat; out of sight (hidden, minimised, covered in its frame) not at all until
// it comes into sight.
#include <QMdiArea>
#include <QMdiSubWindow>

#include "gui_test_support.h"

namespace {

struct View {
    QWidget *widget;
    int draws = 0;
    BeatDrawing *drawing;
    explicit View(QWidget *w) : widget(w), drawing(new BeatDrawing(w, [this] { ++draws; })) {}
};

} // namespace

TEST(BeatDrawing, DrawsAtOnceAfterAQuietSpellThenOnceABeat)
{
    QWidget window;
    window.resize(100, 100);
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    View view(&window);
    view.drawing->Changed();
    EXPECT_EQ(view.draws, 1);
    for (int i = 0; i < 5; ++i) view.drawing->Changed();
    EXPECT_EQ(view.draws, 1);
    EXPECT_TRUE(view.drawing->Pending());
    ASSERT_TRUE(Drawn(view.drawing));
    EXPECT_EQ(view.draws, 2);
    ASSERT_TRUE(BeatPassed(PresentBeat::PeriodMs));
    EXPECT_EQ(view.draws, 2) << "nothing changed, nothing drawn";
}

TEST(BeatDrawing, HiddenOrMinimisedDrawsOnceShown)
{
    QWidget window;
    window.resize(100, 100);
    View view(&window);
    view.drawing->Changed();
    view.drawing->Changed();
    ASSERT_TRUE(BeatPassed(PresentBeat::PeriodMs));
    EXPECT_EQ(view.draws, 0);
    window.show();
    ASSERT_TRUE(Drawn(view.drawing));
    EXPECT_EQ(view.draws, 1);

    window.showMinimized();
    ASSERT_TRUE(QTest::qWaitFor([&] { return window.isMinimized(); }, 5000));
    view.drawing->Changed();
    ASSERT_TRUE(BeatPassed(PresentBeat::PeriodMs));
    EXPECT_EQ(view.draws, 1);
    window.showNormal();
    ASSERT_TRUE(Drawn(view.drawing));
    EXPECT_EQ(view.draws, 2);
}

TEST(BeatDrawing, AFrameWindowCoveredWholeDrawsWhenUncovered)
{
    QMdiArea area;
    area.resize(600, 400);
    QMdiSubWindow *below = area.addSubWindow(new QWidget);
    QMdiSubWindow *above = area.addSubWindow(new QWidget);
    area.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&area));
    below->setGeometry(10, 10, 100, 100);
    above->setGeometry(0, 0, 200, 200);
    above->raise();
    View view(below->widget());
    EXPECT_FALSE(BeatDrawing::InSight(below->widget()));
    view.drawing->Changed();
    ASSERT_TRUE(BeatPassed(PresentBeat::PeriodMs));
    EXPECT_EQ(view.draws, 0);
    above->move(50, 0);   // a strip of the window below shows
    ASSERT_TRUE(Drawn(view.drawing));
    EXPECT_EQ(view.draws, 1);
    above->move(0, 0);
    view.drawing->Changed();
    ASSERT_TRUE(BeatPassed(PresentBeat::PeriodMs));
    EXPECT_EQ(view.draws, 1);
    below->raise();
    ASSERT_TRUE(Drawn(view.drawing));
    EXPECT_EQ(view.draws, 2);
}
