// The serial port on a pseudo-terminal standing in for the receiver.
#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>
#include <functional>
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
    const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while (port.BytesAvailable() < n && std::chrono::steady_clock::now() < end) std::this_thread::sleep_for(std::chrono::milliseconds(5));
    ASSERT_GE(port.BytesAvailable(), n);
}

struct CommPortTest : ::testing::Test {
    PtyPair pty;
    TCommPort port;
    void Open(const DCB &dcb = {9600, 8, NOPARITY, ONESTOPBIT})
    {
        port.SetPortName(pty.SlaveName());
        port.SetDCB(dcb);
        port.Open();
    }
};

} // namespace

TEST(CommPort, OpenFailuresLeaveThePortClosedAndNoDescriptorBehind)
{
    PtyPair pty;
    TCommPort port;
    char buf[4];
    for (const std::function<void()> &f : std::initializer_list<std::function<void()>>{
             [&] { port.Read(buf, 4); }, [&] { port.Write("x", 1); }, [&] { port.BytesAvailable(); }, [&] { port.HungUp(); }})
        EXPECT_EQ(ErrorCode(f), 7);
    port.SetPortName("/dev/no-such-serial-device");
    try {
        port.Open();
        FAIL() << "opened";
    } catch (const ECommError &e) {
        EXPECT_EQ(e.Code, 8);
        EXPECT_EQ(e.SystemError, ENOENT);
    }
    char path[] = "/tmp/commport-XXXXXX";
    ::close(mkstemp(path));
    const int before = OpenDescriptors();
    port.SetPortName(path);   // a file that is no terminal
    EXPECT_EQ(ErrorCode([&] { port.Open(); }), 14);
    EXPECT_FALSE(port.IsOpen());
    EXPECT_EQ(OpenDescriptors(), before);
    ::unlink(path);
    // The pty driver forces 8 data bits and drops parity: such settings must not
    // pass as applied. 1.5 stop bits with 8 data bits exist on no UART.
    for (DCB dcb : {DCB{9600, 7, EVENPARITY, ONESTOPBIT}, DCB{9600, 8, ODDPARITY, ONESTOPBIT}, DCB{9600, 8, NOPARITY, ONE5STOPBITS}}) {
        port.SetPortName(pty.SlaveName());
        port.SetDCB(dcb);
        EXPECT_EQ(ErrorCode([&] { port.Open(); }), 15);
        EXPECT_FALSE(port.IsOpen());
    }
    EXPECT_EQ(OpenDescriptors(), before);
}

TEST_F(CommPortTest, RawModeCarriesEveryByteValueUnchangedBothWays)
{
    Open();
    std::string all;
    for (int i = 0; i < 256; ++i) all.push_back(static_cast<char>(i));
    all += "\r\n\n\r\x11\x13\x03\x04";   // line ends, XON/XOFF, ^C, ^D
    pty.Write(all);
    WaitForInput(port, static_cast<uint32_t>(all.size()));
    std::string got(all.size() + 1, '#');
    ASSERT_EQ(port.Read(got.data(), static_cast<uint32_t>(all.size())), all.size());
    EXPECT_EQ(got, all + "#");   // a full read writes nothing beyond
    port.Write(all.data(), static_cast<uint32_t>(all.size()));
    EXPECT_EQ(pty.Read(all.size(), 2000), all);

    char buf[12];
    std::memset(buf, '#', sizeof buf);
    pty.Write("abcd");
    WaitForInput(port, 4);
    EXPECT_EQ(port.Read(buf, 10), 4u);
    EXPECT_EQ(buf[4], '\0');   // a short read ends with a NUL
    EXPECT_EQ(buf[5], '#');
}

TEST_F(CommPortTest, SettingsReachTheDeviceOrAreRefusedAndRestored)
{
    for (const DCB &dcb : {DCB{110, 8, NOPARITY, TWOSTOPBITS}, DCB{123457, 8, NOPARITY, ONESTOPBIT}, DCB{9600, 8, NOPARITY, ONESTOPBIT}}) {
        Open(dcb);
        termios t{};
        ASSERT_EQ(tcgetattr(port.Handle(), &t), 0);
        EXPECT_EQ((t.c_cflag & CSTOPB) != 0, dcb.StopBits == TWOSTOPBITS);
        uint32_t rate = 0;
        ASSERT_EQ(GetArbitrarySpeed(port.Handle(), &rate), 0);
        EXPECT_EQ(rate, dcb.BaudRate);
        port.Close();
    }
    Open();
    port.SetBaudRate(19200);   // applied at once
    EXPECT_EQ(ErrorCode([&] { port.SetPortName("/dev/ttyS0"); }), 6);
    EXPECT_EQ(ErrorCode([&] { port.SetStopBits(ONE5STOPBITS); }), 3);
    EXPECT_EQ(ErrorCode([&] { port.SetParity(EVENPARITY); }), 4);   // the pty has no parity
    EXPECT_EQ(port.Settings(), (DCB{19200, 8, NOPARITY, ONESTOPBIT}));
    termios t{};
    tcgetattr(port.Handle(), &t);
    EXPECT_EQ(cfgetospeed(&t), speed_t(B19200));
}

TEST_F(CommPortTest, WriteGoesOnUntilEveryByteIsOut)
{
    Open({4000000, 8, NOPARITY, ONESTOPBIT});
    const std::string data = SentenceStream(300000, 7);
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
    EXPECT_TRUE(got == data) << got.size() << " of " << data.size();
}

TEST_F(CommPortTest, AWriteTheDeviceDoesNotTakeFailsAfterItsDeadlineInsteadOfTruncating)
{
    Open({4000000, 8, NOPARITY, ONESTOPBIT});
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

TEST_F(CommPortTest, AHungUpDeviceIsNoticed)
{
    Open();
    pty.CloseOwnSlave();
    EXPECT_FALSE(port.HungUp());
    pty.CloseMaster();
    EXPECT_TRUE(port.HungUp());
    EXPECT_EQ(ErrorCode([&] { port.BytesAvailable(); }), 18);
}
