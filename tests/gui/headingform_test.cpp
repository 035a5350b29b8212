#include <QApplication>
#include <QFile>
#include <QImage>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPainter>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <cmath>
#include <map>

#include "../core/sentence_text.h"
#include "app/mainform.h"
#include "gui_test_support.h"
#include "plots/compassview.h"
#include "plots/headingform.h"
#include "ui_headingform.h"
#include "ui_mainform.h"

namespace {

constexpr double Pi = 3.14159265358979323846;

// The pixel `radius` pixels from the hub along a needle at `degrees` and `side`
// pixels to the right of its axis, in window coordinates.
QPoint OnNeedle(const THeadingForm *form, double degrees, double radius, double side = 0.0)
{
    double a = degrees * Pi / 180.0;
    QPoint dial(static_cast<int>(std::lround(DialCentre + radius * std::sin(a) + side * std::cos(a))),
                static_cast<int>(std::lround(DialCentre - radius * std::cos(a) + side * std::sin(a))));
    return form->ui->PaintBox1->pos() + dial;
}

QColor Red() { return QColor(255, 0, 0); }
QColor Green() { return QColor(0, 128, 0); }
QColor Blue() { return QColor(0, 0, 255); }

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
    // The window made again with one offset stored (destroying it stores all three).
    void RecreateWith(const QString &name, const QString &value)
    {
        DestroyForms();
        WriteSetting(name, value);
        Create();
    }
    void Receive(const std::string &body)
    {
        MainForm->ReceiveData(QByteArray::fromStdString(Sentence(body) + "\r\n"));
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
    QColor SourceColour(int c) const { return HeadingForm->SourceLabels[c]->palette().color(QPalette::WindowText); }
    void ShowWindow()
    {
        HeadingForm->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(HeadingForm));
    }
    QImage Picture() const { return HeadingForm->grab().toImage(); }
    std::vector<QString> Edits() const
    {
        std::vector<QString> texts;
        for (QLineEdit *e : HeadingForm->OffsetEdits) texts.push_back(e->isHidden() ? "<hidden>" : e->text());
        return texts;
    }
};

TEST_F(HeadingFormTest, StartsEmptyWithItsControls)
{
    ShowWindow();
    EXPECT_EQ(HeadingForm->windowTitle(), "Heading");
    EXPECT_EQ(HeadingForm->size(), QSize(287, 373));
    EXPECT_EQ(HeadingForm->minimumSize(), HeadingForm->maximumSize());
    EXPECT_TRUE(HeadingForm->windowFlags() & Qt::WindowMinimizeButtonHint);
    EXPECT_FALSE(HeadingForm->windowFlags() & Qt::WindowMaximizeButtonHint);
    EXPECT_EQ(ui->Label1->text(), "Time:");
    EXPECT_EQ(ui->Label2->text(), "Heading:");
    EXPECT_EQ(ui->Label3->text(), "Heading Std:");
    EXPECT_EQ(ui->Label4->text(), "Quality:");
    EXPECT_TRUE(ui->Button1->isHidden());
    EXPECT_EQ(ui->Button1->text(), "Offset:");
    EXPECT_EQ(ui->Button1->pos(), QPoint(8, 92));
    EXPECT_EQ(HeadingForm->Button1Tag, 0);
    for (int c = 0; c < 3; ++c) {
        EXPECT_EQ(Column(c), QStringList(6, ""));
        QLineEdit *edit = HeadingForm->OffsetEdits[c];
        EXPECT_TRUE(edit->isHidden());
        EXPECT_EQ(edit->geometry(), QRect(82 + 80 * c, 94, 42, 21));
        // The column's values end where its edit ends.
        EXPECT_EQ(HeadingForm->TimeLabels[c]->geometry().right(), edit->geometry().right());
        EXPECT_TRUE(HeadingForm->TimeLabels[c]->alignment() & Qt::AlignRight);
        EXPECT_TRUE(HeadingForm->SourceLabels[c]->font().bold());
    }
    EXPECT_EQ(ui->PaintBox1->geometry(), QRect(20, 124, 249, 245));
    EXPECT_EQ(ui->Image1->geometry(), ui->PaintBox1->geometry());
    EXPECT_TRUE(ui->Image1->isHidden());
    EXPECT_TRUE(ui->PaintBox1->Needles().empty());
    EXPECT_EQ(HeadingForm->Timer1->interval(), 1000);
    EXPECT_EQ(HeadingForm->Columns.offset, (std::array<float, 3>{-45.0f, 0.0f, 0.0f}));
    ASSERT_EQ(HeadingForm->PopupMenu1->actions().size(), 1);
    EXPECT_EQ(HeadingForm->PopupMenu1->actions()[0]->text(), "Always on Top");
}

TEST_F(HeadingFormTest, ViewItemsShowTheWindowCentredOnTheMainWindow)
{
    MainForm->show();
    MainForm->ui->HDGA1->trigger();
    ASSERT_TRUE(HeadingForm->isVisible());
    EXPECT_FALSE(MainForm->ui->HDGA1->isChecked());   // a fixed window's item is never checked
    EXPECT_LE((HeadingForm->frameGeometry().center() - MainForm->frameGeometry().center()).manhattanLength(), 2);
    HeadingForm->hide();
    MainForm->ui->HDGA2->trigger();
    EXPECT_TRUE(HeadingForm->isVisible());
    EXPECT_EQ(MainForm->WindowOf(MainForm->ui->HDGA1), HeadingForm);
}

TEST_F(HeadingFormTest, ShowDefaultLogsShowsTheCompass)
{
    MainForm->show();
    MainForm->All1Click();
    EXPECT_TRUE(HeadingForm->isVisible());
    EXPECT_TRUE(MainForm->ui->TOAA1->isChecked());
}

TEST_F(HeadingFormTest, LinesThroughTheRouterFillTheColumns)
{
    RecreateWith("HF_Offset_1", "20");
    // Fed whether the window shows or not.
    ASSERT_FALSE(HeadingForm->isVisible());
    Receive("DODU,HDGA,1.0,28.37,0.04,G,350.0,1.75,0.90");
    EXPECT_EQ(Column(0), (QStringList{"GPS", "28.37", "10.00", "1.75", "0.90", "20.00"}));
    EXPECT_EQ(SourceColour(0), Green());
    EXPECT_FALSE(ui->Button1->isHidden());

    // The bare form; the eLoran offset at its default.
    Receive("HDGA,29,0,L,30,0.5,0.6");
    EXPECT_EQ(Column(1), (QStringList{"eLoran", "29.00", "345.00", "0.50", "0.60", "-45.00"}));
    EXPECT_EQ(SourceColour(1), Red());

    Receive("DODU,HDGA,1.0,30.5,0.04,I,0,0.3,0.99");
    EXPECT_EQ(Column(2), (QStringList{"Inertial", "30.50", "0.00", "0.30", "0.99", "0.00"}));
    EXPECT_EQ(SourceColour(2), Blue());

    // A source keeps its column.
    Receive("DODU,HDGA,1.0,31,0.04,G,355.5,1.5,0.8");
    EXPECT_EQ(Column(0), (QStringList{"GPS", "31.00", "15.50", "1.50", "0.80", "20.00"}));

    // A fourth source finds no column; lines that fail change nothing.
    const std::vector<QStringList> before = {Column(0), Column(1), Column(2)};
    Receive("DODU,HDGA,1.0,32,0.04,N,10,1,1");
    Receive("DODU,HDGA,1.0,33,0.04,G,north,1,1");
    MainForm->ReceiveData("$DODU,HDGA,1.0,34,0.04,G,10,1,1*00\r\n");
    Receive("DODU,HDGA,1.0,35,0.04,G,inf,1,1");
    EXPECT_EQ((std::vector<QStringList>{Column(0), Column(1), Column(2)}), before);
    EXPECT_EQ(ui->PaintBox1->Needles().size(), 3u);
    EXPECT_TRUE(boxes.empty());
}

TEST_F(HeadingFormTest, NotValidSourcesShowTheirTimeButNoHeading)
{
    Receive("DODU,HDGA,1.0,12.5,0.04,N,123,1,1");
    EXPECT_EQ(Column(0), (QStringList{"Not valid", "12.50", "", "", "", ""}));
    EXPECT_TRUE(ui->Button1->isHidden());
    EXPECT_TRUE(ui->PaintBox1->Needles().empty());
    // "Not valid" keeps the colour the label had; a known source takes the column over.
    Receive("DODU,HDGA,1.0,13,0.04,L,10,1,1");
    EXPECT_EQ(Column(0)[0], "eLoran");
    Receive("DODU,HDGA,1.0,14,0.04,Q,10,1,1");
    EXPECT_EQ(Column(1), (QStringList{"Not valid", "14.00", "", "", "", ""}));
    Tick(11);
    Receive("DODU,HDGA,1.0,15,0.04,X,10,1,1");
    EXPECT_EQ(Column(0), (QStringList{"Not valid", "15.00", "", "", "", ""}));
    EXPECT_EQ(SourceColour(0), Red());
}

TEST_F(HeadingFormTest, ColumnsAgeOutAfterElevenSilentSeconds)
{
    for (int s = 0; s < 20; ++s) {
        Hdga('L', 10.0, s);
        Hdga('G', 20.0, s);
        Tick(1);
    }
    EXPECT_EQ(Column(0)[0], "eLoran");
    EXPECT_EQ(Column(1)[0], "GPS");
    // GPS falls silent: the tick above was its first second without a line.
    for (int s = 2; s <= 10; ++s) {
        Hdga('L', 10.0);
        Tick(1);
    }
    EXPECT_EQ(Column(1)[0], "GPS");
    EXPECT_EQ(ui->PaintBox1->Needles().size(), 2u);
    Hdga('L', 10.0);
    Tick(1);
    EXPECT_EQ(Column(1), QStringList(6, ""));
    EXPECT_EQ(ui->PaintBox1->Needles().size(), 1u);
    EXPECT_FALSE(ui->Button1->isHidden());

    // The offset edits are open when the last column goes: they close, the button hides.
    ui->Button1->click();
    ASSERT_EQ(Edits(), (std::vector<QString>{"-45.00", "<hidden>", "<hidden>"}));
    Tick(11);
    EXPECT_EQ(Column(0), QStringList(6, ""));
    EXPECT_TRUE(ui->Button1->isHidden());
    EXPECT_EQ(ui->Button1->text(), "Offset:");
    EXPECT_EQ(HeadingForm->Button1Tag, 0);
    EXPECT_EQ(Edits(), (std::vector<QString>(3, "<hidden>")));
    EXPECT_TRUE(ui->PaintBox1->Needles().empty());
    EXPECT_TRUE(boxes.empty());
    // The real timer ticks once a second.
    HeadingForm->Timer1->start();
    Hdga('I', 10.0);
    EXPECT_TRUE(QTest::qWaitFor([&] { return HeadingForm->Columns.age[0] >= 1; }, 3000));
}

TEST_F(HeadingFormTest, OffsetButtonOpensTheEditsOfKnownSourcesAndSetsThem)
{
    ShowWindow();
    Hdga('N', 0.0);
    Hdga('G', 350.0);   // takes over the 'N' column
    Hdga('X', 0.0);
    Hdga('L', 30.0);
    ASSERT_EQ(Column(0)[0], "GPS");
    ASSERT_EQ(Column(1)[0], "Not valid");
    ASSERT_EQ(Column(2)[0], "eLoran");

    ui->Button1->click();
    EXPECT_EQ(ui->Button1->text(), "Set");
    EXPECT_EQ(HeadingForm->Button1Tag, 1);
    // A not-valid column has no offset to set: its edit stays closed.
    EXPECT_EQ(Edits(), (std::vector<QString>{"0.00", "<hidden>", "-45.00"}));
    EXPECT_EQ(HeadingForm->focusWidget(), HeadingForm->OffsetEdits[0]);

    HeadingForm->OffsetEdits[0]->setText("20");
    HeadingForm->OffsetEdits[2]->setText("-360");
    ui->Button1->click();
    EXPECT_TRUE(boxes.empty());
    EXPECT_EQ(ui->Button1->text(), "Offset:");
    EXPECT_EQ(HeadingForm->Button1Tag, 0);
    EXPECT_EQ(Edits(), (std::vector<QString>(3, "<hidden>")));
    EXPECT_EQ(Column(0)[2], "10.00");
    EXPECT_EQ(Column(0)[5], "20.00");
    EXPECT_EQ(Column(2)[2], "30.00");
    EXPECT_EQ(Column(2)[5], "-360.00");
    EXPECT_EQ(HeadingForm->Columns.offset, (std::array<float, 3>{-360.0f, 20.0f, 0.0f}));
    // The next line uses the new offset.
    Hdga('G', 100.0);
    EXPECT_EQ(Column(0)[2], "120.00");
}

TEST_F(HeadingFormTest, IllegalOffsetsAreRefusedWithTheMessage)
{
    ShowWindow();
    Hdga('L', 0.0);
    Hdga('G', 0.0);
    Hdga('I', 0.0);
    for (const char *bad : {"360.5", "-360.01", "", "abc", "nan", "inf", "12,5"}) {
        boxes.clear();
        Hdga('I', 0.0);
        const float inertialOffset = HeadingForm->Columns.offset[2];
        ui->Button1->click();   // open
        HeadingForm->OffsetEdits[0]->setText("360");
        HeadingForm->OffsetEdits[1]->setText(bad);
        HeadingForm->OffsetEdits[2]->setText("1");
        ui->Button1->click();   // set
        ASSERT_EQ(boxes.size(), 1u) << bad;
        EXPECT_EQ(boxes[0].first, "Error...");
        EXPECT_EQ(boxes[0].second, "    Illegal value for Offset    ");
        // Column 0 was applied, the refused edit shows its offset again, column 2 waits.
        EXPECT_EQ(Column(0)[5], "360.00");
        EXPECT_EQ(Edits(), (std::vector<QString>{"360", "0.00", "1"})) << bad;
        EXPECT_EQ(HeadingForm->focusWidget(), HeadingForm->OffsetEdits[1]);
        EXPECT_EQ(ui->Button1->text(), "Set");
        EXPECT_EQ(HeadingForm->Columns.offset[2], inertialOffset);
        // Set again with the restored text: everything goes through.
        ui->Button1->click();
        EXPECT_EQ(boxes.size(), 1u);
        EXPECT_EQ(ui->Button1->text(), "Offset:");
        EXPECT_EQ(Column(2)[5], "1.00");
        EXPECT_EQ(Column(2)[2], "1.00");
    }
}

TEST_F(HeadingFormTest, EnterInAnOffsetEditSets)
{
    ShowWindow();
    Hdga('I', 90.0);
    ui->Button1->click();
    QLineEdit *edit = HeadingForm->OffsetEdits[0];
    edit->setText("10");
    QTest::keyClick(edit, Qt::Key_Return);
    EXPECT_EQ(Column(0)[2], "100.00");
    EXPECT_EQ(ui->Button1->text(), "Offset:");

    // A refused value: the box. The Enter that closes a box is released over the
    // edit again, and that release alone must not run the button once more.
    ui->Button1->click();
    edit->setText("999");
    QTest::keyClick(edit, Qt::Key_Enter);
    ASSERT_EQ(boxes.size(), 1u);
    QTest::keyRelease(edit, Qt::Key_Return);
    EXPECT_EQ(boxes.size(), 1u);
    // Other keys do nothing.
    QTest::keyClick(edit, Qt::Key_Escape);
    QTest::keyClick(edit, Qt::Key_Tab);
    EXPECT_EQ(boxes.size(), 1u);
    EXPECT_EQ(ui->Button1->text(), "Set");
    QTest::keyClick(edit, Qt::Key_Return);   // the restored "10.00"
    EXPECT_EQ(boxes.size(), 1u);
    EXPECT_EQ(ui->Button1->text(), "Offset:");
}

TEST_F(HeadingFormTest, ANewSourceWhileTheEditsAreOpenGetsItsEdit)
{
    Hdga('G', 10.0);
    ui->Button1->click();
    HeadingForm->OffsetEdits[0]->setText("5");   // being typed: a new line leaves it alone
    Hdga('G', 11.0);
    Hdga('I', 12.0);
    EXPECT_EQ(Edits(), (std::vector<QString>{"5", "0.00", "<hidden>"}));
}

TEST_F(HeadingFormTest, OffsetsAreStoredAndReadBackEachOnItsOwn)
{
    // Nothing stored: the defaults, written when the window goes.
    EXPECT_EQ(HeadingForm->Columns.offset, (std::array<float, 3>{-45.0f, 0.0f, 0.0f}));
    DestroyForms();
    {
        SettingsStore store;
        EXPECT_EQ(store.ReadString("HF_Offset_0"), "-45");
        EXPECT_EQ(store.ReadString("HF_Offset_1"), "0");
        EXPECT_EQ(store.ReadString("HF_Offset_2"), "0");
    }

    // A bad value is ignored on its own; the others are read.
    WriteSetting("HF_Offset_0", "-30.5");
    WriteSetting("HF_Offset_1", "abc");
    WriteSetting("HF_Offset_2", "12.25");
    Create();
    EXPECT_EQ(HeadingForm->Columns.offset, (std::array<float, 3>{-30.5f, 0.0f, 12.25f}));
    for (const char *bad : {"", "nan", "1000", "-inf", "5 degrees"}) {
        DestroyForms();
        WriteSetting("HF_Offset_0", "7.5");
        WriteSetting("HF_Offset_1", bad);
        Create();
        EXPECT_EQ(HeadingForm->Columns.offset, (std::array<float, 3>{7.5f, 0.0f, 12.25f})) << bad;
    }

    // Set through the window, kept at the end.
    Hdga('I', 0.0);
    ui->Button1->click();
    HeadingForm->OffsetEdits[0]->setText("-12.3");
    ui->Button1->click();
    DestroyForms();
    {
        SettingsStore store;
        EXPECT_EQ(store.ReadString("HF_Offset_0"), "7.5");
        EXPECT_EQ(store.ReadString("HF_Offset_1"), "0");   // the bad value is replaced
        EXPECT_EQ(store.ReadString("HF_Offset_2"), "-12.3000001907349");
    }
    Create();
    EXPECT_EQ(HeadingForm->Columns.offset[2], -12.3f);
}

TEST_F(HeadingFormTest, TheNeedlesAreDrawnAtTheirHeadings)
{
    RecreateWith("HF_Offset_1", "20");
    ShowWindow();
    QImage empty = Picture();
    Hdga('G', 350.0);   // shown at 10 degrees
    QImage one = Picture();
    EXPECT_EQ(one.pixelColor(OnNeedle(HeadingForm, 10, 30)), Green());
    EXPECT_EQ(one.pixelColor(OnNeedle(HeadingForm, 10, 70)), Green());
    EXPECT_EQ(one.pixelColor(OnNeedle(HeadingForm, 190, 15)), Green());   // the tail lies behind the hub
    // Elsewhere the dial is as it was.
    for (double deg : {100.0, 190.0, 280.0}) {
        QPoint at = OnNeedle(HeadingForm, deg, 80);
        EXPECT_EQ(one.pixelColor(at), empty.pixelColor(at)) << deg;
    }
    EXPECT_NE(empty.pixelColor(OnNeedle(HeadingForm, 10, 30)), Green());

    // eLoran at 30 with its offset of -45 points at 345; inertial is drawn last, on top.
    Hdga('L', 30.0);
    Hdga('I', 345.0);
    QImage three = Picture();
    EXPECT_EQ(three.pixelColor(OnNeedle(HeadingForm, 345, 30)), Blue());
    // Beside the narrower inertial needle the eLoran needle shows.
    EXPECT_EQ(three.pixelColor(OnNeedle(HeadingForm, 345, 30, 5)), Red());
    EXPECT_EQ(three.pixelColor(OnNeedle(HeadingForm, 345, 30, -5)), Red());
    EXPECT_EQ(three.pixelColor(OnNeedle(HeadingForm, 10, 70)), Green());

    // A new offset turns the needle at once.
    ui->Button1->click();
    HeadingForm->OffsetEdits[0]->setText("110");   // GPS: 350 + 110 = 100
    ui->Button1->click();
    QImage turned = Picture();
    EXPECT_EQ(turned.pixelColor(OnNeedle(HeadingForm, 100, 60)), Green());
    EXPECT_NE(turned.pixelColor(OnNeedle(HeadingForm, 10, 70)), Green());
}

TEST_F(HeadingFormTest, TheRoseIsCachedAtTheRatioItIsPaintedAt)
{
    Hdga('I', 90.0);   // east
    CompassView *view = ui->PaintBox1;
    QImage sharp(view->size() * 2, QImage::Format_ARGB32_Premultiplied);
    sharp.setDevicePixelRatio(2.0);
    sharp.fill(Qt::transparent);
    view->render(&sharp);
    EXPECT_EQ(view->CachedRatio(), 2.0);
    // Device pixels: twice the dial pixels.
    EXPECT_EQ(sharp.pixelColor(2 * (DialCentre + 30), 2 * DialCentre), Blue());
    EXPECT_NE(sharp.pixelColor(2 * (DialCentre - 100), 2 * DialCentre), Blue());

    ShowWindow();
    QImage screen = Picture();
    EXPECT_EQ(view->CachedRatio(), HeadingForm->devicePixelRatioF());
    EXPECT_EQ(screen.pixelColor(OnNeedle(HeadingForm, 90, 30)), Blue());
}

TEST_F(HeadingFormTest, AlwaysOnTopTogglesAndIsRestoredWithTheLayout)
{
    ShowWindow();
    ui->AlwaysonTop1->trigger();
    EXPECT_TRUE(ui->AlwaysonTop1->isChecked());
    EXPECT_TRUE(HeadingForm->windowFlags() & Qt::WindowStaysOnTopHint);
    EXPECT_TRUE(HeadingForm->isVisible());
    HeadingForm->move(150, 90);
    MainForm->StorecurrentWindows1Click();
    {
        SettingsStore store;
        std::optional<QByteArray> record = store.ReadBinary("HDGA1");
        ASSERT_TRUE(record);
        EXPECT_EQ(record->at(4), 1);   // open
        EXPECT_EQ(record->at(8), 3);   // stay on top
    }
    ui->AlwaysonTop1->trigger();
    EXPECT_FALSE(ui->AlwaysonTop1->isChecked());
    EXPECT_FALSE(HeadingForm->windowFlags() & Qt::WindowStaysOnTopHint);
    HeadingForm->move(400, 300);
    HeadingForm->hide();

    MainForm->RestorelastWindows1Click();
    EXPECT_TRUE(HeadingForm->isVisible());
    EXPECT_TRUE(ui->AlwaysonTop1->isChecked());
    EXPECT_TRUE(HeadingForm->windowFlags() & Qt::WindowStaysOnTopHint);
    EXPECT_EQ(HeadingForm->pos(), QPoint(150, 90));
    EXPECT_TRUE(boxes.empty());
}

TEST_F(HeadingFormTest, TheSampleFillsAllThreeColumns)
{
    QFile file(KAVU_SOURCE_DIR "/samples/kavu-sim-10min.log");
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray sample = file.readAll();

    // The last good line of each source, read here on its own.
    std::map<char, HdgaRecord> last;
    std::string firstSources;
    for (const QByteArray &line : sample.split('\n')) {
        HdgaRecord r;
        if (r.Parse(line.trimmed().constData()) != 0) continue;
        if (firstSources.find(r.Source) == std::string::npos) firstSources += r.Source;
        last[r.Source] = r;
    }
    ASSERT_EQ(firstSources.size(), 3u);

    ShowWindow();
    for (qsizetype at = 0, piece = 1; at < sample.size(); at += piece, piece = piece % 1499 + 97)
        MainForm->ReceiveData(sample.mid(at, piece));
    EXPECT_TRUE(boxes.empty());
    for (int c = 0; c < 3; ++c) {
        const char source = firstSources[c];
        const HdgaRecord &r = last[source];
        const float offset = HeadingForm->Columns.offset[OffsetIndex(source)];
        EXPECT_EQ(HeadingForm->Columns.columnSource[c], source);
        EXPECT_EQ(Column(c)[1], QString::fromStdString(HeadingTimeText(r.Time)));
        EXPECT_EQ(Column(c)[2], QString::fromStdString(HeadingValueText(CorrectedHeading(r.Heading, offset))));
        EXPECT_EQ(Column(c)[3], QString::fromStdString(HeadingValueText(r.HeadingStd)));
        EXPECT_EQ(Column(c)[4], QString::fromStdString(HeadingValueText(r.Quality)));
    }
    EXPECT_EQ(ui->PaintBox1->Needles().size(), 3u);
    const int inertial = HeadingForm->Columns.ColumnOf('I');
    QImage shown = Picture();
    EXPECT_EQ(shown.pixelColor(OnNeedle(HeadingForm, HeadingForm->Columns.shownHeading[inertial], 20)), Blue());
}
