// Views taking the stream at screen rate show what they would chunk by chunk.
#include <QPlainTextEdit>
#include <QTextEdit>
#include <random>

#include "gui_test_support.h"
#include "link/datasource.h"
#include "link/monitorform.h"
#include "ui_datasource.h"
#include "ui_monitorform.h"

class ScreenRateTest : public WindowTest {};

// The monitor's panes, redrawn chunk by chunk, hold their texts exactly as a text
// edit set to them whole holds them, CR LF pairs cut between chunks included.
TEST_F(ScreenRateTest, MonitorPanesAppendedEndAsTheirTexts)
{
    CreateForms();
    MainForm->show();
    Item("SerialMonitor1")->trigger();
    ASSERT_NE(MonitorForm, nullptr);
    const QByteArray sample = SampleBytes().left(60000);
    std::mt19937 rng(7);
    for (qsizetype i = 0; i < sample.size();) {
        const qsizetype n = 1 + rng() % 700;
        MonitorForm->AddData(sample.mid(i, n));
        MonitorForm->RefreshPanes();
        i += n;
    }
    QPlainTextEdit whole;
    for (auto [pane, text] : {std::pair{MonitorForm->ui->RichEdit1, &MonitorForm->Text.AllText},
                              std::pair{MonitorForm->ui->RichEdit2, &MonitorForm->Text.FilteredText}}) {
        whole.setPlainText(QString::fromLatin1(text->data(), static_cast<qsizetype>(text->size())));
        ASSERT_TRUE(pane->toPlainText().endsWith(whole.toPlainText()));
        ASSERT_TRUE(QTest::qWaitFor([&] { return pane->toPlainText() == whole.toPlainText(); }, 3000));
    }
}

// The data-source window appends to its view; shown at any moment it holds the
// last 750 characters as a whole setting would, their end in view.
TEST_F(ScreenRateTest, DataSourceViewAppendedShowsItsText)
{
    CreateForms();
    DataSourceForm->show();
    const QByteArray sample = SampleBytes().left(30000) + "\r\r\r\n\r\n\n";
    std::mt19937 rng(3);
    QTextEdit whole;
    for (qsizetype i = 0; i < sample.size();) {
        const qsizetype n = 1 + rng() % 300;
        DataSourceForm->DisplayAndForward(sample.constData() + i, static_cast<int>(std::min(n, sample.size() - i)));
        i += n;
        DataSourceForm->hide();
        DataSourceForm->show();   // shown: the view catches up
        QString view = DataSourceForm->DisplayText;
        view.replace("\r\r\n", "\n").replace("\r\n", "\n").replace('\r', '\n');
        whole.setPlainText(view);
        ASSERT_EQ(DataSourceForm->ui->RichEdit1->toPlainText(), whole.toPlainText()) << i;
        if (rng() % 8 == 0) {   // drawn: the end of the text in view
            TrafficPane *pane = DataSourceForm->ui->RichEdit1;
            for (int turn = 0; turn < 3; ++turn) QCoreApplication::processEvents();
            ASSERT_TRUE(pane->viewport()->rect().contains(pane->CaretRect())) << i << ": caret at " << pane->CaretRect().y();
        }
    }
}
