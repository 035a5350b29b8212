// The Eurofix window fed through the router: a panel per station, what reaches
// each tab, the SMS alert with its sound, the Stations menu and the reset.
#include <QDir>
#include <QFileInfo>
#include <QGroupBox>
#include <QPlainTextEdit>
#include <QTemporaryDir>

#include "eurofix_hex.h"
#include "gui_test_support.h"
#include "platform/alertsound.h"
#include "plots/eurofixform.h"
#include "ui_eurofixform.h"

using namespace eurofixtest;

namespace {

std::string DgpsHex(int prn, double zcountSeconds, int prcSteps = 0)
{
    return Hex({{0, 4, 1}, {4, 13, std::lround(zcountSeconds / 0.6)}, {20, 5, prn}, {25, 15, prcSteps}});
}
std::string ETranHex(int type) { return Hex({{0, 4, 8}, {4, 3, type}}); }
QStringList Lines(const QPlainTextEdit *memo) { return memo->toPlainText().split('\n', Qt::SkipEmptyParts); }

} // namespace

class EurofixFormTest : public WindowTest {
protected:
    Ui::TEurofixForm *ui = nullptr;
    QStringList played;

    void SetUp() override
    {
        WindowTest::SetUp();
        AlertSound::SetPlayer([this](const QString &file) {
            played << file;
            return true;
        });
        CreateForms();
        ui = EurofixForm->ui.get();
    }
    void TearDown() override { AlertSound::SetPlayer({}); WindowTest::TearDown(); }
    void Message(const std::string &station, const std::string &hex, const char *form = "RMSGA,1.0")
    {
        Receive(std::string("DODU,") + form + ",12.5," + station + "," + hex + ",0,1");
    }
    // A station's panel as the window shows it at the next beat.
    EurofixDataClass *Station(size_t i) const
    {
        EurofixForm->DrawPending();
        return EurofixForm->StationList.at(i).get();
    }
    QStringList StationItems() const
    {
        EurofixForm->Stations1Click();
        QStringList out;
        for (QAction *a : ui->Stations1->actions().mid(4)) out << a->text() + (a->isChecked() ? " [x]" : " [ ]");
        return out;
    }
    void SendSms(const std::string &station)
    {
        Message(station, SmsHex(0, false, "HELLO "));
        Message(station, SmsHex(1, false, "WORLD "));
        Message(station, SmsHex(2, true, "!     "));
    }
};

TEST_F(EurofixFormTest, StationsGetPanelsInCodeOrderWhateverTheAddressForm)
{
    EurofixForm->MaxColumns = 4;
    EurofixForm->MaxRows = 2;
    Message("7499M", ETranHex(1));
    Message("7499M", ETranHex(1), "RMSG,1.0");
    Message("7499M", ETranHex(1), "1.0,RMSG");
    Message("6731M", ETranHex(2));
    Message("ABC", ETranHex(3));   // unknown stations share one panel
    Message("", ETranHex(4));
    ASSERT_EQ(EurofixForm->StationList.size(), 3u);
    EXPECT_STREQ(Station(0)->Name, "");
    EXPECT_EQ(Station(0)->ETranCount, 2);
    EXPECT_STREQ(Station(1)->Name, "6731M");
    EXPECT_EQ(Station(2)->ETranCount, 3);
    EXPECT_EQ(Station(2)->GroupBox->title(), "7499M");
    for (int i = 0; i < 3; ++i) EXPECT_EQ(Station(i)->GroupBox->pos(), QPoint(8 + 368 * i, 8));

    // Nine stations: rows of five, the panels beyond the window scrolled to.
    for (const char *name : {"4000M", "5000M", "6000M", "7000M", "7001M", "8000M"}) Message(name, ETranHex(1));
    ASSERT_EQ(EurofixForm->StationList.size(), 9u);
    EXPECT_EQ(Station(8)->GroupBox->pos(), QPoint(8 + 3 * 368, 8 + 458));
    EXPECT_EQ(ui->ClientPanel->size(), QSize(5 * 368, 8 + 2 * 458));

    // Opening a source empties the window and leaves nothing to scroll to.
    const QSize size = EurofixForm->size();
    QPointer<QGroupBox> panel = Station(0)->GroupBox;
    MainForm->ResetViews();
    EXPECT_TRUE(EurofixForm->StationList.empty());
    EXPECT_TRUE(panel.isNull());
    EXPECT_EQ(EurofixForm->size(), size);
    EXPECT_EQ(ui->ClientPanel->size(), QSize(0, 0));
    EXPECT_TRUE(StationItems().isEmpty());
    EXPECT_TRUE(ui->None1->isVisible());
}

TEST_F(EurofixFormTest, TheDgpsGridShowsTheLowestPrnsOfTheLastMessage)
{
    for (int prn = 20; prn >= 1; --prn) Message("7499M", DgpsHex(prn, 12.0 + prn * 0.6, -prn));
    EurofixDataClass *s = Station(0);
    EurofixForm->DrawPending();
    EXPECT_EQ(s->DgpsCountValue->text(), "20");
    EXPECT_EQ(s->DgpsGrid->Cell(1, 1), "   -0.02");
    EXPECT_EQ(s->DgpsGrid->Cell(0, 14), "  14");   // fourteen fit
    EXPECT_EQ(s->DgpsGrid->rowCount(), 15);
    Message("7499M", DgpsHex(0, 30.0));   // PRN 0: counted, not kept
    EurofixForm->DrawPending();
    EXPECT_EQ(s->DgpsCountValue->text(), "21");
    EXPECT_NEAR(s->Corrections.LatestTime, 12.6, 1e-9);

    // The age-out clears the table every second; the grid follows at the next message.
    EXPECT_TRUE(EurofixForm->Timer1->isActive());
    s->Corrections.Clear();
    Message("7499M", DgpsHex(5, 99.0));
    Message("7499M", DgpsHex(6, 139.2));   // 40.2 s later
    EurofixForm->Timer1Timer();
    EurofixForm->DrawPending();
    EXPECT_EQ(s->DgpsGrid->Cell(0, 1), "   5");
    Message("7499M", DgpsHex(7, 139.8));
    EurofixForm->DrawPending();
    EXPECT_EQ(s->DgpsGrid->Cell(0, 1), "   6");
    EXPECT_EQ(s->DgpsGrid->Cell(0, 2), "   7");
    EXPECT_EQ(s->DgpsGrid->Cell(0, 3) + s->DgpsGrid->Cell(4, 3), "");
}

TEST_F(EurofixFormTest, BadMessagesCountNothingAndTheMemosKeepTheirLastLines)
{
    Message("7499M", DgpsHex(3, 6.0));
    const std::string good = DgpsHex(4, 7.2, 100);
    std::string garbled = good;
    garbled[9] = 'Z';
    for (const std::string &hex : {garbled, good.substr(0, 15), std::string(), Hex({{0, 4, 2}}), Hex({{0, 4, 15}})})
        Message("7499M", hex);
    Line("$DODU,RMSGA,1.0,1,6731M," + good + ",0,1*00");
    ASSERT_EQ(EurofixForm->StationList.size(), 1u);
    EurofixDataClass *s = Station(0);
    EurofixForm->DrawPending();
    EXPECT_EQ(s->DgpsCount + s->UtcCount + s->ETranCount + s->SmsCount, 1);
    EXPECT_EQ(s->DgpsGrid->Cell(0, 2), "");
    Message("6731M", Hex({{0, 4, 2}}));   // an undecodable first message still makes a panel
    EXPECT_EQ(EurofixForm->StationList.size(), 2u);

    for (int i = 0; i < 30; ++i) Message("7499M", ETranHex(i % 8));
    EurofixForm->DrawPending();
    EXPECT_EQ(s->ETranCountValue->text(), "30");
    EXPECT_EQ(Lines(s->ETranMemo).size(), 25);
    for (int i = 0; i < 10; ++i) SendSms("7499M");
    EurofixForm->DrawPending();
    EXPECT_EQ(Lines(s->SmsMemo).size(), 25);
    EXPECT_EQ(s->AlertText->text(), "HELLO WORLD !     ");   // each text starts afresh
}

TEST_F(EurofixFormTest, AnSmsShowsItsAlertForTenSecondsAndSoundsWhileTheWindowShows)
{
    QTemporaryDir dir{QDir::tempPath() + "/kavu-XXXXXX"};
    const QString oldDir = QDir::currentPath();
    ASSERT_TRUE(QDir::setCurrent(dir.path()));
    SendSms("6731M");
    EurofixDataClass *s = Station(0);
    EXPECT_EQ(s->AlertCaption->text(), "SMS message received from 6731M:");
    EXPECT_EQ(s->PageControl->currentIndex(), 3);
    for (int i = 0; i < 100; ++i) s->AlertTick();
    EXPECT_TRUE(s->AlertPanel->isVisibleTo(s->GroupBox));
    s->AlertTick();
    EXPECT_FALSE(s->AlertPanel->isVisibleTo(s->GroupBox) || s->AlertTimer->isActive());
    SendSms("6731M");
    s->AlertTimer->setInterval(1);   // the ticks themselves, not their 100 ms, are under test
    EXPECT_TRUE(QTest::qWaitFor([s] { return !s->AlertPanel->isVisibleTo(s->GroupBox); }, 5000));

    ShowAndWait(EurofixForm);
    SendSms("6731M");
    EXPECT_TRUE(played.isEmpty()) << "no sound file";
    QFile wav(dir.filePath("SMSAlert.wav"));
    ASSERT_TRUE(wav.open(QIODevice::WriteOnly));
    wav.close();
    Message("6731M", SmsHex(0, false, "ABCDEF"));
    EXPECT_TRUE(played.isEmpty()) << "no text completed yet";
    Message("6731M", SmsHex(1, true, "GH    "));
    ASSERT_EQ(played.size(), 1);
    EXPECT_EQ(QFileInfo(played[0]).canonicalFilePath(), QFileInfo(wav.fileName()).canonicalFilePath());
    EurofixForm->Close1Click();
    SendSms("6731M");
    EXPECT_EQ(played.size(), 1) << "hidden";
    QDir::setCurrent(oldDir);
}

// A page not shown prepares nothing until it is brought into sight, and then
// shows what drawing every message shows.
TEST_F(EurofixFormTest, APageOutOfSightWaitsAndShowsWhatDrawingEveryMessageShowsWhenBroughtIntoSight)
{
    auto later = [this](const std::function<void()> &each) {
        for (int prn = 20; prn >= 1; --prn) {
            Message("7499M", DgpsHex(prn, 12.0 + prn * 0.6, -prn));
            each();
        }
        for (int i = 0; i < 30; ++i) {
            Message("7499M", ETranHex(i % 8));
            each();
        }
    };
    auto shown = [](EurofixDataClass *s) {
        QStringList out{s->DgpsCountValue->text(), s->ETranCountValue->text(), s->ETranMemo->toPlainText()};
        for (int r = 0; r < s->DgpsGrid->RowCount(); ++r)
            for (int c = 0; c < s->DgpsGrid->columnCount(); ++c) out << s->DgpsGrid->Cell(c, r);
        return out;
    };
    Message("7499M", DgpsHex(3, 6.0));
    Message("7499M", ETranHex(1));
    EurofixForm->DrawPending();
    later([] { EurofixForm->DrawPending(); });
    const QStringList everyMessage = shown(Station(0));
    DestroyForms();

    CreateForms();
    ShowAndWait(EurofixForm);
    Message("7499M", DgpsHex(3, 6.0));
    Message("7499M", ETranHex(1));
    ASSERT_TRUE(Drawn(EurofixForm->Drawing()));
    EurofixDataClass *s = EurofixForm->StationList.at(0).get();
    ASSERT_EQ(s->PageControl->currentIndex(), EurofixDataClass::DgpsTab);
    EXPECT_EQ(s->DgpsCountValue->text(), "1");
    EXPECT_EQ(s->ETranCountValue->text(), "0");   // its page is not shown
    EXPECT_TRUE(s->ETranMemo->toPlainText().isEmpty());

    s->PageControl->setCurrentIndex(EurofixDataClass::SmsTab);
    later([] {});
    ASSERT_TRUE(BeatPassed(BeatDrawing::BeatMs));
    EXPECT_EQ(s->DgpsCountValue->text(), "1");
    EXPECT_EQ(s->DgpsGrid->Cell(0, 2), "");
    EXPECT_EQ(s->ETranCountValue->text(), "0");
    EXPECT_TRUE(s->Waiting());

    // Brought into sight: at once as drawing every message leaves it.
    s->PageControl->setCurrentIndex(EurofixDataClass::DgpsTab);
    EXPECT_EQ(s->DgpsCountValue->text(), "21");
    s->PageControl->setCurrentIndex(EurofixDataClass::ETranTab);
    EXPECT_EQ(s->ETranCountValue->text(), "31");
    EXPECT_FALSE(s->Waiting());
    EXPECT_EQ(shown(s), everyMessage);
}

// A station's first message is on its panel, whichever message makes the panel,
// with nothing after it to bring a redraw.
TEST_F(EurofixFormTest, ANewStationsPanelShowsTheMessageThatMadeIt)
{
    struct Case {
        std::string hex;
        QString stationId, health, firstCells;
    };
    const std::vector<Case> cases{
        {DgpsHex(7, 12.0, -3), "No ID", "Not working", "   7   -0.06"},
        {Hex({{0, 4, 4}, {4, 10, 321}, {14, 3, 7}}), "321", "Not Working", ""},
    };
    for (const Case &c : cases) {
        DestroyForms();
        CreateForms();
        ShowAndWait(EurofixForm);
        Message("7499M", c.hex);
        ASSERT_EQ(EurofixForm->StationList.size(), 1u);
        const EurofixDataClass *s = EurofixForm->StationList.front().get();
        EXPECT_TRUE(QTest::qWaitFor([s] { return s->DgpsCountValue->text() == "1"; }, 5000)) << c.hex;
        EXPECT_TRUE(s->GroupBox->isVisible());
        EXPECT_EQ(s->StationIdValue->text(), c.stationId);
        EXPECT_EQ(s->HealthValue->text(), c.health);
        EXPECT_EQ(s->DgpsGrid->Cell(0, 1) + s->DgpsGrid->Cell(1, 1), c.firstCells);
        EXPECT_FALSE(s->Waiting());
    }
}
