// Every value label holds the widest value its format and field can produce, in
// the font it is drawn with, and no label's text runs into another's.
#include <QFontMetrics>
#include <QHeaderView>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QScreen>
#include <QScrollBar>
#include <QStyle>
#include <QTableWidget>

#include "gui_test_support.h"

namespace {

const char *Version = "DRV-7.23.1772-BETA1";   // 19 characters, the longest version a sentence carries
const char *Source19 = "LORANUTC-GPSUTC-ALT";

struct WidestValues {
    const char *item;   // the View item that opens the window
    // label name, then its widest values ('|' between the texts a choice can show)
    std::vector<std::pair<const char *, std::string>> values;
};

const std::string Lat = "-89.9999999", Lon = "-179.9999999", Utc = "23:59:59.99|235959.99";
const std::string Date = "31/12/99|- - -", Src = "eLoran|GPS|None", Hgt = "-12345.67", Und = "-123.45";

const std::vector<WidestValues> Windows = {
    {"TOAA1", {{"TimeLabel", "999999999.00"}, {"UpdateTimeLabel", "999999.00"}, {"IntegrationTimeLabel", "999999.00"},
               {"VersionLabel", Version}, {"ClockStringLabel", "HOLDOVER-STEERING-2"},
               {"ClockErrorLabel", "-9.9999E-100"}, {"NoiseLoop1Label", "-999999.00"},
               {"NoiseLoop2Label", "-999999.00"}, {"NumStationsLabel", "30"}}},
    {"DASFA1", {{"VersionLabel", Version}, {"TimeLabel", Utc}, {"DateLabel", Date}, {"SourceLabel", Src},
                {"LatLabel", Lat}, {"LonLabel", Lon}, {"NumStationsLabel", "30"}}},
    {"HDGLA1", {{"TimeLabel", "999999999.00"}, {"UpdateTimeLabel", "999999.00"},
                {"IntegrationTimeLabel", "999999.00"}, {"NumStationsLabel", "30"}, {"CiPosLabel", "-999999.00"},
                {"CiNegLabel", "-999999.00"}, {"PosValidLabel", "Yes|No"}, {"AmbiguitySolvedLabel", "Yes|No"},
                {"BeamFlippedLabel", "Yes|No"}, {"ModeLabel", "W"}, {"HeadingLabel", "359.999"},
                {"HeadingStdLabel", "999.999"}, {"QualityLabel", "-999999.000"}}},
    {"NOTCHA1", {{"TimeLabel", "999999999.00"}, {"VersionLabel", Version}, {"NumNotchesLabel", "99"},
                 {"ActiveNotchesLabel", "99"}}},
    {"PTNTA1", {{"DateLabel", "31/12/2099"}, {"TimeLabel", "23:59:59"},
                {"QualityLabel", "0: Rb line not locked|1: Free run|2: Disciplined|Unknown quality"},
                {"PPSLabel", "7499999"}, {"PhaseLabel", "-500000000|+059"}, {"PPSDiffLabel", "-500000000 ns"}}},
    {"SYNCA1", {{"DateLabel", "31/12/2099"}, {"TimeLabel", "23:59:59"}, {"VersionLabel", Version},
                {"SourceLabel", Source19 + std::string(" : 7499M-USA")}, {"UTCLabel", "Yes|No"},
                {"LeapSecondsLabel", "-99"}, {"OffsetLabel", "-99999.9"},
                {"LoranTimeLabel", "31622400.000000000"}, {"SampleCountLabel", "12648960000000.000000"}}},
    {"GPPOSA1", {{"VersionLabel", Version}, {"TimeLabel", Utc}, {"DateLabel", Date}, {"SourceLabel", Src},
                 {"ModeLabel", "Stand alone|WAAS/EGNOS|Radiobeacon|Eurofix|No fix"}, {"LatLabel", Lat},
                 {"LonLabel", Lon}, {"HeightLabel", Hgt}, {"UndulationLabel", Und}, {"VelocityLabel", "1234.56"},
                 {"HeadingLabel", "359.99"}, {"CompassLabel", "359.99"}, {"NumSVLabel", "99"},
                 {"HDOPLabel", "99.99"}, {"VDOPLabel", "99.99"}, {"PDOPLabel", "99.99"},
                 {"QualityLabel", "999.99|- - -"}}},
    {"LCPOSA2", {{"TimeLabel", "604799.99"}, {"LatLabel", Lat}, {"LonLabel", Lon}, {"DOPLabel", "99.99"},
                 {"VersionLabel", Version}, {"VelocityLabel", "1234.56"}, {"HeadingLabel", "359.99"},
                 {"CompassHeadingLabel", "359.99"}, {"NumLoranLabel", "100"}}},
    {"INPOSA1", {{"VersionLabel", Version}, {"TimeLabel", Utc}, {"DateLabel", Date}, {"SourceLabel", Src},
                 {"GPSModeLabel", "Stand alone|WAAS/EGNOS|Radiobeacon|Eurofix|Not included"},
                 {"LoranModeLabel", "Stand alone|Differential|GPS Calibrated|ASF Corrected|Not included"},
                 {"LatLabel", Lat}, {"LonLabel", Lon}, {"HeightLabel", Hgt}, {"UndulationLabel", Und},
                 {"VelocityLabel", "1234.56"}, {"HeadingLabel", "359.99"}, {"CompassLabel", "359.99"},
                 {"NumSVLabel", "99"}, {"NumLoranLabel", "99"}, {"HDOPLabel", "99.99"},
                 {"QualityLabel", "999.99|- - -"}}},
    {"GPGGA1", {{"TimeLabel", "235959.99"}, {"ModeLabel", "No Fix|GPS|DGPS|eLoran|Unknown"},
                {"LatLabel", "8959.99999"}, {"LatCharLabel", "N|S"}, {"LonLabel", "17959.99999"},
                {"LonCharLabel", "E|W"}, {"NumObsLabel", "99"}, {"HDOPLabel", "99.99"}, {"HeightLabel", Hgt},
                {"UndulationLabel", Und}, {"AgeLabel", "999.99"}, {"RTCMIDLabel", "1023"}}},
};

// Where a label draws its text, in its window's client coordinates.
QRect TextRect(const QLabel *label, const QString &text)
{
    QFontMetrics metrics(label->font());
    QRect inside = label->contentsRect();
    QRect drawn = QStyle::alignedRect(Qt::LeftToRight, label->alignment(),
                                      QSize(metrics.horizontalAdvance(text), metrics.height()), inside);
    return drawn.translated(label->pos());
}

class ReadableTest : public WindowTest {
protected:
    void SetUp() override
    {
        WindowTest::SetUp();
        CreateForms();
        MainForm->show();
    }
};

TEST_F(ReadableTest, EveryValueFitsItsLabelAndNoLabelRunsIntoAnother)
{
    for (const WidestValues &window : Windows) {
        SCOPED_TRACE(window.item);
        MainForm->findChild<QAction *>(window.item)->trigger();
        QWidget *client = MainForm->ClientArea->subWindowList().last()->widget();
        // Each label at its widest: for a label with a choice, the widest of its texts.
        for (const auto &[name, widest] : window.values) {
            QLabel *label = client->findChild<QLabel *>(name);
            ASSERT_NE(label, nullptr) << name;
            QString chosen;
            for (const QString &text : QString::fromStdString(widest).split('|')) {
                QRect drawn = TextRect(label, text);
                EXPECT_TRUE(label->geometry().contains(drawn)) << name << " cuts " << text.toStdString();
                if (drawn.width() > TextRect(label, chosen).width()) chosen = text;
            }
            label->setText(chosen);
        }
        // The grid ends with its last row: no blank band below it.
        for (const QTableWidget *grid : client->findChildren<QTableWidget *>())
            EXPECT_EQ(grid->viewport()->height(), grid->verticalHeader()->length());
        const QList<QLabel *> labels = client->findChildren<QLabel *>();
        for (qsizetype i = 0; i < labels.size(); ++i) {
            const std::string name = labels[i]->objectName().toStdString();
            QRect drawn = TextRect(labels[i], labels[i]->text());
            if (labels[i]->text().isEmpty()) continue;
            const QRect spaced = drawn.adjusted(-3, 0, 3, 0);   // a blank's width between two texts
            EXPECT_TRUE(labels[i]->geometry().contains(drawn) && client->rect().contains(drawn)) << name;
            for (qsizetype j = i + 1; j < labels.size(); ++j) {
                if (labels[j]->text().isEmpty()) continue;
                EXPECT_FALSE(spaced.intersects(TextRect(labels[j], labels[j]->text())))
                    << name << " runs into " << labels[j]->objectName().toStdString();
            }
        }
    }
}

TEST_F(ReadableTest, AGridTallerThanTheScreenScrollsInAWindowThatFits)
{
    MainForm->findChild<QAction *>("NOTCHA1")->trigger();
    std::string pairs;
    for (int i = 0; i < 100; ++i) pairs += (i ? "," : "") + std::to_string(90 + i) + ".5,0.25";
    MainForm->ReceiveData(QByteArray::fromStdString(Sentence("DODU,NOTCHA,V2,1,100,100," + pairs) + "\r\n"));
    auto *form = qobject_cast<LogForm *>(MainForm->ClientArea->subWindowList().last());
    ASSERT_EQ(form->Grid->RowCount(), 101);
    EXPECT_LE(form->frameGeometry().height(), form->screen()->availableGeometry().height());
    auto *bar = form->findChild<QScrollBar *>("RowsBar");
    ASSERT_TRUE(bar && bar->isVisible());
    bar->setValue(bar->maximum());
    EXPECT_EQ(form->Grid->rowAt(form->Grid->viewport()->height() - 1), 100);   // the last notch in sight
}

}   // namespace
