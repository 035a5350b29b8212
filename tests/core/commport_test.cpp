#include <gtest/gtest.h>

#include <termios.h>

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <functional>
#include <string>
#include <thread>

#include "link/commport.h"
#include "pty_pair.h"

namespace {

int ErrorCode(const std::function<void()> &f)
{
    try {
        f();
    } catch (const ECommError &e) {
        return e.Code;
    }
    return -1;
}

void WaitForInput(TCommPort &port, uint32_t n)
{
    for (int i = 0; i < 200 && port.BytesAvailable() < n; ++i) std::this_thread::sleep_for(std::chrono::milliseconds(5));
    ASSERT_GE(port.BytesAvailable(), n);
}

} // namespace

TEST(CommPort, AMissingDeviceFailsTheOpenWithCode8AndLeavesThePortClosed)
{
    TCommPort port;
    port.SetPortName("/dev/no-such-serial-device");
    try {
        port.Open();
        FAIL() << "opened";
    } catch (const ECommError &e) {
        EXPECT_EQ(e.Code, 8);
        EXPECT_EQ(e.SystemError, ENOENT);
        EXPECT_NE(std::string(e.what()).find("No such file"), std::string::npos);
    }
    EXPECT_FALSE(port.IsOpen());
}

TEST(CommPort, AFileThatIsNoTerminalIsRefusedWithoutLeakingItsDescriptor)
{
    char path[] = "/tmp/commport-XXXXXX";
    int fd = mkstemp(path);
    ASSERT_GE(fd, 0);
    ::close(fd);
    int before = OpenDescriptors();
    TCommPort port;
    port.SetPortName(path);
    EXPECT_EQ(ErrorCode([&] { port.Open(); }), 14);
    EXPECT_FALSE(port.IsOpen());
    EXPECT_EQ(OpenDescriptors(), before);
    ::unlink(path);
}

TEST(CommPort, AClosedPortRefusesEveryTransferWithCode7)
{
    TCommPort port;
    char buf[4];
    EXPECT_EQ(ErrorCode([&] { port.Read(buf, 4); }), 7);
    EXPECT_EQ(ErrorCode([&] { port.Write("x", 1); }), 7);
    EXPECT_EQ(ErrorCode([&] { port.BytesAvailable(); }), 7);
    EXPECT_EQ(ErrorCode([&] { port.Flush(); }), 7);
    EXPECT_EQ(ErrorCode([&] { port.HungUp(); }), 7);
    EXPECT_NO_THROW(port.Close());
}

TEST(CommPort, TheNameCannotChangeWhileOpen)
{
    PtyPair pty;
    TCommPort port;
    EXPECT_EQ(port.PortName(), "COM1");
    port.SetPortName(pty.SlaveName());
    port.Open();
    EXPECT_EQ(ErrorCode([&] { port.SetPortName("/dev/ttyS0"); }), 6);
    EXPECT_EQ(port.PortName(), pty.SlaveName());
    port.Close();
    EXPECT_FALSE(port.IsOpen());
    port.SetPortName("/dev/ttyS0");
    EXPECT_EQ(port.PortName(), "/dev/ttyS0");
}

TEST(CommPort, RawModeCarriesEveryByteValueUnchangedBothWays)
{
    PtyPair pty;
    TCommPort port;
    port.SetPortName(pty.SlaveName());
    port.Open();
    std::string all;
    for (int i = 0; i < 256; ++i) all.push_back(static_cast<char>(i));
    all += "\r\n\n\r\x11\x13\x03\x04";   // line ends, XON/XOFF, ^C, ^D

    pty.Write(all);
    WaitForInput(port, static_cast<uint32_t>(all.size()));
    std::string got(all.size(), '\0');
    ASSERT_EQ(port.Read(got.data(), static_cast<uint32_t>(got.size())), all.size());
    EXPECT_EQ(got, all);

    port.Write(all.data(), static_cast<uint32_t>(all.size()));
    EXPECT_EQ(pty.Read(all.size(), 2000), all);
}

TEST(CommPort, AShortReadEndsWithANulAndAFullReadWritesNothingBeyond)
{
    PtyPair pty;
    TCommPort port;
    port.SetPortName(pty.SlaveName());
    port.Open();
    char buf[12];
    std::memset(buf, '#', sizeof buf);
    EXPECT_EQ(port.Read(buf, 10), 0u);   // nothing waiting: no wait either
    EXPECT_EQ(buf[0], '\0');

    std::memset(buf, '#', sizeof buf);
    pty.Write("abcd");
    WaitForInput(port, 4);
    EXPECT_EQ(port.Read(buf, 10), 4u);
    EXPECT_EQ(std::string(buf, 4), "abcd");
    EXPECT_EQ(buf[4], '\0');
    EXPECT_EQ(buf[5], '#');

    std::memset(buf, '#', sizeof buf);
    pty.Write("0123456789");
    WaitForInput(port, 10);
    EXPECT_EQ(port.Read(buf, 10), 10u);
    EXPECT_EQ(std::string(buf, 10), "0123456789");
    EXPECT_EQ(buf[10], '#');
}

TEST(CommPort, TheSettingsSurviveTheOpenAndReachTheDevice)
{
    // A pty keeps rate and stop bits as given (it carries 8 data bits without parity only).
    const DCB cases[] = {
        {9600, 8, NOPARITY, ONESTOPBIT},
        {110, 8, NOPARITY, TWOSTOPBITS},
        {115200, 8, NOPARITY, ONESTOPBIT},
        {250000, 8, NOPARITY, TWOSTOPBITS},   // no termios constant
        {4000000, 8, NOPARITY, ONESTOPBIT},
        {123457, 8, NOPARITY, ONESTOPBIT},
        {9600, 8, NOPARITY, ONESTOPBIT},      // back from an arbitrary rate to a constant
    };
    PtyPair pty;
    for (const DCB &dcb : cases) {
        SCOPED_TRACE(dcb.BaudRate);
        TCommPort port;
        port.SetPortName(pty.SlaveName());
        port.SetDCB(dcb);
        port.Open();
        EXPECT_EQ(port.Settings(), dcb);
        termios t {};
        ASSERT_EQ(tcgetattr(port.Handle(), &t), 0);
        EXPECT_EQ(t.c_cflag & CSIZE, tcflag_t(CS8));
        EXPECT_EQ(t.c_cflag & PARENB, 0u);
        EXPECT_EQ((t.c_cflag & CSTOPB) != 0, dcb.StopBits == TWOSTOPBITS);
        EXPECT_EQ(t.c_cflag & (CLOCAL | CREAD), tcflag_t(CLOCAL | CREAD));
        EXPECT_EQ(t.c_cflag & CRTSCTS, 0u);
        EXPECT_EQ(t.c_iflag & (IXON | IXOFF | ICRNL | INLCR | IGNCR), 0u);
        EXPECT_EQ(t.c_oflag & OPOST, 0u);
        EXPECT_EQ(t.c_lflag & (ECHO | ICANON | ISIG), 0u);
        uint32_t rate = 0;
        ASSERT_EQ(GetArbitrarySpeed(port.Handle(), &rate), 0);
        EXPECT_EQ(rate, dcb.BaudRate);
        port.Close();
    }
}

TEST(CommPort, AFrameTheDriverDoesNotTakeFailsTheOpen)
{
    // The pty driver forces 8 data bits and drops parity: such settings must not
    // pass as applied. 1.5 stop bits with 8 data bits exist on no UART.
    PtyPair pty;
    int before = OpenDescriptors();
    for (DCB dcb : {DCB{9600, 7, EVENPARITY, ONESTOPBIT}, DCB{9600, 8, ODDPARITY, ONESTOPBIT},
                    DCB{1200, 5, NOPARITY, ONE5STOPBITS}, DCB{9600, 8, NOPARITY, ONE5STOPBITS}}) {
        TCommPort port;
        port.SetPortName(pty.SlaveName());
        port.SetDCB(dcb);
        EXPECT_EQ(ErrorCode([&] { port.Open(); }), 15);
        EXPECT_FALSE(port.IsOpen());
    }
    EXPECT_EQ(OpenDescriptors(), before);
}

TEST(CommPort, SettingsChangedWhileOpenApplyAtOnceOrAreRefusedAndRestored)
{
    PtyPair pty;
    TCommPort port;
    port.SetPortName(pty.SlaveName());
    port.Open();
    port.SetBaudRate(19200);
    termios t {};
    tcgetattr(port.Handle(), &t);
    EXPECT_EQ(cfgetospeed(&t), speed_t(B19200));
    port.SetStopBits(TWOSTOPBITS);
    tcgetattr(port.Handle(), &t);
    EXPECT_NE(t.c_cflag & CSTOPB, 0u);

    EXPECT_EQ(ErrorCode([&] { port.SetStopBits(ONE5STOPBITS); }), 3);   // 1.5 needs 5 data bits
    EXPECT_EQ(port.Settings().StopBits, TWOSTOPBITS);
    EXPECT_EQ(ErrorCode([&] { port.SetDCB({9600, 8, NOPARITY, ONE5STOPBITS}); }), 15);
    EXPECT_EQ(port.Settings().StopBits, TWOSTOPBITS);
    EXPECT_EQ(ErrorCode([&] { port.SetByteSize(9); }), 5);
    EXPECT_EQ(port.Settings().ByteSize, 8);
    EXPECT_EQ(ErrorCode([&] { port.SetParity(EVENPARITY); }), 4);   // the pty has no parity
    EXPECT_EQ(port.Settings().Parity, NOPARITY);
    EXPECT_EQ(ErrorCode([&] { port.SetBaudRate(0); }), 1);
    EXPECT_EQ(port.Settings().BaudRate, 19200u);
    tcgetattr(port.Handle(), &t);
    EXPECT_EQ(cfgetospeed(&t), speed_t(B19200));
    EXPECT_EQ(t.c_cflag & (CSIZE | PARENB), tcflag_t(CS8));

    port.Close();
    port.SetParity(EVENPARITY);   // closed: only stored
    EXPECT_EQ(port.Settings().Parity, EVENPARITY);
}

TEST(CommPort, WriteGoesOnUntilEveryByteIsOut)
{
    PtyPair pty;
    TCommPort port;
    port.SetPortName(pty.SlaveName());
    port.SetDCB({4000000, 8, NOPARITY, ONESTOPBIT});
    port.Open();
    std::string data = SentenceStream(300000, 7);
    std::string got;
    std::thread reader([&] {
        // A slow far end: small reads with pauses, so the port's buffer fills up.
        while (got.size() < data.size()) {
            std::string part = pty.Read(std::min<size_t>(4096, data.size() - got.size()), 3000);
            if (part.empty()) break;
            got += part;
            std::this_thread::sleep_for(std::chrono::microseconds(200));
        }
    });
    EXPECT_NO_THROW(port.Write(data.data(), static_cast<uint32_t>(data.size())));
    reader.join();
    EXPECT_EQ(got.size(), data.size());
    EXPECT_TRUE(got == data);
}

TEST(CommPort, AWriteTheDeviceDoesNotTakeFailsAfterItsDeadlineInsteadOfTruncating)
{
    PtyPair pty;
    TCommPort port;
    port.SetPortName(pty.SlaveName());
    port.SetDCB({4000000, 8, NOPARITY, ONESTOPBIT});
    port.Open();
    std::string data(200000, 'x');   // far more than a pty holds; nobody reads the master
    auto start = std::chrono::steady_clock::now();
    try {
        port.Write(data.data(), static_cast<uint32_t>(data.size()));
        FAIL() << "a short write passed as success";
    } catch (const ECommError &e) {
        EXPECT_EQ(e.Code, 9);
        EXPECT_EQ(e.SystemError, ETIMEDOUT);
    }
    auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start).count();
    // 250 ms plus twice the 0.5 s that 200,000 characters take at 4 Mbaud.
    EXPECT_GE(ms, 1200);
    EXPECT_LT(ms, 5000);
}

TEST(CommPort, AHungUpDeviceIsNoticed)
{
    PtyPair pty;
    TCommPort port;
    port.SetPortName(pty.SlaveName());
    port.Open();
    pty.CloseOwnSlave();
    EXPECT_FALSE(port.HungUp());
    pty.CloseMaster();
    EXPECT_TRUE(port.HungUp());
    EXPECT_EQ(ErrorCode([&] { port.BytesAvailable(); }), 18);
}

