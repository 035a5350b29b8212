#include <QMdiArea>
#include <QMenu>
#include <QScreen>
#include <QTest>
#include <climits>

#include "app/layoutrecord.h"
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
    // The program ends and starts again with its real windows.
    void Restart()
    {
        DestroyForms();
        CreateForms();
        MainForm->show();
        ui = MainForm->ui.get();
    }
    void Settle() { QCoreApplication::processEvents(); QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete); }
    static void Store(const char *name, const LayoutRecord &r)
    {
        SettingsStore store(SettingsStore::Mode::Create);
        store.WriteBinary(name, QByteArray::fromStdString(r.Encode()));
    }
};

} // namespace

TEST_F(WindowMenusTest, ItemOpensWithTheLastLineClosesAndTheCloseBoxUnchecks)
{
    std::string line = Sentence("DODU,TOAA,1");
    MainForm->ReceiveData(QByteArray::fromStdString(line + "\r\n"));
    ui->TOAA1->trigger();
    ASSERT_TRUE(ui->TOAA1->isChecked());
    EXPECT_EQ(ProbeToaa->lines, (std::vector<std::string>{line}));
    EXPECT_EQ(MainForm->WindowOf(ui->TOAA1), ProbeToaa);
    ui->TOAA1->trigger();
    EXPECT_FALSE(ui->TOAA1->isChecked());
    EXPECT_EQ(ProbeForm::alive, 0);
    EXPECT_EQ(MainForm->WindowOf(ui->TOAA1), nullptr);

    ui->GPGGA1->trigger();   // nothing received: the empty text
    EXPECT_EQ(ProbeGpgga->lines, (std::vector<std::string>{""}));
    ProbeGpgga->close();
    Settle();
    EXPECT_FALSE(ui->GPGGA1->isChecked());
    EXPECT_EQ(ProbeForm::alive, 0);
    ui->GPGGA1->trigger();
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
    EXPECT_FALSE(ui->TOAA1->isChecked() || ui->GPGGA1->isChecked());
    EXPECT_EQ(ProbeForm::alive, 0);

    ui->TOAA1->trigger();   // the main window takes its children with it
    DestroyForms();
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

TEST_F(WindowMenusTest, RestoreReopensChildrenStoredOpenAndLeavesTheOthersAlone)
{
    MainForm->RestorelastWindows1Click();   // nothing stored: nothing happens
    EXPECT_TRUE(boxes.empty());
    ui->TOAA1->trigger();
    ProbeToaa->move(40, 30);
    MainForm->StorecurrentWindows1Click();
    ui->TOAA1->trigger();
    ui->GPGGA1->trigger();

    MainForm->RestorelastWindows1Click();
    ASSERT_TRUE(ui->TOAA1->isChecked());
    EXPECT_EQ(ProbeToaa->pos(), QPoint(40, 30));
    EXPECT_TRUE(ui->GPGGA1->isChecked());   // closed at store time: left as it is now
    EXPECT_TRUE(boxes.empty());
    SettingsStore store;
    EXPECT_EQ(store.ReadBinary("N2")->at(4), 0);      // a separator: not open
    EXPECT_EQ(store.ReadBinary("TOAA1")->at(8), 1);   // a child of the frame
}

TEST_F(WindowMenusTest, TheMonitorComesBackAtItsSizeAndPlaceInEveryStateAfterARestart)
{
    const QRect stored(30, 40, 471, 280);
    for (Qt::WindowState state : {Qt::WindowNoState, Qt::WindowMinimized, Qt::WindowMaximized}) {
        Restart();
        ui->SerialMonitor1->trigger();
        QWidget *monitor = MainForm->WindowOf(ui->SerialMonitor1);
        monitor->setGeometry(stored);
        if (state != Qt::WindowNoState) monitor->setWindowState(state);
        MainForm->StorecurrentWindows1Click();
        Restart();
        MainForm->RestorelastWindows1Click();
        monitor = MainForm->WindowOf(ui->SerialMonitor1);
        ASSERT_NE(monitor, nullptr) << state;
        EXPECT_EQ(monitor->windowState() & ~Qt::WindowActive, state);
        if (state != Qt::WindowNoState) monitor->setWindowState(Qt::WindowNoState);
        EXPECT_EQ(monitor->geometry(), stored) << state;
        EXPECT_TRUE(boxes.empty());
    }
}

TEST_F(WindowMenusTest, StoredGeometryIsKeptOnTheScreenAndARecordThatCannotBeAWindowIsRefused)
{
    ui->SerialMonitor1->trigger();
    MainForm->StorecurrentWindows1Click();
    LayoutRecord r;
    r.Open = r.Visible = true;
    r.Style = LayoutRecord::MdiChild;
    const QSize area = MainForm->ClientArea->viewport()->size();
    const QRect screen = MainForm->screen()->availableGeometry();
    for (int32_t big : {65535, INT_MAX}) {
        r.Width = r.Height = big;
        r.Left = big;
        r.Top = INT_MIN;
        Store("SerialMonitor1", r);
        Store("TDPlot1", LayoutRecord{1, true, LayoutRecord::Normal, true, big, big, big, big, 0});
        MainForm->RestorelastWindows1Click();
        EXPECT_TRUE(boxes.empty());
        EXPECT_TRUE(QRect(QPoint(), area).contains(ProbeMonitor->pos()) && ProbeMonitor->width() <= area.width() &&
                    ProbeMonitor->height() <= area.height()) << big;
        EXPECT_TRUE(screen.contains(TDForm->pos()) && TDForm->width() <= screen.width() &&
                    TDForm->height() <= screen.height()) << big;
    }
    struct Bad { const char *what; LayoutRecord record; };
    const Bad refused[] = {
        {"no width", {1, true, 1, true, 100, 0, 0, 0, 0}},
        {"negative height", {1, true, 1, true, -5, 100, 0, 0, 0}},
        {"unknown state", {1, true, 1, true, 100, 100, 0, 0, 7}},
        {"unknown style", {1, true, 9, true, 100, 100, 0, 0, 0}},
    };
    const QRect before(5, 6, 300, 200);
    for (const Bad &bad : refused) {
        boxes.clear();
        ProbeMonitor->setGeometry(before);
        Store("SerialMonitor1", bad.record);
        MainForm->RestorelastWindows1Click();
        ASSERT_EQ(boxes.size(), 1u) << bad.what;
        EXPECT_EQ(boxes[0], std::make_pair(QString("Error..."), QString("    Cannot read all info from Registry   ")));
        EXPECT_EQ(ProbeMonitor->geometry(), before) << bad.what;
    }
    {
        SettingsStore store(SettingsStore::Mode::Create);
        store.WriteBinary("SerialMonitor1", QByteArray(20, '\1'));
    }
    boxes.clear();
    MainForm->RestorelastWindows1Click();
    EXPECT_EQ(boxes.size(), 1u);
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
    Restart();   // the real windows, not the probes
    ui->TOAA1->trigger();   // already open: left as it is
    QWidget *toaa = MainForm->WindowOf(ui->TOAA1);
    MainForm->All1Click();
    for (QAction *item : {ui->TOAA1, ui->GPPOSA1, ui->LCPOSA2, ui->LCPOSA3, ui->LCPOSA4, ui->INPOSA1, ui->SerialMonitor1})
        EXPECT_TRUE(item->isChecked()) << item->objectName().toStdString();
    EXPECT_FALSE(ui->LCPOSA1->isChecked());
    EXPECT_EQ(MainForm->WindowOf(ui->TOAA1), toaa);
    EXPECT_EQ(toaa->pos(), QPoint(0, 0));
    EXPECT_EQ(MainForm->WindowOf(ui->GPPOSA1)->pos(), QPoint(0, toaa->height()));   // row 2 below TOAA
}
