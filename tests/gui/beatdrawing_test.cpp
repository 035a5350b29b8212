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
    explicit View(QWidget *w, qint64 periodMs = BeatDrawing::BeatMs)
        : widget(w), drawing(new BeatDrawing(w, [this] { ++draws; }, periodMs)) {}
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
    ASSERT_TRUE(BeatPassed(BeatDrawing::BeatMs));
    EXPECT_EQ(view.draws, 2) << "nothing changed, nothing drawn";
}

// Out of sight nothing is drawn however long the changes wait; back in sight the
// view draws at once, and once.
TEST(BeatDrawing, HiddenOrMinimisedDrawsAtOnceWhenShown)
{
    QWidget window;
    window.resize(100, 100);
    View view(&window);
    view.drawing->Changed();
    view.drawing->Changed();
    ASSERT_TRUE(BeatPassed(BeatDrawing::BeatMs));
    EXPECT_EQ(view.draws, 0);
    window.show();
    EXPECT_EQ(view.draws, 1);
    EXPECT_FALSE(view.drawing->Pending());

    window.showMinimized();
    ASSERT_TRUE(QTest::qWaitFor([&] { return window.isMinimized(); }, 5000));
    EXPECT_FALSE(BeatDrawing::InSight(&window));
    view.drawing->Changed();
    view.drawing->Changed();
    ASSERT_TRUE(BeatPassed(BeatDrawing::BeatMs));
    EXPECT_EQ(view.draws, 1);
    window.showNormal();
    EXPECT_EQ(view.draws, 2);

    // Hidden while it waits for its beat: drawn when shown again, not at the beat.
    view.drawing->Changed();
    ASSERT_TRUE(view.drawing->Pending());
    window.hide();
    ASSERT_TRUE(BeatPassed(BeatDrawing::BeatMs));
    EXPECT_EQ(view.draws, 2);
    window.show();
    EXPECT_EQ(view.draws, 3);
}

TEST(BeatDrawing, AFrameWindowCoveredWholeDrawsWhenUncovered)
{
    QMdiArea area;
    area.resize(600, 400);
    QMdiSubWindow *below = area.addSubWindow(new QWidget);
    QMdiSubWindow *left = area.addSubWindow(new QWidget);
    QMdiSubWindow *right = area.addSubWindow(new QWidget);
    area.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&area));
    below->setGeometry(10, 10, 100, 100);
    left->setGeometry(0, 0, 60, 200);   // two windows, each over a part, together over all of it
    right->setGeometry(60, 0, 100, 200);
    View view(below->widget());
    EXPECT_FALSE(BeatDrawing::InSight(below->widget()));
    view.drawing->Changed();
    ASSERT_TRUE(BeatPassed(BeatDrawing::BeatMs));
    EXPECT_EQ(view.draws, 0);
    right->move(61, 0);   // a strip of the window below shows
    EXPECT_EQ(view.draws, 1);
    right->move(60, 0);
    view.drawing->Changed();
    ASSERT_TRUE(BeatPassed(BeatDrawing::BeatMs));
    EXPECT_EQ(view.draws, 1);
    below->raise();
    EXPECT_EQ(view.draws, 2);
    left->raise();
    right->raise();
    view.drawing->Changed();
    right->showMinimized();   // what covered it lies at the bottom of the frame
    ASSERT_TRUE(Drawn(view.drawing));
    EXPECT_EQ(view.draws, 3);

    // A window opened over it while it waits for its beat: drawn once that one moves away.
    View slow(below->widget(), 300);
    slow.drawing->Changed();
    slow.drawing->Changed();
    ASSERT_EQ(slow.draws, 1);
    QMdiSubWindow *opened = area.addSubWindow(new QWidget);
    opened->setGeometry(0, 0, 300, 300);
    opened->show();
    ASSERT_FALSE(BeatDrawing::InSight(below->widget()));
    ASSERT_TRUE(BeatPassed(300));
    EXPECT_EQ(slow.draws, 1);
    opened->move(250, 0);
    EXPECT_EQ(slow.draws, 2);
}

// A window of the frame minimised, or the frame itself: nothing drawn until
// restored, then at once.
TEST(BeatDrawing, AMinimisedFrameWindowOrFrameDrawsWhenRestored)
{
    QWidget frame;
    auto *area = new QMdiArea(&frame);
    area->setGeometry(0, 0, 600, 400);
    frame.resize(600, 400);
    QMdiSubWindow *sub = area->addSubWindow(new QWidget);
    sub->setGeometry(10, 10, 200, 200);
    frame.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&frame));
    View view(sub->widget());

    sub->showMinimized();
    EXPECT_FALSE(BeatDrawing::InSight(sub->widget()));
    view.drawing->Changed();
    ASSERT_TRUE(BeatPassed(BeatDrawing::BeatMs));
    EXPECT_EQ(view.draws, 0);
    sub->showNormal();
    EXPECT_EQ(view.draws, 1);

    frame.showMinimized();
    EXPECT_FALSE(BeatDrawing::InSight(sub->widget()));
    view.drawing->Changed();
    ASSERT_TRUE(BeatPassed(BeatDrawing::BeatMs));
    EXPECT_EQ(view.draws, 1);
    frame.showNormal();
    EXPECT_EQ(view.draws, 2);
    EXPECT_TRUE(BeatDrawing::InSight(sub->widget()));
}
