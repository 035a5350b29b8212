// The log windows fed through the router, in what the sample (golden_test) does
// not show: short and old forms and their reset values, refused lines, the
// bounds of the grids and number formats at their edges.
#include "gui_test_support.h"

namespace {

// What a window shows under a key: a label by name, "title", "rows", "height",
// "@c,r" one grid cell, "from r" every cell of the rows from r on.
QString Shown(LogForm *f, const QString &key)
{
    f->DrawPending();   // what the window shows within 50 ms
    if (key == "title") return f->windowTitle();
    if (key == "rows") return QString::number(f->Grid->RowCount());
    if (key == "height") return QString::number(f->ClientHeight());
    if (key.startsWith('@')) {
        const QStringList cr = key.mid(1).split(',');
        return f->Grid->Cell(cr[0].toInt(), cr[1].toInt());
    }
    if (key.startsWith("from ")) {
        QString all;
        for (int r = key.mid(5).toInt(); r < f->Grid->RowCount(); ++r)
            for (int c = 0; c < f->Grid->columnCount(); ++c) all += f->Grid->Cell(c, r);
        return all;
    }
    QLabel *label = f->findChild<QLabel *>(key);
    return label ? label->text() : "<no " + key + ">";
}

std::string Toaa(int stations, const std::string &timestamp = "1234.5", int announced = -1)
{
    std::string s = "DODU,TOAA,V1.2," + timestamp + ",1.0,0.5,LOCKED,1.5e-7,12.5,13.25," +
                    std::to_string(announced < 0 ? stations : announced);
    for (int k = 0; k < stations; ++k)
        s += ",7499" + std::string(1, "MXYZWVUT"[k % 8]) + ",80.1,12.345,101.234,0.1,0.9,A3,12345.67891,-0.0123,3600.5";
    return s;
}

std::string Dasfa(int stations, const std::string &source = "G", const std::string &lat = "52.1234567",
                  const std::string &dasf = "1234567.891")
{
    std::string s = "DODU,DASFA,V2.1,123456.78,10107," + source + "," + lat + ",4.25," + std::to_string(stations);
    for (int k = 0; k < stations; ++k)
        s += ",7499" + std::string(1, "MXYZWVUT"[k % 8]) + "," + (k == 0 ? dasf : "-12.5") + ",0.98765";
    return s;
}

std::string Hdgla(int stations, const std::string &ciPositive = "12.345", int announced = -1)
{
    std::string s = "HDGLA,1234.5,1.0,0.5,1," + ciPositive + ",-3.5,1,0,A,123.4567,0.25,0.875," +
                    std::to_string(announced < 0 ? stations : announced);
    for (int i = 0; i < stations; ++i) s += i == 0 ? ",7499M,350,10,45.26,1234567.5,0.5,123456.789" : ",6731Z,10,20,3,4,5,6";
    return s;
}

// Notches as frequency,bandwidth pairs; `count` made-up pairs when none are given.
std::string Notcha(int notches, const std::string &active, std::string pairs = "", int count = 0)
{
    for (int i = 0; i < count; ++i) pairs += std::string(pairs.empty() ? "" : ",") + std::to_string(90 + i) + ".5,0.25";
    return "DODU,NOTCHA,V2,1234.567," + std::to_string(notches) + "," + active + (pairs.empty() ? "" : "," + pairs);
}

std::string Ptnta(const std::string &quality, const std::string &count, const std::string &phase)
{
    return "PTNTA,20070809235901," + quality + ",," + count + "," + phase + ",1.5,2.5";
}

std::string Lc(const char *kind, char solution, double time, const std::string &rest)
{
    return std::string("DODU,") + kind + ",V1.4," + std::to_string(time) + ",0,G," + solution + "," + rest;
}
std::string Position(char solution, double time, const std::string &lat = "52.1234567")
{
    return Lc("LCPOSA", solution, time, lat + ",4.5,1.256,270.5,12.25,5,1.75");
}
// Stations as id,residual,weight triples.
std::string Residuals(char solution, double time, int count, const std::string &stations)
{
    return Lc("LCRSDA", solution, time, std::to_string(count) + (stations.empty() ? "" : "," + stations));
}

const char *const kSynca = "DODU,SYNCA,V1,1234.5,LORANUTC,2007,8,9,23,59,1,4000000,1,14,1.5,DETAILTEXT12";
const char *const kGpposa =
    "DODU,GPPOSA,V1.0,123456.78,51226,G,A,52.1234567,4.7654321,12.5,46.25,0.5,123.456,359.9,9,1.2,2.3,3.4,0.01";
const char *const kInposa = "DODU,INPOSA,V3,123456.78,51226,L,AS,52.5,4.5,10,20,30,40,50,7,3,1.25,0.5";
const char *const kGpgga = "GPGGA,123519.00,4807.038,N,01131.000,W,1,08,0.9,545.4,M,46.9,M,2.5,0031";

using Shows = std::vector<std::pair<QString, QString>>;
struct Step {
    std::string line;   // a body, or a whole line when it starts with '$'
    Shows shown;
};
struct Case {
    const char *item;
    std::vector<Step> steps;
};

const std::vector<Case> kCases = {
    {"TOAA1",
     {{Toaa(2), {{"ClockErrorLabel", "1.5000E-07"}, {"@2,1", " 12.35"}, {"@3,1", "101.230"}, {"@6,1", " 0x00A3"},
                 {"@7,2", "  12345.6789"}, {"@8,2", "  -1.23E-002"}, {"rows", "7"}}},
      {Toaa(1), {{"rows", "7"}, {"height", "170"}, {"from 2", ""}}},
      {Toaa(33), {{"NumStationsLabel", "30"}, {"rows", "31"}}}}},
    {"DASFA1",
     {{Dasfa(2), {{"@1,1", "1234567.880"}, {"@2,1", "  0.9876"}, {"@1,2", " -12.500"}}},
      {Dasfa(2, "N", ""),
       {{"TimeLabel", "123456.78"}, {"DateLabel", "- - -"}, {"SourceLabel", "None"}, {"LatLabel", "- - -"},
        {"LonLabel", "- - -"}}},
      {Dasfa(33), {{"NumStationsLabel", "30"}, {"rows", "31"}}},
      {Dasfa(2), {{"rows", "7"}, {"height", "238"}, {"from 3", ""}}}}},
    {"HDGLA1",
     {{Hdgla(2), {{"@3,1", " -160.000"}, {"@4,1", "     45.3"}, {"@5,1", "1234567.500"}, {"@3,2", "   10.000"}}},
      {"DODU,HDGLA",
       {{"TimeLabel", "0.00"}, {"PosValidLabel", "No"}, {"ModeLabel", "N"}, {"NumStationsLabel", "0"}, {"from 1", ""}}},
      {"DODU,HDGLA,V1,1,1,1,0,0,0,0,0,N,0,0,0,3", {{"NumStationsLabel", "3"}, {"@3,3", "    0.000"}, {"@3,4", ""}}},
      {Hdgla(40), {{"rows", "31"}}},
      {Hdgla(1), {{"rows", "7"}, {"height", "206"}, {"from 2", ""}}}}},
    {"NOTCHA1",
     // Entry 1 has no frequency: rows 1 to 3 list entries 0, 2 and 3.
     {{Notcha(4, "3", "100.5,0.25,0,0.5,110.26,1.125,12345.67,2"),
       {{"@0,1", "   0"}, {"@1,1", "  100.5"}, {"@2,1", "  0.250"}, {"@0,2", "   2"}, {"@1,2", "  110.3"},
        {"@1,3", "12345.7"}, {"@2,3", "  2.000"}, {"from 4", ""}, {"rows", "9"}}},
      {Notcha(3, "3", "100,0,200,1"), {{"@0,1", "   1"}, {"from 2", ""}}},
      {Notcha(12, "12", "", 12), {{"rows", "13"}, {"height", QString::number(68 + 13 * 15 + 17 + 2)}, {"@0,12", "  11"}}},
      {Notcha(2, "2000000000", "", 2), {{"ActiveNotchesLabel", "2000000000"}, {"rows", "9"}, {"from 3", ""}}},
      {Notcha(2, "-7", "", 2), {{"rows", "9"}, {"@0,2", "   1"}, {"from 3", ""}}}}},
    {"PTNTA1",
     {{Ptnta("3", "7499985", "-600"), {{"PPSDiffLabel", "-2000 ns"}, {"QualityLabel", "Unknown quality"}}},
      {Ptnta("1", "15", "-7"), {{"PhaseLabel", "-007"}, {"QualityLabel", "1: Free run"}}},
      {"PTNTA,20070809235901",
       {{"QualityLabel", "0: Rb line not locked"}, {"PPSLabel", "0000000"}, {"PhaseLabel", "+000"},
        {"PPSDiffLabel", "0 ns"}}}}},
    {"SYNCA1",
     {{kSynca, {{"SourceLabel", "LORANUTC : DETAILTEX"}, {"LoranTimeLabel", "10.000000000"}}},
      {"DODU,SYNCA,V1,1234.5,GPS",
       {{"DateLabel", "01/01/2000"}, {"TimeLabel", "00:00:00"}, {"SourceLabel", "GPS"}, {"UTCLabel", "No"},
        {"LeapSecondsLabel", "0"}, {"OffsetLabel", "0.0"}, {"LoranTimeLabel", "0.000000000"},
        {"SampleCountLabel", "0.000000"}}}}},
    {"GPPOSA1",
     {{"DODU,V0.9,GPPOS,123456.78,51226,,W,52.1,4.2,1,2,3,4,5",
       {{"VersionLabel", "V0.9"}, {"TimeLabel", "123456.78"}, {"DateLabel", "- - -"}, {"SourceLabel", "None"},
        {"ModeLabel", "WAAS/EGNOS"}, {"NumSVLabel", "0"}, {"HDOPLabel", "99.90"}, {"QualityLabel", "- - -"}}},
      // Times outside a day are shown as numbers, however long.
      {"DODU,GPPOSA,V1.0,1e300,51226,G,A,52,4,1,2,3,4,5,9,1,2,3,1",
       {{"TimeLabel", QString::asprintf("%.2f", 1e300)}, {"DateLabel", "05/12/26"}, {"SourceLabel", "GPS"}}},
      {"DODU,GPPOSA,V1.0,-5,51226,L,A,52,4,1,2,3,4,5,9,1,2,3,1", {{"TimeLabel", "-5.00"}, {"SourceLabel", "eLoran"}}}}},
    {"INPOSA1",
     {{kInposa, {{"TimeLabel", "12:34:56.78"}, {"DateLabel", "05/12/26"}, {"LoranModeLabel", "ASF Corrected"}}},
      {"DODU,V2,INPOS,123456.78,51226,G,N,D,52.5,4.5,10,20,30,40,50,7,3",
       {{"VersionLabel", "V2"}, {"SourceLabel", "GPS"}, {"GPSModeLabel", "Not included"},
        {"LoranModeLabel", "Differential"}, {"HDOPLabel", "0.00"}, {"QualityLabel", "- - -"}}},
      {"DODU,INPOSA,V3,123456.78,51226,N,A,52.5,4.5,10,20,30,40,50,7,3,1.25,0.5",
       {{"GPSModeLabel", "Stand alone"}, {"LoranModeLabel", "Not included"}, {"TimeLabel", "123456.78"},
        {"SourceLabel", "None"}}}}},
    {"GPGGA1",
     {{kGpgga, {{"RTCMIDLabel", "31"}, {"LonCharLabel", "W"}}},
      {"GPGGA,,,,,,0,,,,,,,,",
       {{"TimeLabel", "0.00"}, {"ModeLabel", "No Fix"}, {"LatCharLabel", "N"}, {"LonCharLabel", "E"}, {"RTCMIDLabel", ""}}},
      {"gpgga,1,,,,,4", {{"ModeLabel", "eLoran"}}},
      {"GPGGA,1,,,,,5", {{"ModeLabel", "Unknown"}}}}},
    {"LCPOSA2",
     // A row for every station, more than ten too; a missing one shows padded empties.
     {{Residuals('A', 5, 3, "7499M,1,1,7499X,2,2"), {{"@0,2", " 7499X"}, {"@0,3", "      "}, {"@1,3", "    0.00"}}},
      {Residuals('A', 6, 40, [] {
           std::string many;
           for (int i = 0; i < 40; ++i) many += std::string(many.empty() ? "" : ",") + "7499M," + std::to_string(i) + ",1";
           return many;
       }()),
       {{"rows", "41"}, {"height", QString::number(96 + 41 * 16 + 4 + 4)}, {"@1,40", "   39.00"}}},
      {Residuals('A', 7, -5, ""), {{"from 1", ""}}}}},
};

// Lines a window shows, then lines it refuses.
struct Refusal {
    const char *item;
    std::vector<std::string> good, bad;
};
const std::vector<Refusal> kRefused = {
    {"TOAA1", {Toaa(2)}, {Toaa(3, "12x4"), Toaa(3, "1.0", 4)}},
    {"DASFA1", {Dasfa(3)},
     {Dasfa(1), Dasfa(2, "G", "52.0", ""), Dasfa(2, "G", "5x.0"), "DODU,DASFA,V9,1,10107,G,1,1,-3,7499M,1,1,7499X,1,1"}},
    {"HDGLA1", {Hdgla(2)}, {Hdgla(2, "1x"), Hdgla(2) + ",1,2,3,4,5,6", Hdgla(3, "12.345", 2).substr(0, 90)}},
    {"NOTCHA1", {Notcha(1, "1", "100.5,0.25")}, {Notcha(1, "1", "100.5,0.2x"), "DODU,NOTCHA,V3,1,1"}},
    {"PTNTA1", {Ptnta("2", "0012345", "12")}, {"PTNTA,2007080923", Ptnta("2", "x", "12"), Ptnta("2", "0012345", "1x")}},
    {"SYNCA1", {kSynca}, {"DODU,SYNCA,V2,1,GPS,20x7"}},
    {"GPPOSA1", {kGpposa},
     {"DODU,GPPOSA,V2,1,51226,G,E,52,4,12,46,1.2x,123,359,9,1,2,3,1", "DODU,GPPOSA,V2,1,51226,G,E,52,4,12,46,1"}},
    {"INPOSA1", {kInposa},
     {"DODU,INPOSA,V4,1,51226,L,AS,52.x,4.5,10,20,30,40,50,7,3,1.25,0.5", "DODU,INPOSA,V4,1,51226,L,AS,52,4.5,10"}},
    {"GPGGA1", {kGpgga}, {"GPGGA,1,2,S,3,E,1,08,0.9x", "GNGGA,1,2,S,3,E,2", "$GPGGA,1,2,S,3,E,2*00"}},
    {"LCPOSA1", {Position('C', 1), Residuals('C', 1, 1, "7499M,1,1")},
     {Position('C', 2, "5x.0"), Residuals('C', 2, 2, "7499M,1,,7499X,1,1")}},
};

} // namespace

class LogWindowsTest : public WindowTest {
protected:
    void SetUp() override
    {
        WindowTest::SetUp();
        WriteSetting("DravOutput", "enabled");
        CreateForms();
        MainForm->show();
    }
    LogForm *Open(const char *item)
    {
        Item(item)->trigger();
        return qobject_cast<LogForm *>(MainForm->WindowOf(Item(item)));
    }
    void Send(const std::string &line) { line[0] == '$' ? Line(line) : Receive(line); }
    void Expect(LogForm *f, const Shows &shown, const std::string &after)
    {
        for (auto &[key, value] : shown) EXPECT_EQ(Shown(f, key), value) << f->windowTitle().toStdString() << " " << key.toStdString() << " after " << after;
    }
};

TEST_F(LogWindowsTest, ShortFormsResetValuesAndGridBounds)
{
    for (const Case &c : kCases) {
        LogForm *f = Open(c.item);
        ASSERT_NE(f, nullptr) << c.item;
        for (const Step &s : c.steps) {
            Send(s.line);
            Expect(f, s.shown, s.line);
        }
    }
}

TEST_F(LogWindowsTest, RefusedLinesChangeNothing)
{
    for (const Refusal &r : kRefused) {
        LogForm *f = Open(r.item);
        ASSERT_NE(f, nullptr) << r.item;
        for (const std::string &line : r.good) Send(line);
        const QString shown = Dump(f);
        for (const std::string &line : r.bad) {
            Send(line);
            EXPECT_EQ(Dump(f), shown) << line;
        }
        // The grid is disabled against the user only: its cells are not greyed out.
        if (LogGrid *g = f->Grid) {
            EXPECT_EQ(g->palette().color(QPalette::Disabled, QPalette::Text), g->palette().color(QPalette::Active, QPalette::Text));
        }
    }
}
