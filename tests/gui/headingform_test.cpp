// The heading window fed HDGA lines through the router: a column per source,
// ageing, the offset edits with their checks and stored values, the needles.
#include <QLineEdit>
#include <QPushButton>
#include <cmath>

#include "gui_test_support.h"
#include "plots/compassview.h"
#include "plots/headingform.h"
#include "ui_headingform.h"

namespace {

// The pixel `radius` pixels from the hub along a needle at `degrees` and `side`
// pixels to the right of its axis, in window coordinates.
QPoint OnNeedle(double degrees, double radius, double side = 0.0)
{
    double a = degrees * M_PI / 180.0;
    return HeadingForm->ui->PaintBox1->pos() +
           QPoint(static_cast<int>(std::lround(DialCentre + radius * std::sin(a) + side * std::cos(a))),
                  static_cast<int>(std::lround(DialCentre - radius * std::cos(a) + side * std::sin(a))));
}

const QColor Red(255, 0, 0), Green(0, 128, 0), Blue(0, 0, 255);
const QString Hidden = "<hidden>";

} // namespace

class HeadingFormTest : public WindowTest {
protected:
    Ui::THeadingForm *ui = nullptr;

    void SetUp() override
    {
        WindowTest::SetUp();
        Create();
    }
    void Create()
    {
        CreateForms();
        ui = HeadingForm->ui.get();
        HeadingForm->Timer1->stop();   // the tests tick it themselves
    }
    void Hdga(char source, double heading, double time = 1.0)
    {
        Receive("DODU,HDGA,1.0," + std::to_string(time) + ",0.01," + source + "," + std::to_string(heading) + ",0.25,0.75");
    }
    void Tick(int n)
    {
        for (int i = 0; i < n; ++i) HeadingForm->Timer1Timer();
    }
    QStringList Column(int c) const
    {
        const THeadingForm &f = *HeadingForm;
        return {f.SourceLabels[c]->text(), f.TimeLabels[c]->text(), f.HeadingLabels[c]->text(),
                f.HeadingStdLabels[c]->text(), f.QualityLabels[c]->text(), f.OffsetLabels[c]->text()};
    }
    QStringList Edits() const
    {
        QStringList texts;
        for (QLineEdit *e : HeadingForm->OffsetEdits) texts << (e->isHidden() ? Hidden : e->text());
        return texts;
    }
    void SetOffsets(const QStringList &texts)
    {
        ui->Button1->click();
        for (int c = 0; c < texts.size(); ++c)
            if (!texts[c].isNull()) HeadingForm->OffsetEdits[c]->setText(texts[c]);
        ui->Button1->click();
    }
};

TEST_F(HeadingFormTest, EachSourceKeepsItsColumnAndBadLinesChangeNothing)
{
    DestroyForms();
    WriteSetting("HF_Offset_1", "20");
    Create();
    Receive("DODU,HDGA,1.0,28.37,0.04,G,350.0,1.75,0.90");   // fed while hidden
    EXPECT_EQ(Column(0), (QStringList{"GPS", "28.37", "10.00", "1.75", "0.90", "20.00"}));
    EXPECT_EQ(HeadingForm->SourceLabels[0]->palette().color(QPalette::WindowText), Green);
    Receive("HDGA,29,0,L,30,0.5,0.6");   // the bare form; eLoran's offset at its default
    EXPECT_EQ(Column(1), (QStringList{"eLoran", "29.00", "345.00", "0.50", "0.60", "-45.00"}));
    Receive("DODU,HDGA,1.0,30.5,0.04,I,0,0.3,0.99");
    Receive("DODU,HDGA,1.0,31,0.04,G,355.5,1.5,0.8");
    EXPECT_EQ(Column(0), (QStringList{"GPS", "31.00", "15.50", "1.50", "0.80", "20.00"}));
    EXPECT_EQ(Column(2)[0], "Inertial");

    // A fourth source finds no column; lines that fail change nothing.
    const QStringList before = Column(0) + Column(1) + Column(2);
    Receive("DODU,HDGA,1.0,32,0.04,N,10,1,1");
    Receive("DODU,HDGA,1.0,33,0.04,G,north,1,1");
    Line("$DODU,HDGA,1.0,34,0.04,G,10,1,1*00");
    Receive("DODU,HDGA,1.0,35,0.04,G,inf,1,1");
    EXPECT_EQ(Column(0) + Column(1) + Column(2), before);
    EXPECT_EQ(ui->PaintBox1->Needles().size(), 3u);
    EXPECT_TRUE(boxes.empty());
}

TEST_F(HeadingFormTest, NotValidSourcesShowTheirTimeOnlyAndColumnsAgeOut)
{
    Receive("DODU,HDGA,1.0,12.5,0.04,N,123,1,1");
    EXPECT_EQ(Column(0), (QStringList{"Not valid", "12.50", "", "", "", ""}));
    EXPECT_TRUE(ui->Button1->isHidden());
    EXPECT_TRUE(ui->PaintBox1->Needles().empty());
    Receive("DODU,HDGA,1.0,13,0.04,L,10,1,1");   // a known source takes the column over
    EXPECT_EQ(Column(0)[0], "eLoran");
    ui->Button1->click();
    HeadingForm->OffsetEdits[0]->setText("5");   // being typed: a new line leaves it alone
    Hdga('L', 11.0);
    Hdga('G', 12.0);   // a new source while the edits are open gets its edit
    EXPECT_EQ(Edits(), (QStringList{"5", "0.00", Hidden}));
    ui->Button1->click();

    for (int s = 0; s < 10; ++s) {
        Hdga('L', 10.0, s);
        Hdga('G', 20.0, s);
        Tick(1);
    }
    for (int s = 2; s <= 10; ++s) {   // GPS falls silent
        Hdga('L', 10.0);
        Tick(1);
    }
    EXPECT_EQ(Column(1)[0], "GPS");
    Hdga('L', 10.0);
    Tick(1);
    EXPECT_EQ(Column(1), QStringList(6, ""));
    EXPECT_EQ(ui->PaintBox1->Needles().size(), 1u);

    // The edits are open when the last column goes: they close, the button hides.
    ui->Button1->click();
    ASSERT_EQ(Edits(), (QStringList{"5.00", Hidden, Hidden}));
    Tick(11);
    EXPECT_EQ(Column(0), QStringList(6, ""));
    EXPECT_TRUE(ui->Button1->isHidden());
    EXPECT_EQ(ui->Button1->text(), "Offset:");
    EXPECT_EQ(Edits(), QStringList(3, Hidden));
    // The real timer ticks once a second.
    HeadingForm->Timer1->start();
    Hdga('I', 10.0);
    EXPECT_TRUE(QTest::qWaitFor([&] { return HeadingForm->Columns.age[0] >= 1; }, 3000));
}

TEST_F(HeadingFormTest, OffsetsAreCheckedSetAndStoredEachOnItsOwn)
{
    ShowAndWait(HeadingForm);
    Hdga('L', 30.0);
    Hdga('G', 350.0);
    Hdga('I', 0.0);
    ui->Button1->click();
    EXPECT_EQ(ui->Button1->text(), "Set");
    EXPECT_EQ(Edits(), (QStringList{"-45.00", "0.00", "0.00"}));
    HeadingForm->OffsetEdits[0]->setText("-360");
    HeadingForm->OffsetEdits[1]->setText("20");
    ui->Button1->click();
    EXPECT_EQ(Edits(), QStringList(3, Hidden));
    EXPECT_EQ(Column(1)[2], "10.00");
    EXPECT_EQ(Column(0)[5], "-360.00");
    EXPECT_EQ(HeadingForm->Columns.offset, (std::array<float, 3>{-360.0f, 20.0f, 0.0f}));
    Hdga('G', 100.0);
    EXPECT_EQ(Column(1)[2], "120.00");

    for (const char *bad : {"360.5", "-360.01", "", "abc", "nan", "inf", "12,5"}) {
        boxes.clear();
        SetOffsets({"360", bad, "1"});
        ASSERT_EQ(boxes, (decltype(boxes){{"Error...", "    Illegal value for Offset    "}})) << bad;
        // The columns before were set, the refused edit shows its offset again, the rest wait.
        EXPECT_EQ(Column(0)[5], "360.00");
        EXPECT_EQ(Edits(), (QStringList{"360", "20.00", "1"})) << bad;
        EXPECT_EQ(HeadingForm->focusWidget(), HeadingForm->OffsetEdits[1]);
        ui->Button1->click();   // the restored text goes through
        EXPECT_EQ(ui->Button1->text(), "Offset:");
        EXPECT_EQ(Column(2)[5], "1.00");
    }

    // Enter in an edit sets; the release of the Enter that closed a box does not set again.
    ui->Button1->click();
    QLineEdit *edit = HeadingForm->OffsetEdits[2];
    edit->setText("999");
    boxes.clear();
    QTest::keyClick(edit, Qt::Key_Enter);
    QTest::keyRelease(edit, Qt::Key_Return);
    QTest::keyClick(edit, Qt::Key_Escape);
    EXPECT_EQ(boxes.size(), 1u);
    EXPECT_EQ(ui->Button1->text(), "Set");
    edit->setText("-12.3");
    QTest::keyClick(edit, Qt::Key_Return);
    EXPECT_EQ(ui->Button1->text(), "Offset:");

    DestroyForms();
    {
        SettingsStore store;
        EXPECT_EQ(store.ReadString("HF_Offset_2"), "-12.3000001907349");
        EXPECT_EQ(store.ReadString("HF_Offset_0"), "360");
    }
    // A bad stored value is ignored on its own.
    for (const char *bad : {"", "abc", "nan", "1000", "-inf", "5 degrees"}) {
        WriteSetting("HF_Offset_0", "7.5");
        WriteSetting("HF_Offset_1", bad);
        Create();
        EXPECT_EQ(HeadingForm->Columns.offset, (std::array<float, 3>{7.5f, 0.0f, -12.3f})) << bad;
        DestroyForms();
    }
    Create();
}

TEST_F(HeadingFormTest, TheNeedlesAreDrawnAtTheirHeadingsOverACachedRose)
{
    ShowAndWait(HeadingForm);
    const QImage empty = HeadingForm->grab().toImage();
    Hdga('G', 10.0);
    QImage one = HeadingForm->grab().toImage();
    EXPECT_EQ(one.pixelColor(OnNeedle(10, 30)), Green);
    EXPECT_EQ(one.pixelColor(OnNeedle(10, 70)), Green);
    EXPECT_EQ(one.pixelColor(OnNeedle(190, 15)), Green);   // the tail lies behind the hub
    for (double deg : {100.0, 190.0, 280.0}) EXPECT_EQ(one.pixelColor(OnNeedle(deg, 80)), empty.pixelColor(OnNeedle(deg, 80)));
    // eLoran at 30 with its offset of -45 points at 345; inertial is drawn last, on top.
    Hdga('L', 30.0);
    Hdga('I', 345.0);
    QImage three = HeadingForm->grab().toImage();
    EXPECT_EQ(three.pixelColor(OnNeedle(345, 30)), Blue);
    EXPECT_EQ(three.pixelColor(OnNeedle(345, 30, 5)), Red);
    EXPECT_EQ(three.pixelColor(OnNeedle(345, 30, -5)), Red);
    SetOffsets({"90"});   // turns the GPS needle at once
    EXPECT_EQ(HeadingForm->grab().toImage().pixelColor(OnNeedle(100, 60)), Green);

    // Painted at twice the pixels, the rose is cached at that ratio.
    CompassView *view = ui->PaintBox1;
    QImage sharp(view->size() * 2, QImage::Format_ARGB32_Premultiplied);
    sharp.setDevicePixelRatio(2.0);
    sharp.fill(Qt::transparent);
    view->render(&sharp);
    EXPECT_EQ(view->CachedRatio(), 2.0);
    EXPECT_EQ(sharp.pixelColor((OnNeedle(345, 30) - view->pos()) * 2), Blue);
}

TEST_F(HeadingFormTest, TheSampleFillsAllThreeColumns)
{
    ShowAndWait(HeadingForm);
    FeedSample();
    for (int c = 0; c < 3; ++c) EXPECT_NE(Column(c)[2], "") << c;
    EXPECT_EQ(ui->PaintBox1->Needles().size(), 3u);
    EXPECT_TRUE(boxes.empty());
}
