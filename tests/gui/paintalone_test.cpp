// A widget drawing what its ancestors draw beneath it shows, pixel for pixel,
// what it showed painted with them, follows them when that changes, and is
// painted without them when it changes: the clocks of the TD and position
// windows, the values of the FFT window and of the Eurofix pages.
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

struct PaintCounter : QObject {
    explicit PaintCounter(QWidget *w) { w->installEventFilter(this); }
    int painted = 0;
    bool eventFilter(QObject *, QEvent *event) override { return painted += event->type() == QEvent::Paint, false; }
};

QImage Screen(QWidget *window)
{
    for (int turn = 0; turn < 3; ++turn) QCoreApplication::processEvents();
    return window->screen()->grabWindow(window->winId()).toImage();
}

// A dark panel filling itself, a group box on it with an edit and a label, a notebook with a label on its page.
struct Twin {
    QWidget *panel = new QWidget;
    QGroupBox *box = new QGroupBox("Date and Time", panel);
    QLineEdit *edit = new QLineEdit(" 12:00:00", box);
    QLabel *label = new QLabel("Load: 10%", box);
    QTabWidget *notebook = new QTabWidget(panel);
    QLabel *page = new QLabel("0", new QWidget);

    Twin(QWidget *window, int x)
    {
        panel->setParent(window);
        panel->setGeometry(x, 0, 300, 300);
        QPalette dark = panel->palette();
        dark.setColor(QPalette::Window, QColor(40, 40, 60));
        dark.setColor(QPalette::WindowText, Qt::yellow);
        panel->setPalette(dark);
        panel->setAutoFillBackground(true);
        box->setGeometry(10, 10, 220, 130);
        edit->setFocusPolicy(Qt::NoFocus);
        edit->setGeometry(8, 24, 198, 21);
        label->setGeometry(8, 54, 198, 17);
        notebook->setGeometry(10, 150, 220, 120);
        notebook->addTab(page->parentWidget(), "DGPS");
        page->setGeometry(100, 20, 80, 16);
    }
};

// The window with both panels shown, the changing widgets of the second drawing what is beneath them themselves.
struct Twins {
    QWidget window;
    Twin reference{&window, 0}, ours{&window, 310};
    std::unique_ptr<PaintAlone> alone = std::make_unique<PaintAlone>();

    Twins()
    {
        window.resize(620, 300);
        for (QWidget *w : {static_cast<QWidget *>(ours.edit), static_cast<QWidget *>(ours.label), static_cast<QWidget *>(ours.page)})
            EXPECT_TRUE(alone->Watch(w)) << w->metaObject()->className();
        window.show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(&window));
    }
    void Both(const std::function<void(Twin &)> &change) { change(reference), change(ours); }
    void ExpectSame(const std::string &when)
    {
        const QImage screen = Screen(&window);
        EXPECT_TRUE(screen.copy(reference.panel->geometry()) == screen.copy(ours.panel->geometry())) << when;
    }
};

} // namespace

TEST(PaintAloneTest, ShowsWhatItsAncestorsDrawBeneathItAndFollowsThem)
{
    Twins t;
    EXPECT_FALSE(t.alone->Watch(t.ours.panel)) << "fills itself";
    t.ExpectSame("shown");
    PaintCounter box(t.ours.box), panel(t.ours.panel), page(t.ours.page->parentWidget());
    t.Both([](Twin &w) { w.edit->setText(" 12:00:01"), w.label->setText("Load: 95%"), w.page->setText("12345"); });
    t.ExpectSame("changed");
    EXPECT_EQ(box.painted + panel.painted + page.painted, 0);

    // What the ancestors draw beneath changes; then the widgets change over it.
    const std::vector<std::pair<std::string, std::function<void(Twin &)>>> changes = {
        {"title", [](Twin &w) { w.box->setTitle("A much longer title that runs on"); }},
        {"disabled", [](Twin &w) { w.box->setEnabled(false); }},
        {"enabled", [](Twin &w) { w.box->setEnabled(true); }},
        {"box moved and resized", [](Twin &w) { w.box->setGeometry(20, 5, 212, 110); }},
        {"flat", [](Twin &w) { w.box->setFlat(true); }},
        {"colour", [](Twin &w) {
             QPalette p = w.panel->palette();
             p.setColor(QPalette::Window, QColor(200, 220, 180));
             w.panel->setPalette(p);
         }},
        {"other page", [](Twin &w) { w.notebook->addTab(new QWidget, "UTC"); }},
    };
    for (const auto &[what, change] : changes) {
        t.Both(change);
        t.ExpectSame(what);
        t.Both([](Twin &w) { w.edit->setText(w.edit->text() + "1"), w.page->setText(w.page->text() + "1"); });
        t.ExpectSame(what + ", then the widgets changed");
    }
}

TEST(PaintAloneTest, AWidgetWithOthersBeneathOrOverItIsPaintedWithItsAncestors)
{
    Twins t;
    // A sibling coming to lie over a watched one: both are drawn with their ancestors from then on.
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
        PaintAlone another;
        EXPECT_FALSE(another.Watch(t.ours.label)) << "the label lies beneath the new one";
        EXPECT_TRUE(another.Watch(values[1]));
    }
    // Watched no longer: painted with its ancestors again, as is every widget once its watch is gone.
    EXPECT_FALSE(values[1]->testAttribute(Qt::WA_OpaquePaintEvent));
    t.alone.reset();
    EXPECT_FALSE(t.ours.page->testAttribute(Qt::WA_OpaquePaintEvent));
    t.Both([](Twin &w) { w.notebook->setTabText(0, "SMS"), w.page->setText("2"); });
    for (QLabel *value : values) value->setText("2");
    t.ExpectSame("the watch gone");
}

// A change of the widget on its window paints none of its ancestors, and the
// window shows what it shows with the widget painted with them.
class PaintAloneWindowTest : public WindowTest {
protected:
    void ExpectPaintedAlone(QWidget *widget, const QString &text)
    {
        QWidget *window = widget->window();
        window->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(window));
        widget->update();   // what is beneath it drawn anew, as after a whole window's paint
        Screen(window);
        PaintCounter parent(widget->parentWidget()), self(widget);
        if (auto *edit = qobject_cast<QLineEdit *>(widget)) edit->setText(text);
        else if (auto *label = qobject_cast<QLabel *>(widget)) label->setText(text);
        else qobject_cast<QComboBox *>(widget)->setItemText(0, text);
        const QRect area(widget->parentWidget()->mapTo(window, QPoint()), widget->parentWidget()->size());
        const QImage alone = Screen(window).copy(area);
        EXPECT_EQ(parent.painted, 0) << widget->objectName().toStdString();
        EXPECT_GT(self.painted, 0) << widget->objectName().toStdString();
        for (PaintAlone *watch : window->findChildren<PaintAlone *>()) widget->removeEventFilter(watch);
        widget->setAttribute(Qt::WA_OpaquePaintEvent, false);
        window->repaint();
        EXPECT_TRUE(alone == Screen(window).copy(area)) << widget->objectName().toStdString();
    }
};

TEST_F(PaintAloneWindowTest, TheClocksAndValuesPaintNoAncestor)
{
    CreateForms();
    ExpectPaintedAlone(TDForm->ui->Edit6, "            23:59:58");
    ExpectPaintedAlone(TDForm->ui->ComboBox1, "7499M");
    ExpectPaintedAlone(TDForm->ui->Edit4, "1234");
    ExpectPaintedAlone(PositionForm->ui->Edit6, "      23:59:58");
    ExpectPaintedAlone(FFTForm->ui->ProcessorLoadLabel, "Processor Load: 42%");
    ExpectPaintedAlone(FFTForm->ui->VersionLabel, "Version 2.31");
}

TEST_F(PaintAloneWindowTest, TheEurofixValuesPaintNoAncestor)
{
    CreateForms();
    Receive("DODU,RMSGA,1.0,12.5,7499M," + eurofixtest::Hex({{0, 4, 1}, {4, 13, 100}, {20, 5, 7}}) + ",0,1");
    EurofixForm->DrawPending();
    ASSERT_FALSE(EurofixForm->StationList.empty());
    ExpectPaintedAlone(EurofixForm->StationList.front()->DgpsCountValue, "123456");
}
