#include <QMdiArea>
#include <QScreen>
#include <QScrollBar>
#include <climits>

#include "app/layoutrecord.h"
#include "plots/tdplot.h"
#include "gui_test_support.h"
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
    static void Store(const char *name, const LayoutRecord &r) { SettingsStore(SettingsStore::Mode::Create).WriteBinary(name, QByteArray::fromStdString(r.Encode())); }
};

} // namespace

TEST_F(WindowMenusTest, TheCheckMarkSaysTheWindowExistsWhoeverOpensOrClosesIt)
{
    ui->TOAA1->trigger();
    ASSERT_TRUE(ui->TOAA1->isChecked());
    EXPECT_EQ(MainForm->WindowOf(ui->TOAA1), ProbeToaa);
    EXPECT_TRUE(ProbeToaa->rect().contains(ProbeToaa->Client()->geometry()));   // the frame fits round the client
    ui->TOAA1->trigger();
    EXPECT_FALSE(ui->TOAA1->isChecked());
    EXPECT_EQ(ProbeForm::alive, 0);
    EXPECT_EQ(MainForm->WindowOf(ui->TOAA1), nullptr);

    ui->GPGGA1->trigger();
    EXPECT_EQ(ProbeGpgga->lines, (std::vector<std::string>{""}));   // nothing received: the empty text
    MainForm->Window1Click();
    EXPECT_TRUE(ui->CloseAll1->isEnabled());
    ui->CloseAll1->trigger();
    Settle();
    EXPECT_FALSE(ui->GPGGA1->isChecked());
    MainForm->Window1Click();
    EXPECT_FALSE(ui->CloseAll1->isEnabled());
    ui->TOAA1->trigger();   // the main window takes its children with it
    DestroyForms();
    EXPECT_EQ(ProbeForm::alive, 0);
}

TEST_F(WindowMenusTest, TheMonitorComesBackAtItsSizeAndPlaceInEveryStateAfterARestart)
{
    MainForm->RestorelastWindows1Click();   // nothing stored: nothing happens
    EXPECT_TRUE(boxes.empty());
    const QRect stored(30, 40, 471, 280);
    for (Qt::WindowState state : {Qt::WindowNoState, Qt::WindowMinimized, Qt::WindowMaximized}) {
        Restart();
        ui->SerialMonitor1->trigger();
        QWidget *monitor = MainForm->WindowOf(ui->SerialMonitor1);
        monitor->setGeometry(stored);
        if (state != Qt::WindowNoState) monitor->setWindowState(state);
        MainForm->StorecurrentWindows1Click();
        Restart();
        ui->TOAA1->trigger();   // closed at store time: left as it is now
        MainForm->RestorelastWindows1Click();
        EXPECT_TRUE(ui->TOAA1->isChecked());
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
    auto within = [](QWidget *w, const QRect &area) {
        return area.contains(w->pos()) && w->width() <= area.width() && w->height() <= area.height();
    };
    for (int32_t big : {65535, INT_MAX}) {
        Store("SerialMonitor1", {1, true, LayoutRecord::MdiChild, true, big, big, INT_MIN, big, 0});
        Store("TDPlot1", {1, true, LayoutRecord::Normal, true, big, big, big, big, 0});
        MainForm->RestorelastWindows1Click();
        EXPECT_TRUE(boxes.empty());
        EXPECT_TRUE(within(ProbeMonitor, QRect(QPoint(), MainForm->ClientArea->viewport()->size()))) << big;
        EXPECT_TRUE(within(TDForm, MainForm->screen()->availableGeometry())) << big;
    }
    // No width, a negative height, an unknown state or style, a short record.
    const LayoutRecord refused[] = {{1, true, 1, true, 100, 0, 0, 0, 0}, {1, true, 1, true, -5, 100, 0, 0, 0},
                                    {1, true, 1, true, 100, 100, 0, 0, 7}, {1, true, 9, true, 100, 100, 0, 0, 0}};
    QList<QByteArray> records{QByteArray(20, '\1')};
    for (const LayoutRecord &bad : refused) records << QByteArray::fromStdString(bad.Encode());
    const QRect before(5, 6, 300, 200);
    for (const QByteArray &record : records) {
        boxes.clear();
        ProbeMonitor->setGeometry(before);
        SettingsStore(SettingsStore::Mode::Create).WriteBinary("SerialMonitor1", record);
        MainForm->RestorelastWindows1Click();
        EXPECT_EQ(boxes, (decltype(boxes){{"Error...", "    Cannot read all info from Registry   "}})) << record.toHex().toStdString();
        EXPECT_EQ(ProbeMonitor->geometry(), before) << record.toHex().toStdString();
    }
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

TEST_F(WindowMenusTest, TheMonitorOpensAndIsTiledInsideTheClientAreaAtLeast400By160WithItsTitleBar)
{
    Restart();   // the real monitor
    MainForm->resize(700, 380);
    Settle();
    QWidget *area = MainForm->ClientArea->viewport();
    auto where = [](QWidget *w) {
        return std::to_string(w->x()) + "," + std::to_string(w->y()) + " " + std::to_string(w->width()) + "x" +
               std::to_string(w->height());
    };
    auto expectInside = [&](QWidget *monitor) {
        EXPECT_TRUE(QRect(QPoint(), area->size()).contains(monitor->geometry()))
            << where(monitor) << " in " << area->width() << "x" << area->height();
        Settle();
        EXPECT_FALSE(MainForm->ClientArea->verticalScrollBar()->isVisible());
    };
    ui->SerialMonitor1->trigger();
    QWidget *monitor = MainForm->WindowOf(ui->SerialMonitor1);
    ASSERT_NE(monitor, nullptr);
    EXPECT_EQ(monitor->minimumSize(), QSize(400, 160));
    expectInside(monitor);
    // Tiled below a row that leaves it less than its least height.
    MainForm->resize(874, 380);
    ui->TOAA1->trigger();
    ui->Tile1->trigger();
    EXPECT_EQ(monitor->height(), 160);
    expectInside(monitor);
}
