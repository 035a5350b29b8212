// The heading window fed HDGA lines through the router: a column per source,
// ageing, the offset edits with their checks and stored values, the needles.

#include "gui_test_support.h"
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
    // A column as the window shows it at the next beat.
    QStringList Column(int c) const
    {
        HeadingForm->DrawPending();
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

TEST_F(HeadingFormTest, LinesFillTheColumnsWhichAgeOutWithTheirEdits)
{
    DestroyForms();
    WriteSetting("HF_Offset_1", "20");
    Create();
    Receive("DODU,HDGA,1.0,12.5,0.04,N,123,1,1");   // not valid: its time only
    EXPECT_EQ(Column(0), (QStringList{"Not valid", "12.50", "", "", "", ""}));
    EXPECT_TRUE(ui->Button1->isHidden());
    Receive("DODU,HDGA,1.0,28.37,0.04,G,350.0,1.75,0.90");   // fed while hidden
    EXPECT_EQ(Column(0), (QStringList{"GPS", "28.37", "10.00", "1.75", "0.90", "20.00"}));
    HeadingForm->DrawPending();
    EXPECT_EQ(HeadingForm->SourceLabels[0]->palette().color(QPalette::WindowText), Green);
    Line("$DODU,HDGA,1.0,34,0.04,G,10,1,1*00");
    EXPECT_EQ(Column(0)[1], "28.37");
    ui->Button1->click();
    HeadingForm->OffsetEdits[0]->setText("5");   // being typed: a new line leaves it alone
    Receive("HDGA,29,0,L,30,0.5,0.6");   // the bare form; a new source gets its edit
    EXPECT_EQ(Edits(), (QStringList{"5", "-45.00", Hidden}));
    EXPECT_EQ(Column(1), (QStringList{"eLoran", "29.00", "345.00", "0.50", "0.60", "-45.00"}));

    for (int s = 0; s < 11; ++s) {   // GPS falls silent for eleven seconds
        Hdga('L', 10.0);
        Tick(1);
    }
    EXPECT_EQ(Column(0), QStringList(6, ""));
    EXPECT_EQ(Edits(), (QStringList{Hidden, "-45.00", Hidden}));
    HeadingForm->DrawPending();
    EXPECT_EQ(ui->PaintBox1->Needles().size(), 1u);
    Tick(11);   // the last column goes: the edits close, the button hides
    EXPECT_EQ(Column(1), QStringList(6, ""));
    EXPECT_TRUE(ui->Button1->isHidden());
    EXPECT_EQ(ui->Button1->text(), "Offset:");
    EXPECT_EQ(Edits(), QStringList(3, Hidden));
    HeadingForm->Timer1->start();   // the real timer ticks once a second
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
    EXPECT_EQ(Edits(), (QStringList{"-45.00", "0.00", "0.00"}));
    ui->Button1->click();
    SetOffsets({"-360", "20"});
    EXPECT_EQ(Edits(), QStringList(3, Hidden));
    EXPECT_EQ(Column(1)[2], "10.00");
    EXPECT_EQ(HeadingForm->Columns.offset, (std::array<float, 3>{-360.0f, 20.0f, 0.0f}));
    Hdga('G', 100.0);
    EXPECT_EQ(Column(1)[2], "120.00");

    for (const char *bad : {"360.5", "-360.01", "", "abc", "nan", "inf", "12,5"}) {
        boxes.clear();
        SetOffsets({"360", bad, "1"});
        ASSERT_EQ(boxes, (decltype(boxes){{"Error...", "    Illegal value for Offset    "}})) << bad;
        // The columns before were set, the refused edit shows its offset again, the rest wait.
        EXPECT_EQ(Edits(), (QStringList{"360", "20.00", "1"})) << bad;
        EXPECT_EQ(HeadingForm->focusWidget(), HeadingForm->OffsetEdits[1]);
        ui->Button1->click();   // the restored text goes through
        EXPECT_EQ(Column(0)[5] + Column(2)[5], "360.001.00");
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
    EXPECT_EQ(SettingsStore().ReadString("HF_Offset_2"), "-12.3000001907349");
    EXPECT_EQ(SettingsStore().ReadString("HF_Offset_0"), "360");
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

TEST_F(HeadingFormTest, TheNeedlesAreDrawnAtTheirHeadings)
{
    ShowAndWait(HeadingForm);
    const QImage empty = HeadingForm->grab().toImage();
    Hdga('G', 10.0);
    ASSERT_TRUE(Drawn(HeadingForm->Drawing()));
    QImage one = HeadingForm->grab().toImage();
    EXPECT_EQ(one.pixelColor(OnNeedle(10, 30)), Green);
    EXPECT_EQ(one.pixelColor(OnNeedle(10, 70)), Green);
    EXPECT_EQ(one.pixelColor(OnNeedle(190, 15)), Green);   // the tail lies behind the hub
    for (double deg : {100.0, 190.0, 280.0}) EXPECT_EQ(one.pixelColor(OnNeedle(deg, 80)), empty.pixelColor(OnNeedle(deg, 80)));
    // eLoran at 30 with its offset of -45 points at 345; inertial is drawn last, on top.
    Hdga('L', 30.0);
    Hdga('I', 345.0);
    ASSERT_TRUE(Drawn(HeadingForm->Drawing()));
    QImage three = HeadingForm->grab().toImage();
    EXPECT_EQ(three.pixelColor(OnNeedle(345, 30)), Blue);
    EXPECT_EQ(three.pixelColor(OnNeedle(345, 30, 5)), Red);
    EXPECT_EQ(three.pixelColor(OnNeedle(345, 30, -5)), Red);
    SetOffsets({"90"});   // turns the GPS needle at the next beat
    ASSERT_TRUE(Drawn(HeadingForm->Drawing()));
    EXPECT_EQ(HeadingForm->grab().toImage().pixelColor(OnNeedle(100, 60)), Green);
}

TEST_F(HeadingFormTest, TheCompassIsDrawnAgainOnlyWhereItsNeedlesMoveAndLooksAsDrawnWhole)
{
    ShowAndWait(HeadingForm);
    CompassView *view = ui->PaintBox1;
    struct Painted : QObject {
        std::vector<QRect> rects;
        bool eventFilter(QObject *, QEvent *e) override
        {
            if (e->type() == QEvent::Paint) rects.push_back(static_cast<QPaintEvent *>(e)->rect());
            return false;
        }
    } painted;
    view->installEventFilter(&painted);
    // What the window shows on the screen, against the compass drawn whole.
    auto onScreen = [&] {
        EXPECT_TRUE(ScreenStill(HeadingForm));
        const QPoint at = view->mapTo(HeadingForm, QPoint(0, 0));
        return HeadingForm->screen()->grabWindow(HeadingForm->winId(), at.x(), at.y(), view->width(), view->height()).toImage();
    };
    const std::pair<char, double> lines[] = {{'G', 10.0}, {'L', 30.0}, {'I', 345.0}, {'G', 200.0}, {'I', 344.0}, {'L', 250.0}, {'G', 200.001}};
    for (auto [source, heading] : lines) {
        painted.rects.clear();
        Hdga(source, heading);
        ASSERT_TRUE(Drawn(HeadingForm->Drawing()));
        const QImage shown = onScreen();
        const std::vector<QRect> rects = painted.rects;   // before the whole picture is drawn to compare
        EXPECT_EQ(shown.convertToFormat(QImage::Format_RGB32), view->grab().toImage().convertToFormat(QImage::Format_RGB32))
            << source << heading;
        if (source == 'G' && heading > 200.0) {
            EXPECT_TRUE(rects.empty()) << "the needle stayed on its pixels";
        } else {
            ASSERT_FALSE(rects.empty()) << source << heading;
            for (const QRect &r : rects) EXPECT_LT(r.width() * r.height(), view->width() * view->height() * 3 / 4) << source << heading;
        }
    }
    view->removeEventFilter(&painted);
    // Aged out: the needles go, the rose is whole again.
    Tick(11);
    ASSERT_TRUE(Drawn(HeadingForm->Drawing()));
    EXPECT_TRUE(view->Needles().empty());
    EXPECT_EQ(onScreen().convertToFormat(QImage::Format_RGB32), view->DialPicture(view->devicePixelRatioF()).toImage().convertToFormat(QImage::Format_RGB32));
}

TEST_F(HeadingFormTest, ChangedValuesShowAsTheLabelsDrawThem)
{
    Hdga('G', 350.0);
    ShowAndWait(HeadingForm);
    HeadingForm->DrawPending();
    ASSERT_TRUE(ScreenStill(HeadingForm));
    ExpectLabelsShowAsDrawnByThemselves(HeadingForm, "heading");
}
