// The FFT window with the receiver's lines: a 512-bin two-loop FFTA line (about
// 5 KB) or a NOTCHA line of six notches, each through the router into the shown
// window, and the repaint that follows.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <cstdio>
#include <string>

#include "app/forms.h"
#include "app/mainform.h"
#include "plots/fftplot.h"

namespace {

std::string Checksummed(const std::string &body)
{
    unsigned x = 0;
    for (unsigned char c : body) x ^= c;
    char sum[8];
    std::snprintf(sum, sizeof sum, "*%02X\r\n", x);
    return "$" + body + sum;
}

std::string FftLine(int n)
{
    std::string body = "DODU,FFTA,1.1,1024,0,512,1953,0.518,3,2";
    char value[16];
    for (int i = 0; i < 1024; ++i) {
        std::snprintf(value, sizeof value, ",%.1f", 20.0 + ((i + n) * 37 % 100) * 0.3);
        body += value;
    }
    return Checksummed(body);
}

// range(0): 0 FFTA lines, 1 NOTCHA lines.
void BM_FftWindowLine(benchmark::State &state)
{
    CreateForms();
    FFTForm->show();
    QApplication::processEvents();
    QByteArray lines[2];
    for (int k = 0; k < 2; ++k)
        lines[k] = QByteArray::fromStdString(
            state.range(0) ? Checksummed("DODU,NOTCHA,1.0,35.37,6,3,75.0,0.400,77.5,0.400,0,0,129.1,0.8" +
                                         std::string(k ? ",150,2,151,1" : ",160,1,161,2"))
                           : FftLine(k));
    int n = 0;
    for (auto _ : state) {
        MainForm->ReceiveData(lines[n++ % 2]);
        FFTForm->repaint();
        QApplication::processEvents();
    }
    DestroyForms();
}
BENCHMARK(BM_FftWindowLine)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

} // namespace
