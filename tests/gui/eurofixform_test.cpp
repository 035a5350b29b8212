// The Eurofix window fed through the main window's router: station panels,
// what each message kind shows, the SMS alert with its sound, the Stations menu,
// the layout and the reset.
#include <QDir>
#include <QFile>
#include <QFrame>
#include <QGroupBox>
#include <QLabel>
#include <QMenu>
#include <QPlainTextEdit>
#include <QScrollArea>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include "../core/eurofix_hex.h"
#include "../core/sentence_text.h"
#include "app/mainform.h"
#include "gui_test_support.h"
#include "logs/logform.h"
#include "platform/alertsound.h"
#include "plots/eurofixform.h"
#include "ui_eurofixform.h"
#include "ui_mainform.h"

using namespace eurofixtest;

namespace {

std::string DgpsHex(int prn, double zcountSeconds, int prcSteps = 0, int iode = 0)
{
    return Hex({{0, 4, 1}, {4, 13, std::lround(zcountSeconds / 0.6)}, {20, 5, prn}, {25, 15, prcSteps},
                {48, 8, iode}});
}

std::string ETranHexFor(int type) { return Hex({{0, 4, 8}, {4, 3, type}}); }

QStringList Lines(const QPlainTextEdit *memo) { return memo->toPlainText().split('\n', Qt::SkipEmptyParts); }

} // namespace

class EurofixFormTest : public WindowTest {
protected:
    Ui::TEurofixForm *ui = nullptr;
    QStringList played;
    QString oldDir;

    void SetUp() override
    {
        WindowTest::SetUp();
        AlertSound::SetPlayer([this](const QString &file) {
            played << file;
            return true;
        });
        CreateForms();
        ui = EurofixForm->ui.get();
        oldDir = QDir::currentPath();
    }
    void TearDown() override
    {
        QDir::setCurrent(oldDir);
        AlertSound::SetPlayer({});
        WindowTest::TearDown();
    }
    void Receive(const std::string &line) { MainForm->ReceiveData(QByteArray::fromStdString(line + "\r\n")); }
    void Message(const std::string &station, const std::string &hex, const char *form = "RMSGA,1.0")
    {
        Receive(Sentence(std::string("DODU,") + form + ",12.5," + station + "," + hex + ",0,1"));
    }
    EurofixDataClass *Station(size_t i) const
    {
        return i < EurofixForm->StationList.size() ? EurofixForm->StationList[i].get() : nullptr;
    }
    void ShowWindow()
    {
        EurofixForm->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(EurofixForm));
    }
    QStringList StationItems() const
    {
        QStringList out;
        const QList<QAction *> items = ui->Stations1->actions();
        for (qsizetype i = 4; i < items.size(); ++i)
            out << items[i]->text() + (items[i]->isChecked() ? " [x]" : " [ ]");
        return out;
    }
    void SendSms(const std::string &station)
    {
        Message(station, SmsHex(0, false, "HELLO "));
        Message(station, SmsHex(1, false, "WORLD "));
        Message(station, SmsHex(2, true, "!     "));
    }
};

TEST_F(EurofixFormTest, StartsEmptyWithItsMenus)
{
    EXPECT_EQ(EurofixForm->windowTitle(), "Eurofix messages");
    EXPECT_EQ(EurofixForm->ClientSize(), QSize(200, 540));
    EXPECT_TRUE(EurofixForm->StationList.empty());
    EXPECT_FALSE(EurofixForm->isVisible());
    EXPECT_GE(EurofixForm->MaxColumns, 1);
    EXPECT_GE(EurofixForm->MaxRows, 1);
    EXPECT_TRUE(EurofixForm->Timer1->isActive());
    EXPECT_EQ(EurofixForm->Timer1->interval(), 1000);

    QStringList file;
    for (QAction *a : ui->File1->actions()) file << a->text();
    EXPECT_EQ(file, (QStringList{"&Close", "&Always on Top"}));
    QStringList stations;
    for (QAction *a : ui->Stations1->actions()) stations << (a->isSeparator() ? "-" : a->text());
    EXPECT_EQ(stations, (QStringList{"None", "&Select All", "&Hide All", "-"}));
    EXPECT_EQ(EurofixForm->PopupMenu1->actions(), QList<QAction *>{ui->AlwaysonTop1});

    EurofixForm->Stations1Click();
    EXPECT_TRUE(ui->None1->isVisible());
    EXPECT_FALSE(ui->SelectAll1->isVisible());
    EXPECT_FALSE(ui->HideAll1->isVisible());
    EXPECT_FALSE(EurofixForm->N1->isVisible());
}

TEST_F(EurofixFormTest, TheFirstLineOfAStationMakesItsPanel)
{
    Message("7499M", DgpsHex(5, 120.0, 50, 9));
    ASSERT_EQ(EurofixForm->StationList.size(), 1u);
    EurofixDataClass *s = Station(0);
    EXPECT_EQ(s->Code, 749901);
    EXPECT_STREQ(s->Name, "7499M");
    EXPECT_TRUE(s->Shown);
    EXPECT_EQ(s->Corrections.MaxAge, 40.0);
    EXPECT_EQ(s->GroupBox->title(), "7499M");
    EXPECT_EQ(s->GroupBox->geometry(), QRect(8, 8, 360, 450));
    EXPECT_EQ(EurofixForm->ClientSize(), QSize(368, 466));
    EXPECT_EQ(s->PageControl->geometry(), QRect(16, 16, 328, 418));
    QStringList tabs;
    for (int i = 0; i < s->PageControl->count(); ++i) tabs << s->PageControl->tabText(i);
    EXPECT_EQ(tabs, (QStringList{"DGPS", "UTC", "ETRAN", "SMS"}));
    EXPECT_EQ(s->DgpsGrid->size(), QSize(309, 319));
    EXPECT_EQ(s->UtcMemo->size(), QSize(304, 330));
    EXPECT_EQ(s->AlertPanel->geometry(), QRect(16, 171, 288, 100));
    EXPECT_FALSE(s->AlertPanel->isVisibleTo(s->GroupBox));
    EXPECT_EQ(s->HealthValue->text(), "Not working");
    EXPECT_EQ(s->StationIdValue->text(), "No ID");
    EXPECT_EQ(s->UtcTimeValue->text(), "No time");

    // The first message is shown too.
    EXPECT_EQ(s->DgpsCountValue->text(), "1");
    EXPECT_EQ(s->DgpsGrid->Cell(0, 1), "   5");
    EXPECT_EQ(s->DgpsGrid->Cell(1, 1), "    1.00");
    EXPECT_EQ(s->DgpsGrid->Cell(3, 1), "     9");
    EXPECT_EQ(s->DgpsGrid->Cell(4, 1), "   120.0");
    EXPECT_EQ(s->DgpsGrid->Cell(4, 0), " Z-Count");

    // Every address form reaches the same station; hidden or not, the window keeps up.
    Message("7499M", DgpsHex(6, 121.2), "RMSG,1.0");
    Message("7499M", DgpsHex(7, 122.4), "1.0,RMSG");
    EXPECT_EQ(EurofixForm->StationList.size(), 1u);
    EXPECT_EQ(s->DgpsCountValue->text(), "3");
    EXPECT_EQ(s->DgpsGrid->Cell(0, 3), "   7");
}

TEST_F(EurofixFormTest, StationsAreOrderedByCodeAndUnknownOnesShareOnePanel)
{
    EurofixForm->MaxColumns = 4;
    EurofixForm->MaxRows = 2;
    Message("7499M", ETranHexFor(1));
    Message("6731M", ETranHexFor(2));
    Message("ABC", ETranHexFor(3));
    Message("", ETranHexFor(4));
    Message("7499M", ETranHexFor(5));
    ASSERT_EQ(EurofixForm->StationList.size(), 3u);
    EXPECT_EQ(Station(0)->Code, 0);
    EXPECT_STREQ(Station(0)->Name, "");
    EXPECT_EQ(Station(0)->ETranCount, 2);
    EXPECT_STREQ(Station(1)->Name, "6731M");
    EXPECT_STREQ(Station(2)->Name, "7499M");
    EXPECT_EQ(Station(2)->ETranCount, 2);
    // Panels go in list order along the row.
    EXPECT_EQ(Station(0)->GroupBox->pos(), QPoint(8, 8));
    EXPECT_EQ(Station(1)->GroupBox->pos(), QPoint(376, 8));
    EXPECT_EQ(Station(2)->GroupBox->pos(), QPoint(744, 8));
}

TEST_F(EurofixFormTest, DgpsGridShowsTheTableOfTheLastMessage)
{
    for (int prn = 20; prn >= 1; --prn) Message("7499M", DgpsHex(prn, 12.0 + prn * 0.6, -prn));
    EurofixDataClass *s = Station(0);
    EXPECT_EQ(s->DgpsCountValue->text(), "20");
    // Only 14 satellites fit: the lowest PRNs.
    EXPECT_EQ(s->DgpsGrid->Cell(0, 1), "   1");
    EXPECT_EQ(s->DgpsGrid->Cell(1, 1), "   -0.02");
    EXPECT_EQ(s->DgpsGrid->Cell(0, 14), "  14");
    EXPECT_EQ(s->DgpsGrid->rowCount(), 15);

    // PRN 0 is counted and redraws the grid, but is not kept.
    Message("7499M", DgpsHex(0, 30.0));
    EXPECT_EQ(s->DgpsCountValue->text(), "21");
    EXPECT_NEAR(s->Corrections.LatestTime, 12.6, 1e-9);

    // The age-out clears the table every second; the grid follows at the next message.
    s->Corrections.Clear();
    Message("7499M", DgpsHex(5, 99.0));
    Message("7499M", DgpsHex(6, 139.2));   // 40.2 s later
    EurofixForm->Timer1Timer();
    EXPECT_EQ(s->Corrections.IsValid(5), 0);
    EXPECT_EQ(s->DgpsGrid->Cell(0, 1), "   5") << "not redrawn by the age-out";
    Message("7499M", DgpsHex(7, 139.8));
    EXPECT_EQ(s->DgpsGrid->Cell(0, 1), "   6");
    EXPECT_EQ(s->DgpsGrid->Cell(0, 2), "   7");
    EXPECT_EQ(s->DgpsGrid->Cell(0, 3), "");
    EXPECT_EQ(s->DgpsGrid->Cell(4, 3), "");
    EXPECT_EQ(s->DgpsGrid->Cell(4, 2), "   139.8");
}

TEST_F(EurofixFormTest, HealthUtcAndETranMessages)
{
    Message("7499M", Hex({{0, 4, 4}, {4, 10, 101}, {14, 3, 7}}));
    EurofixDataClass *s = Station(0);
    EXPECT_EQ(s->StationIdValue->text(), "101");
    EXPECT_EQ(s->HealthValue->text(), "Not Working");
    EXPECT_EQ(s->DgpsCountValue->text(), "1");
    Message("7499M", Hex({{0, 4, 4}, {4, 10, 102}, {14, 3, 1}}));
    EXPECT_EQ(s->HealthValue->text(), "UDRE 0.75m");
    EXPECT_EQ(s->DgpsCountValue->text(), "2");

    Message("7499M", Hex({{0, 4, 6}, {4, 2, 1}, {6, 29, 123456789}, {35, 14, 4321}, {49, 6, 7}}));
    Message("7499M", Hex({{0, 4, 6}, {4, 2, 2}, {6, 29, 123456789}, {35, 10, 100}, {45, 9, 14}, {54, 2, 2}}));
    Message("7499M", Hex({{0, 4, 6}, {4, 2, 3}, {6, 29, 100000}}));
    EXPECT_EQ(s->UtcCountValue->text(), "3");
    EXPECT_EQ(s->UtcTimeValue->text(), "   1.000000 s");
    const QStringList utc = Lines(s->UtcMemo);
    ASSERT_EQ(utc.size(), 6);
    EXPECT_EQ(utc[0], "1 Time: 20:34.567890       s    Hours: 4321 h    Year: 2007");
    EXPECT_TRUE(utc[1].startsWith("   Diff with local clock: ")) << utc[1].toStdString();
    EXPECT_EQ(utc[2], "2 Time: 20:34.567891000 s    Leap :    14       Change Error");
    EXPECT_EQ(utc[4], "   1.000000 s");

    for (int i = 0; i < 30; ++i) Message("7499M", ETranHexFor(i % 8));
    EXPECT_EQ(s->ETranCountValue->text(), "30");
    const QStringList etran = Lines(s->ETranMemo);
    ASSERT_EQ(etran.size(), 25) << "kept to 25 lines";
    EXPECT_EQ(etran.front(), "E-Tran 5:   Ionospheric Grid Point data for 3 points");
    EXPECT_EQ(etran.back(), "E-Tran 5:   Ionospheric Grid Point data for 3 points");
    EXPECT_EQ(etran[1], "E-Tran 6:   Unknown");
}

TEST_F(EurofixFormTest, BadShortAndGarbledMessagesShowNothing)
{
    Message("7499M", DgpsHex(3, 6.0));
    EurofixDataClass *s = Station(0);
    const std::string good = DgpsHex(4, 7.2, 100);
    std::string garbled = good;
    garbled[9] = 'Z';
    const std::string bad[] = {
        garbled,
        good.substr(0, 15),                                       // short
        "",                                                       // empty message field
        "1",                                                      // one digit
        Hex({{0, 4, 2}, {4, 30, 12345}}),                         // type 2: nothing to show
        Hex({{0, 4, 0}}), Hex({{0, 4, 3}}), Hex({{0, 4, 15}}),    // no decoder
        "0a000000000000000000",                                   // lower-case type digit
        "~~~~~~~~~~~~~~~~~~~~",
    };
    for (const std::string &hex : bad) Message("7499M", hex);
    // Lines that are no good RMSG sentence reach nothing.
    Receive(Sentence("DODU,RMSGA,1.0,x,6731M," + good + ",0,1"));
    Receive(Sentence("DODU,RMSGA,1.0,1,6731M," + good + ",0"));
    Receive("$DODU,RMSGA,1.0,1,6731M," + good + ",0,1*00");

    ASSERT_EQ(EurofixForm->StationList.size(), 1u);
    EXPECT_EQ(s->DgpsCountValue->text(), "1");
    EXPECT_EQ(s->DgpsGrid->Cell(0, 1), "   3");
    EXPECT_EQ(s->DgpsGrid->Cell(0, 2), "");
    EXPECT_EQ(s->UtcCountValue->text(), "0");
    EXPECT_EQ(s->ETranCountValue->text(), "0");
    EXPECT_EQ(s->SmsCountValue->text(), "0");
    EXPECT_EQ(s->HealthValue->text(), "Not working");

    // A station whose first message is undecodable still gets its panel.
    Message("6731M", Hex({{0, 4, 2}}));
    ASSERT_EQ(EurofixForm->StationList.size(), 2u);
    EXPECT_EQ(Station(0)->DgpsCount + Station(0)->UtcCount + Station(0)->ETranCount + Station(0)->SmsCount, 0);
}

TEST_F(EurofixFormTest, SmsChunksPopUpTheAlertForAboutTenSeconds)
{
    Message("6731M", DgpsHex(1, 1.2));
    EurofixDataClass *s = Station(0);
    SendSms("6731M");
    EXPECT_EQ(s->SmsCountValue->text(), "3");
    const QStringList lines = Lines(s->SmsMemo);
    ASSERT_EQ(lines.size(), 3);
    EXPECT_EQ(lines[0], "SMS Chunk of Message 0: HELLO     ");
    EXPECT_EQ(lines[2], "SMS Chunk of Message 2: !         (End)");
    EXPECT_TRUE(s->AlertPanel->isVisibleTo(s->GroupBox));
    EXPECT_EQ(s->AlertCaption->text(), "SMS message received from 6731M:");
    EXPECT_EQ(s->AlertText->text(), "HELLO WORLD !     ");
    EXPECT_EQ(s->PageControl->currentIndex(), 3);
    EXPECT_TRUE(s->AlertTimer->isActive());
    EXPECT_EQ(s->AlertTimer->interval(), 100);
    EXPECT_TRUE(played.isEmpty()) << "the window is hidden";

    for (int i = 0; i < 100; ++i) s->AlertTick();
    EXPECT_TRUE(s->AlertPanel->isVisibleTo(s->GroupBox));
    s->AlertTick();
    EXPECT_FALSE(s->AlertPanel->isVisibleTo(s->GroupBox));
    EXPECT_FALSE(s->AlertTimer->isActive());

    // The next text starts afresh; the memo keeps its last 25 lines.
    for (int i = 0; i < 10; ++i) SendSms("6731M");
    EXPECT_EQ(Lines(s->SmsMemo).size(), 25);
    EXPECT_EQ(s->AlertText->text(), "HELLO WORLD !     ");
    EXPECT_EQ(s->SmsCountValue->text(), "33");
}

TEST_F(EurofixFormTest, AlertTimerHidesThePanelByItself)
{
    Message("6731M", DgpsHex(1, 1.2));
    EurofixDataClass *s = Station(0);
    SendSms("6731M");
    ASSERT_TRUE(s->AlertPanel->isVisibleTo(s->GroupBox));
    s->AlertTimer->setInterval(1);   // the ticks themselves, not their 100 ms, are under test
    EXPECT_TRUE(QTest::qWaitFor([s] { return !s->AlertPanel->isVisibleTo(s->GroupBox); }, 5000));
    EXPECT_GT(s->AlertTicks, 100);
}

TEST_F(EurofixFormTest, AlertSoundPlaysOnlyWhileVisibleAndWhenTheFileIsThere)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    ASSERT_TRUE(QDir::setCurrent(dir.path()));

    SendSms("7499M");
    EXPECT_TRUE(played.isEmpty()) << "hidden, no file";
    ShowWindow();
    SendSms("7499M");
    EXPECT_TRUE(played.isEmpty()) << "visible, no file";

    QFile wav(dir.filePath("SMSAlert.wav"));
    ASSERT_TRUE(wav.open(QIODevice::WriteOnly));
    wav.write("RIFF");
    wav.close();
    Message("7499M", SmsHex(0, false, "ABCDEF"));
    EXPECT_TRUE(played.isEmpty()) << "no text completed yet";
    Message("7499M", SmsHex(1, true, "GH    "));
    ASSERT_EQ(played.size(), 1);
    EXPECT_EQ(QFileInfo(played[0]).canonicalFilePath(), QFileInfo(wav.fileName()).canonicalFilePath());

    EurofixForm->Close1Click();
    EXPECT_FALSE(EurofixForm->isVisible());
    SendSms("7499M");
    EXPECT_EQ(played.size(), 1) << "closed again";
    EXPECT_EQ(Station(0)->SmsCount, 11) << "but still receiving";
}

TEST_F(EurofixFormTest, StationsMenuShowsAndHidesPanels)
{
    Message("7499M", ETranHexFor(0));
    Message("6731M", ETranHexFor(0));
    EurofixForm->Stations1Click();
    EXPECT_EQ(StationItems(), (QStringList{"6731M [x]", "7499M [x]"}));
    EXPECT_FALSE(ui->None1->isVisible());
    EXPECT_TRUE(ui->SelectAll1->isVisible());
    EXPECT_TRUE(ui->HideAll1->isVisible());
    EXPECT_TRUE(EurofixForm->N1->isVisible());

    // Opening the menu again rebuilds its station items.
    EurofixForm->Stations1Click();
    ASSERT_EQ(ui->Stations1->actions().size(), 6);
    QAction *lessay = ui->Stations1->actions()[4];
    EXPECT_EQ(lessay->data().toInt(), 673101 * 100);
    lessay->trigger();
    EXPECT_FALSE(Station(0)->Shown);
    EXPECT_FALSE(Station(0)->GroupBox->isVisibleTo(EurofixForm));
    EXPECT_EQ(Station(1)->GroupBox->pos(), QPoint(8, 8));
    EXPECT_EQ(EurofixForm->ClientSize(), QSize(368, 466));
    EurofixForm->Stations1Click();
    EXPECT_EQ(StationItems(), (QStringList{"6731M [ ]", "7499M [x]"}));

    ui->HideAll1->trigger();
    EXPECT_FALSE(Station(1)->Shown);
    EXPECT_EQ(EurofixForm->ClientSize(), QSize(200, 540));
    ui->SelectAll1->trigger();
    EXPECT_TRUE(Station(0)->Shown && Station(1)->Shown);
    EXPECT_TRUE(Station(0)->GroupBox->isVisibleTo(EurofixForm));
    EXPECT_EQ(Station(0)->GroupBox->pos(), QPoint(8, 8));
}

TEST_F(EurofixFormTest, NineStationsInRowsOfFive)
{
    EurofixForm->MaxColumns = 4;
    EurofixForm->MaxRows = 2;
    const char *names[] = {"4000M", "5000M", "6000M", "7000M", "7001M", "7002M", "8000M", "9000M", "9001M"};
    for (const char *name : names) Message(name, ETranHexFor(1));
    ASSERT_EQ(EurofixForm->StationList.size(), 9u);
    for (int i = 0; i < 9; ++i) {
        SCOPED_TRACE(names[i]);
        EXPECT_STREQ(Station(i)->Name, names[i]);
        EXPECT_EQ(Station(i)->GroupBox->pos(), QPoint(8 + (i % 5) * 368, 8 + (i / 5) * 458));
    }
    // The panels beyond the window are scrolled to.
    EXPECT_EQ(ui->ClientPanel->size(), QSize(8 + 5 * 368 - 8, 8 + 2 * 458));
}

TEST_F(EurofixFormTest, OpeningASourceEmptiesTheWindow)
{
    Message("7499M", ETranHexFor(1));
    Message("6731M", ETranHexFor(1));
    const QSize size = EurofixForm->size();
    QPointer<QGroupBox> panel = Station(0)->GroupBox;
    MainForm->ResetViews();
    EXPECT_TRUE(EurofixForm->StationList.empty());
    EXPECT_TRUE(panel.isNull()) << "the panel goes with its station";
    EXPECT_EQ(EurofixForm->size(), size) << "no new layout";
    EXPECT_EQ(ui->ClientPanel->size(), QSize(0, 0)) << "nothing left to scroll to";
    EurofixForm->Stations1Click();
    EXPECT_TRUE(StationItems().isEmpty());
    EXPECT_TRUE(ui->None1->isVisible());

    Message("7499M", ETranHexFor(2));
    ASSERT_EQ(EurofixForm->StationList.size(), 1u);
    EXPECT_EQ(Station(0)->ETranCount, 1);
}

TEST_F(EurofixFormTest, ViewItemsAndAlwaysOnTop)
{
    EXPECT_EQ(MainForm->WindowOf(MainForm->ui->EurofixData1), EurofixForm) << "in the window layout";
    MainForm->ui->EurofixData1->trigger();
    EXPECT_TRUE(EurofixForm->isVisible());
    EurofixForm->Close1Click();
    EXPECT_FALSE(EurofixForm->isVisible());
    MainForm->ui->EurofixData2->trigger();
    EXPECT_TRUE(EurofixForm->isVisible());

    ui->AlwaysonTop2->trigger();
    EXPECT_TRUE(EurofixForm->windowFlags() & Qt::WindowStaysOnTopHint);
    EXPECT_TRUE(ui->AlwaysonTop1->isChecked());
    EXPECT_TRUE(ui->AlwaysonTop2->isChecked());
    EXPECT_TRUE(EurofixForm->isVisible());
    ui->AlwaysonTop1->trigger();
    EXPECT_FALSE(EurofixForm->windowFlags() & Qt::WindowStaysOnTopHint);
    EXPECT_FALSE(ui->AlwaysonTop1->isChecked());
    EXPECT_FALSE(ui->AlwaysonTop2->isChecked());
}

TEST_F(EurofixFormTest, TheSampleFillsBothStations)
{
    QFile sample(KAVU_SOURCE_DIR "/samples/kavu-sim-10min.log");
    ASSERT_TRUE(sample.open(QIODevice::ReadOnly));
    const QByteArray bytes = sample.readAll();
    for (qsizetype at = 0; at < bytes.size(); at += 4096) MainForm->ReceiveData(bytes.mid(at, 4096));

    ASSERT_EQ(EurofixForm->StationList.size(), 2u);
    EurofixDataClass *lessay = Station(0), *sylt = Station(1);
    EXPECT_STREQ(lessay->Name, "6731M");
    EXPECT_STREQ(sylt->Name, "7499M");
    for (EurofixDataClass *s : {lessay, sylt}) {
        SCOPED_TRACE(s->Name);
        EXPECT_GT(s->DgpsCount, 100);
        EXPECT_GT(s->UtcCount, 10);
        EXPECT_GT(s->ETranCount, 10);
        EXPECT_GT(s->SmsCount, 5);
        EXPECT_NE(s->DgpsGrid->Cell(0, 1), "");
        EXPECT_NE(s->StationIdValue->text(), "No ID");
        EXPECT_EQ(Lines(s->UtcMemo).size(), 25);
        EXPECT_EQ(Lines(s->ETranMemo).size(), std::min(s->ETranCount, 25));
        EXPECT_TRUE(Lines(s->SmsMemo).filter("(End)").size() >= 1);
    }
    EXPECT_EQ(sylt->HealthValue->text(), "UDRE 1m");
    EXPECT_EQ(lessay->HealthValue->text(), "UDRE 0.5m");
    EXPECT_TRUE(lessay->AlertText->text().startsWith("LESSAY EUROFIX TEST TRANSMISSION"));
    EXPECT_TRUE(sylt->AlertText->text().startsWith("SYLT: DGPS"));
}
