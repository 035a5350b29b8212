#include <QMdiArea>
#include <QMenu>
#include <QTest>

#include "app/mainform.h"
#include "plots/tdplot.h"
#include "gui_test_support.h"
#include "sentence_text.h"
#include "ui_mainform.h"

namespace {

// A small log window for exercising the menu protocol.
class ProbeForm : public MdiChildForm {
public:
    explicit ProbeForm(QAction *item) : MdiChildForm(item)
    {
        setWindowTitle("Probe Logs");
        if (item->objectName() == "SerialMonitor1") SetSizeable(100, 50);
        else SetClientSize(300, 120);
        ++alive;
    }
    ~ProbeForm() override { --alive; }
    void ShowData(const char *line) { lines.emplace_back(line); }
    std::vector<std::string> lines;
    static int alive;
};
int ProbeForm::alive = 0;

ProbeForm *ProbeToaa = nullptr;
ProbeForm *ProbeGpgga = nullptr;
ProbeForm *ProbeMonitor = nullptr;

class WindowMenusTest : public WindowTest {
protected:
    Ui::TMainForm *ui = nullptr;
    void SetUp() override
    {
        WindowTest::SetUp();
        CreateForms();
        MainForm->show();
        ui = MainForm->ui.get();
        MainForm->RegisterLogWindow(ui->TOAA1, ui->TOAA2, ProbeToaa, SentenceType::Toaa);
        MainForm->RegisterLogWindow(ui->GPGGA1, ui->GPGGA2, ProbeGpgga, SentenceType::Gpgga);
        MainForm->RegisterLogWindow(ui->SerialMonitor1, ui->SerialMonitor2, ProbeMonitor, std::nullopt,
                                    [](MdiChildForm *f) { MainForm->PlaceMonitor(f); });
    }
    void Settle() { QCoreApplication::processEvents(); QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete); }
};

} // namespace

TEST_F(WindowMenusTest, ItemOpensWithTheLastLineAndClosesAgain)
{
    std::string line = Sentence("DODU,TOAA,1");
    MainForm->ReceiveData(QByteArray::fromStdString(line + "\r\n"));
    ui->TOAA1->trigger();
    ASSERT_TRUE(ui->TOAA1->isChecked());
    ASSERT_NE(ProbeToaa, nullptr);
    EXPECT_EQ(ProbeToaa->lines, (std::vector<std::string>{line}));
    EXPECT_EQ(MainForm->WindowOf(ui->TOAA1), ProbeToaa);
    EXPECT_EQ(MainForm->ClientArea->subWindowList().size(), 1);

    ui->TOAA1->trigger();
    EXPECT_FALSE(ui->TOAA1->isChecked());
    EXPECT_EQ(ProbeForm::alive, 0);
    EXPECT_EQ(MainForm->WindowOf(ui->TOAA1), nullptr);

    // With nothing received a window opens with the empty text.
    ui->GPGGA1->trigger();
    EXPECT_EQ(ProbeGpgga->lines, (std::vector<std::string>{""}));
}

TEST_F(WindowMenusTest, FixedClientSizeLeavesRoomForTheFrame)
{
    ui->TOAA1->trigger();
    EXPECT_EQ(ProbeToaa->Client()->size(), QSize(300, 120));
    EXPECT_EQ(ProbeToaa->size(), QSize(300, 120) + ProbeToaa->FrameSize());
    EXPECT_EQ(ProbeToaa->Client()->geometry().bottom(), ProbeToaa->height() - ProbeToaa->FrameSize().width() / 2 - 1);
}

TEST_F(WindowMenusTest, CloseBoxUnchecksAndTheNextClickMakesANewWindow)
{
    ui->TOAA1->trigger();
    ProbeForm *first = ProbeToaa;
    first->close();
    Settle();
    EXPECT_FALSE(ui->TOAA1->isChecked());
    EXPECT_EQ(ProbeForm::alive, 0);
    ui->TOAA1->trigger();
    EXPECT_TRUE(ui->TOAA1->isChecked());
    EXPECT_EQ(ProbeForm::alive, 1);
}

TEST_F(WindowMenusTest, PopupTwinOpensOrBringsToFrontButNeverCloses)
{
    ui->TOAA2->trigger();
    ASSERT_TRUE(ui->TOAA1->isChecked());
    ui->GPGGA1->trigger();
    ui->TOAA2->trigger();
    EXPECT_TRUE(ui->TOAA1->isChecked());
    EXPECT_EQ(MainForm->ClientArea->activeSubWindow(), ProbeToaa);
    EXPECT_EQ(ProbeForm::alive, 2);
}

TEST_F(WindowMenusTest, CloseAllAndTheWindowMenuEnabling)
{
    MainForm->Window1Click();
    EXPECT_FALSE(ui->CloseAll1->isEnabled());
    ui->TOAA1->trigger();
    ui->GPGGA1->trigger();
    MainForm->Window1Click();
    EXPECT_TRUE(ui->CloseAll1->isEnabled());
    ui->CloseAll1->trigger();
    Settle();
    EXPECT_FALSE(ui->TOAA1->isChecked());
    EXPECT_FALSE(ui->GPGGA1->isChecked());
    EXPECT_EQ(ProbeForm::alive, 0);
}

TEST_F(WindowMenusTest, MonitorOpensAlongTheBottom)
{
    for (int clientHeight : {700, 300}) {
        int extra = MainForm->height() - MainForm->FrameClientHeight();
        MainForm->resize(900, clientHeight + extra);
        Settle();
        ASSERT_EQ(MainForm->FrameClientHeight(), clientHeight);
        ui->SerialMonitor1->trigger();
        int expected = std::min(clientHeight / 2, 250) - 4;
        EXPECT_EQ(ProbeMonitor->height(), expected) << clientHeight;
        EXPECT_EQ(ProbeMonitor->width(), MainForm->ClientArea->width() - 4);
        EXPECT_EQ(ProbeMonitor->y(), MainForm->ClientArea->height() - expected - 4);
        ui->SerialMonitor1->trigger();
    }
}

TEST_F(WindowMenusTest, StoreThenRestoreReopensAtTheStoredPlace)
{
    ui->TOAA1->trigger();
    ProbeToaa->move(40, 30);
    MainForm->StorecurrentWindows1Click();
    ui->TOAA1->trigger();
    ASSERT_FALSE(ui->TOAA1->isChecked());

    MainForm->RestorelastWindows1Click();
    ASSERT_TRUE(ui->TOAA1->isChecked());
    EXPECT_EQ(ProbeToaa->pos(), QPoint(40, 30));
    EXPECT_FALSE(ui->GPGGA1->isChecked());   // closed at store time: left as it is
    EXPECT_TRUE(boxes.empty());

    SettingsStore store;
    ASSERT_TRUE(store.ReadBinary("MainForm"));
    EXPECT_EQ(store.ReadBinary("MainForm")->size(), 36);
    EXPECT_EQ(store.ReadBinary("N2")->at(4), 0);      // a separator: not open
    EXPECT_EQ(store.ReadBinary("TOAA1")->at(8), 1);   // a child of the frame
}

TEST_F(WindowMenusTest, RestoreLeavesWindowsClosedAtStoreTimeAsTheyAre)
{
    MainForm->StorecurrentWindows1Click();   // nothing open
    ui->GPGGA1->trigger();
    MainForm->RestorelastWindows1Click();
    EXPECT_TRUE(ui->GPGGA1->isChecked());
}

TEST_F(WindowMenusTest, RestoreWithNothingStoredChangesNothing)
{
    QSize before = MainForm->size();
    MainForm->RestorelastWindows1Click();
    EXPECT_TRUE(boxes.empty());
    EXPECT_EQ(MainForm->size(), before);
    EXPECT_FALSE(ui->TOAA1->isChecked());
}

TEST_F(WindowMenusTest, ACorruptRecordStopsTheRestoreWithTheMessage)
{
    ui->TOAA1->trigger();
    ProbeToaa->move(10, 10);
    MainForm->StorecurrentWindows1Click();
    ui->TOAA1->trigger();
    {
        SettingsStore store(SettingsStore::Mode::Create);
        store.WriteBinary("DASFA1", QByteArray(20, '\1'));   // after TOAA1 in menu order
        store.WriteString("GPGGA1", "not binary");
    }
    MainForm->RestorelastWindows1Click();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].first, "Error...");
    EXPECT_EQ(boxes[0].second, "    Cannot read all info from Registry   ");
    EXPECT_TRUE(ui->TOAA1->isChecked());   // what was applied before stays
}

TEST_F(WindowMenusTest, DestroyingTheMainWindowDeletesOpenChildren)
{
    ui->TOAA1->trigger();
    ui->GPGGA1->trigger();
    DestroyForms();
    EXPECT_EQ(ProbeForm::alive, 0);
}

TEST_F(WindowMenusTest, AFixedWindowStoredOnTopGetsItsStyleAndMenuCheckBack)
{
    ui->TDPlot1->trigger();
    ASSERT_TRUE(TDForm->isVisible());
    QAction *onTop = TDForm->findChild<QAction *>("AlwaysonTop1");
    ASSERT_NE(onTop, nullptr);
    onTop->trigger();
    ASSERT_TRUE(TDForm->windowFlags().testFlag(Qt::WindowStaysOnTopHint));
    TDForm->move(120, 80);
    MainForm->StorecurrentWindows1Click();
    {
        SettingsStore store;
        EXPECT_EQ(store.ReadBinary("TDPlot1")->at(8), 3);   // stay on top
    }
    onTop->trigger();
    ASSERT_FALSE(TDForm->windowFlags().testFlag(Qt::WindowStaysOnTopHint));
    TDForm->move(300, 300);

    MainForm->RestorelastWindows1Click();
    EXPECT_TRUE(TDForm->windowFlags().testFlag(Qt::WindowStaysOnTopHint));
    EXPECT_TRUE(onTop->isChecked());
    EXPECT_TRUE(TDForm->isVisible());
    EXPECT_EQ(TDForm->pos(), QPoint(120, 80));
    EXPECT_TRUE(boxes.empty());
}

TEST_F(WindowMenusTest, ShowDefaultLogsOpensTheUsualWindowsTiled)
{
    // The real windows, not the probes of this fixture.
    DestroyForms();
    CreateForms();
    MainForm->show();
    ui = MainForm->ui.get();
    ui->TOAA1->trigger();   // already open: left as it is
    QWidget *toaa = MainForm->WindowOf(ui->TOAA1);
    MainForm->All1Click();
    for (QAction *item : {ui->TOAA1, ui->GPPOSA1, ui->LCPOSA2, ui->LCPOSA3, ui->LCPOSA4, ui->INPOSA1, ui->SerialMonitor1})
        EXPECT_TRUE(item->isChecked()) << item->objectName().toStdString();
    EXPECT_FALSE(ui->LCPOSA1->isChecked());
    EXPECT_EQ(MainForm->WindowOf(ui->TOAA1), toaa);
    EXPECT_EQ(toaa->pos(), QPoint(0, 0));
    // Row 2 starts below the TOAA window.
    EXPECT_EQ(MainForm->WindowOf(ui->GPPOSA1)->pos(), QPoint(0, toaa->height()));
}
