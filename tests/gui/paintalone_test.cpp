// A widget that draws its ancestors' drawing beneath it itself shows, pixel
// for pixel, what it showed painted with them, follows what they draw there
// when that changes, and when it changes is painted without them: the clock
// edits of the TD and position windows, the values of the FFT window and of
// the Eurofix pages.
#include <QGroupBox>
#include <QTabWidget>

#include "eurofix_hex.h"
#include "gui_test_support.h"
#include "platform/paintalone.h"
#include "plots/eurofixform.h"
#include "plots/fftplot.h"
#include "plots/positionform.h"
#include "plots/tdplot.h"
#include "ui_fftplot.h"
#include "ui_positionform.h"
#include "ui_tdplot.h"

namespace {

class PaintCounter : public QObject {
public:
    explicit PaintCounter(QWidget *w) { w->installEventFilter(this); }
    int painted = 0;

protected:
    bool eventFilter(QObject *, QEvent *event) override
    {
        if (event->type() == QEvent::Paint) ++painted;
        return false;
    }
};

void Settle()
{
    for (int turn = 0; turn < 3; ++turn) QCoreApplication::processEvents();
}

QImage Screen(QWidget *window)
{
    Settle();
    return window->screen()->grabWindow(window->winId()).toImage();
}

// One of two alike panels: a dark panel filling itself, a group box on it with
// a line edit and a label, and a notebook with a label on a page.
struct Twin {
    QWidget *panel;
    QGroupBox *box;
    QLineEdit *edit;
    QLabel *label, *page;
    QTabWidget *notebook;

    Twin(QWidget *window, int x)
    {
        panel = new QWidget(window);
        panel->setGeometry(x, 0, 300, 300);
        QPalette dark = panel->palette();
        dark.setColor(QPalette::Window, QColor(40, 40, 60));
        dark.setColor(QPalette::WindowText, Qt::yellow);
        panel->setPalette(dark);
        panel->setAutoFillBackground(true);
        box = new QGroupBox("Date and Time", panel);
        box->setGeometry(10, 10, 220, 130);
        edit = new QLineEdit(" 12:00:00", box);
        edit->setReadOnly(true);
        edit->setFocusPolicy(Qt::NoFocus);
        edit->setGeometry(8, 24, 198, 21);
        label = new QLabel("Processor Load: 10%", box);
        label->setGeometry(8, 54, 198, 17);
        notebook = new QTabWidget(panel);
        notebook->setGeometry(10, 150, 220, 120);
        auto *tab = new QWidget;
        notebook->addTab(tab, "DGPS");
        page = new QLabel("0", tab);
        page->setGeometry(100, 20, 80, 16);
    }
    std::vector<QWidget *> Changing() const { return {edit, label, page}; }
};

// The window with both panels shown, each widget of the second drawing what is
// beneath it itself.
struct Twins {
    QWidget window;
    Twin reference{&window, 0}, ours{&window, 310};
    PaintAlone alone;

    Twins()
    {
        window.resize(620, 300);
        for (QWidget *w : ours.Changing()) EXPECT_TRUE(alone.Watch(w)) << w->metaObject()->className();
        window.show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(&window));
    }
    void ExpectSame(const std::string &when)
    {
        const QImage screen = Screen(&window);
        EXPECT_TRUE(screen.copy(reference.panel->geometry()) == screen.copy(ours.panel->geometry())) << when;
    }
    template <typename F> void Both(F change)
    {
        change(reference);
        change(ours);
    }
};

// Undoes the watch: the widget is painted with its ancestors again.
void PaintWithAncestors(QWidget *widget)
{
    for (PaintAlone *alone : widget->window()->findChildren<PaintAlone *>()) widget->removeEventFilter(alone);
    widget->setAttribute(Qt::WA_OpaquePaintEvent, false);
}

} // namespace

TEST(PaintAloneTest, ShowsWhatItsAncestorsDrawBeneathItAndFollowsThem)
{
    Twins t;
    t.ExpectSame("shown");
    PaintCounter box(t.ours.box), panel(t.ours.panel), page(t.ours.page->parentWidget());
    t.Both([](Twin &w) {
        w.edit->setText(" 12:00:01");
        w.label->setText("Processor Load: 95%");
        w.page->setText("12345");
    });
    t.ExpectSame("changed");
    EXPECT_EQ(box.painted, 0);
    EXPECT_EQ(panel.painted, 0);
    EXPECT_EQ(page.painted, 0);

    // What the ancestors draw beneath changes: a title, disabled, moved, another colour.
    const std::vector<std::pair<std::string, std::function<void(Twin &)>>> changes = {
        {"title", [](Twin &w) { w.box->setTitle("A much longer title that runs on"); }},
        {"disabled", [](Twin &w) { w.box->setEnabled(false); }},
        {"enabled", [](Twin &w) { w.box->setEnabled(true); }},
        {"box moved", [](Twin &w) { w.box->move(20, 5); }},
        {"flat", [](Twin &w) { w.box->setFlat(true); }},
        {"colour", [](Twin &w) {
             QPalette p = w.panel->palette();
             p.setColor(QPalette::Window, QColor(200, 220, 180));
             w.panel->setPalette(p);
         }},
        {"box resized", [](Twin &w) { w.box->resize(212, 110); }},
        {"other page", [](Twin &w) { w.notebook->addTab(new QWidget, "UTC"); }},
    };
    for (const auto &[what, change] : changes) {
        t.Both(change);
        t.ExpectSame(what);
        t.Both([](Twin &w) { w.edit->setText(w.edit->text() == " 1" ? " 2" : " 1"); });
        t.ExpectSame(what + ", then the edit changed");
    }
}

TEST(PaintAloneTest, AWidgetWithOthersBeneathOrOverItIsPaintedWithItsAncestors)
{
    Twins t;
    // A sibling lying over a watched one from now on: both are drawn by Qt as before.
    t.Both([](Twin &w) {
        auto *over = new QLabel("over", w.box);
        over->setGeometry(100, 30, 50, 40);
        over->show();
    });
    t.Both([](Twin &w) { w.edit->setText(" 13:00:00"); });
    t.ExpectSame("something over the edit");
    EXPECT_FALSE(t.ours.edit->testAttribute(Qt::WA_OpaquePaintEvent));
    std::vector<QLabel *> values;
    t.Both([&](Twin &w) {
        values.push_back(new QLabel("1", w.page->parentWidget()));
        values.back()->setGeometry(10, 50, 60, 16);
        values.back()->show();
    });
    {
        PaintAlone alone;
        EXPECT_FALSE(alone.Watch(t.ours.label)) << "the label lies beneath the new one";
        EXPECT_FALSE(alone.Watch(t.ours.panel)) << "fills itself";
        EXPECT_TRUE(alone.Watch(values[1]));
    }
    // Watched no longer: painted with its ancestors again.
    EXPECT_FALSE(values[1]->testAttribute(Qt::WA_OpaquePaintEvent));
    t.Both([](Twin &w) { w.notebook->setTabText(0, "UTC"); });
    for (QLabel *value : values) value->setText("2");
    t.ExpectSame("the watch gone");
}

// A change of the widget on the window paints none of its ancestors, and the
// window shows what it shows when the widget is painted with them.
class PaintAloneWindowTest : public WindowTest {
protected:
    void SetUp() override
    {
        WindowTest::SetUp();
        CreateForms();
    }
    void ExpectPaintedAlone(QWidget *widget, const std::function<void()> &change, const std::string &what)
    {
        QWidget *window = widget->window();
        window->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(window));
        // What is beneath it drawn anew first, as after the window was painted whole.
        widget->update();
        Settle();
        PaintCounter parent(widget->parentWidget()), self(widget);
        change();
        Settle();
        EXPECT_EQ(parent.painted, 0) << what;
        EXPECT_GT(self.painted, 0) << what;
        const QRect area(widget->parentWidget()->mapTo(window, QPoint()), widget->parentWidget()->size());
        const QImage alone = Screen(window).copy(area);
        PaintWithAncestors(widget);
        window->repaint();
        EXPECT_TRUE(alone == Screen(window).copy(area)) << what;
    }
};

TEST_F(PaintAloneWindowTest, TheClocksAndValuesPaintNoAncestor)
{
    ExpectPaintedAlone(TDForm->ui->Edit6, [] { TDForm->ui->Edit6->setText("            23:59:58"); }, "TD clock");
    ExpectPaintedAlone(TDForm->ui->ComboBox1, [] { TDForm->ui->ComboBox1->setItemText(0, "7499M"); }, "TD master");
    ExpectPaintedAlone(TDForm->ui->Edit4, [] { TDForm->ui->Edit4->setText("1234"); }, "TD count");
    ExpectPaintedAlone(PositionForm->ui->Edit6, [] { PositionForm->ui->Edit6->setText("      23:59:58"); }, "position clock");
    ExpectPaintedAlone(FFTForm->ui->ProcessorLoadLabel, [] { FFTForm->ui->ProcessorLoadLabel->setText("Processor Load: 42%"); },
                       "FFT load");
    ExpectPaintedAlone(FFTForm->ui->VersionLabel, [] { FFTForm->ui->VersionLabel->setText("Version 2.31"); }, "FFT version");
}

TEST_F(PaintAloneWindowTest, TheEurofixValuesPaintNoAncestor)
{
    using namespace eurofixtest;
    Receive("DODU,RMSGA,1.0,12.5,7499M," + Hex({{0, 4, 1}, {4, 13, 100}, {20, 5, 7}}) + ",0,1");
    EurofixForm->ShowPending();
    ASSERT_FALSE(EurofixForm->StationList.empty());
    QLabel *count = EurofixForm->StationList.front()->DgpsCountValue;
    ExpectPaintedAlone(count, [count] { count->setText("123456"); }, "DGPS messages");
}
