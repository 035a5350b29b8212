#include "link/commport.h"

#include <cerrno>
#include <chrono>
#include <cmath>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <thread>
#include <unistd.h>

namespace {

const char *StepText(uint8_t code)
{
    switch (code) {
    case ECommError::BaudRateFailed: return "The serial port refused the baud rate";
    case ECommError::StopBitsFailed: return "The serial port refused the stop bits";
    case ECommError::ParityFailed: return "The serial port refused the parity";
    case ECommError::ByteSizeFailed: return "The serial port refused the data bits";
    case ECommError::PortIsOpen: return "The serial port is open";
    case ECommError::PortNotOpen: return "The serial port is not open";
    case ECommError::OpenFailed: return "Cannot open the serial port";
    case ECommError::WriteFailed: return "Cannot write to the serial port";
    case ECommError::ReadFailed: return "Cannot read from the serial port";
    case ECommError::CloseFailed: return "Cannot close the serial port";
    case ECommError::FlushFailed: return "Cannot flush the serial port";
    case ECommError::GetStateFailed: return "Cannot read the serial port settings";
    case ECommError::SetStateFailed: return "The serial port refused the settings";
    case ECommError::TimeoutsFailed: return "The serial port refused the read time-outs";
    case ECommError::StatusFailed: return "Cannot read the serial port status";
    default: return "Serial port error";
    }
}

// The termios constant of a standard rate, or 0 when there is none.
speed_t StandardSpeed(uint32_t rate)
{
    switch (rate) {
    case 50: return B50;
    case 75: return B75;
    case 110: return B110;
    case 134: return B134;
    case 150: return B150;
    case 200: return B200;
    case 300: return B300;
    case 600: return B600;
    case 1200: return B1200;
    case 1800: return B1800;
    case 2400: return B2400;
    case 4800: return B4800;
    case 9600: return B9600;
    case 19200: return B19200;
    case 38400: return B38400;
    case 57600: return B57600;
    case 115200: return B115200;
    case 230400: return B230400;
    case 460800: return B460800;
    case 500000: return B500000;
    case 576000: return B576000;
    case 921600: return B921600;
    case 1000000: return B1000000;
    case 1152000: return B1152000;
    case 1500000: return B1500000;
    case 2000000: return B2000000;
    case 2500000: return B2500000;
    case 3000000: return B3000000;
    case 3500000: return B3500000;
    case 4000000: return B4000000;
    default: return 0;
    }
}

tcflag_t SizeFlag(uint8_t byteSize)
{
    switch (byteSize) {
    case 5: return CS5;
    case 6: return CS6;
    case 7: return CS7;
    default: return CS8;
    }
}

constexpr tcflag_t FrameFlags = CSIZE | PARENB | PARODD | CSTOPB;

using Clock = std::chrono::steady_clock;

int RemainingMs(Clock::time_point deadline)
{
    auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
    return left > 0 ? static_cast<int>(left) : 0;
}

} // namespace

ECommError::ECommError(uint8_t code, int systemError) : Code(code), SystemError(systemError)
{
    text_ = StepText(code);
    if (systemError != 0) {
        const char *reason = strerrordesc_np(systemError);
        text_ += " (";
        text_ += reason ? reason : "unknown error";
        text_ += ")";
    }
}

TCommPort::~TCommPort()
{
    try {
        Close();
    } catch (const ECommError &) {
        // The descriptor is released whatever close() said.
    }
}

double TCommPort::CharacterTimeMs(const DCB &settings)
{
    int bits = 1 + settings.ByteSize + (settings.Parity != NOPARITY ? 1 : 0) + (settings.StopBits == ONESTOPBIT ? 1 : 2);
    uint32_t rate = settings.BaudRate > 0 ? settings.BaudRate : 1;
    return bits * 1000.0 / rate;
}

long TCommPort::DeadlineMs(uint32_t length) const
{
    double ms = 250.0 + 2.0 * length * CharacterTimeMs(settings_);
    return ms > 3.6e6 ? 3600000L : static_cast<long>(std::ceil(ms));
}

void TCommPort::RequireOpen() const
{
    if (!open_) throw ECommError(ECommError::PortNotOpen, 0);
}

void TCommPort::Apply(int fd, const DCB &s)
{
    bool valid = s.BaudRate > 0 && s.ByteSize >= 5 && s.ByteSize <= 8 && s.Parity <= EVENPARITY &&
                 s.StopBits <= TWOSTOPBITS && (s.StopBits != ONE5STOPBITS || s.ByteSize == 5);
    if (!valid) throw ECommError(ECommError::SetStateFailed, EINVAL);

    termios t {};
    if (tcgetattr(fd, &t) != 0) throw ECommError(ECommError::SetStateFailed, errno);
    const cc_t vmin = t.c_cc[VMIN], vtime = t.c_cc[VTIME];   // the read time-outs stay as they are
    cfmakeraw(&t);
    t.c_iflag &= ~(IXON | IXOFF | IXANY | INPCK | IGNPAR);
    t.c_cflag &= ~(FrameFlags | CRTSCTS | CMSPAR);
    t.c_cflag |= CLOCAL | CREAD | SizeFlag(s.ByteSize);
    if (s.Parity == ODDPARITY) t.c_cflag |= PARENB | PARODD;
    if (s.Parity == EVENPARITY) t.c_cflag |= PARENB;
    if (s.StopBits != ONESTOPBIT) t.c_cflag |= CSTOPB;   // 1.5 exists only as 2 in termios
    t.c_cc[VMIN] = vmin;
    t.c_cc[VTIME] = vtime;
    speed_t standard = StandardSpeed(s.BaudRate);
    if (standard != 0) {
        cfsetispeed(&t, standard);
        cfsetospeed(&t, standard);
    }
    if (tcsetattr(fd, TCSANOW, &t) != 0) throw ECommError(ECommError::SetStateFailed, errno);
    if (standard == 0) {
        if (int e = SetArbitrarySpeed(fd, s.BaudRate)) throw ECommError(ECommError::SetStateFailed, e);
    }

    // tcsetattr succeeds when any part was taken: read back what the driver made of it.
    termios back {};
    if (tcgetattr(fd, &back) != 0) throw ECommError(ECommError::SetStateFailed, errno);
    if ((back.c_cflag & FrameFlags) != (t.c_cflag & FrameFlags)) throw ECommError(ECommError::SetStateFailed, EINVAL);
    if (standard != 0) {
        if (cfgetospeed(&back) != standard) throw ECommError(ECommError::SetStateFailed, EINVAL);
    } else {
        uint32_t actual = 0;
        if (int e = GetArbitrarySpeed(fd, &actual)) throw ECommError(ECommError::SetStateFailed, e);
        double deviation = std::fabs(double(actual) - double(s.BaudRate)) / s.BaudRate;
        if (deviation > 0.03) throw ECommError(ECommError::SetStateFailed, EINVAL);
    }
}

// A read returns at once with what the driver holds, however little (the
// worker reads only when bytes wait, and waits between bytes with poll).
void TCommPort::SetTimeouts(int fd)
{
    termios t {};
    if (tcgetattr(fd, &t) != 0) throw ECommError(ECommError::TimeoutsFailed, errno);
    t.c_cc[VMIN] = 0;
    t.c_cc[VTIME] = 0;
    if (tcsetattr(fd, TCSANOW, &t) != 0) throw ECommError(ECommError::TimeoutsFailed, errno);
    termios back {};
    if (tcgetattr(fd, &back) != 0) throw ECommError(ECommError::TimeoutsFailed, errno);
    if (back.c_cc[VMIN] != 0 || back.c_cc[VTIME] != 0) throw ECommError(ECommError::TimeoutsFailed, EINVAL);
}

void TCommPort::Open()
{
    if (open_) return;
    DCB saved = settings_;
    int fd = ::open(portName_.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) throw ECommError(ECommError::OpenFailed, errno);
    (void)ioctl(fd, TIOCEXCL);   // no sharing, as far as the driver allows
    termios t {};
    if (tcgetattr(fd, &t) != 0) {
        int e = errno;
        ::close(fd);
        throw ECommError(ECommError::GetStateFailed, e);
    }
    try {
        Apply(fd, saved);
        SetTimeouts(fd);
    } catch (const ECommError &) {
        (void)ioctl(fd, TIOCNXCL);
        ::close(fd);
        throw;
    }
    handle_ = fd;
    open_ = true;
}

void TCommPort::Close()
{
    if (!open_) return;
    (void)ioctl(handle_, TIOCNXCL);
    int rc = ::close(handle_);
    int e = errno;
    handle_ = -1;
    open_ = false;
    if (rc != 0 && e != EINTR) throw ECommError(ECommError::CloseFailed, e);
}

void TCommPort::SetPortName(const std::string &name)
{
    if (open_) throw ECommError(ECommError::PortIsOpen, 0);
    portName_ = name;
}

void TCommPort::SetDCB(const DCB &settings)
{
    if (open_) {
        try {
            Apply(handle_, settings);
        } catch (const ECommError &) {
            try {
                Apply(handle_, settings_);   // the device keeps the settings it had
            } catch (const ECommError &) {
            }
            throw;
        }
    }
    settings_ = settings;
}

template <typename T> void TCommPort::SetField(T DCB::*field, T value, uint8_t code)
{
    T old = settings_.*field;
    settings_.*field = value;
    if (!open_) return;
    try {
        Apply(handle_, settings_);
    } catch (const ECommError &e) {
        settings_.*field = old;
        try {
            Apply(handle_, settings_);
        } catch (const ECommError &) {
        }
        throw ECommError(code, e.SystemError);
    }
}

void TCommPort::SetBaudRate(uint32_t rate) { SetField(&DCB::BaudRate, rate, ECommError::BaudRateFailed); }
void TCommPort::SetByteSize(uint8_t size) { SetField(&DCB::ByteSize, size, ECommError::ByteSizeFailed); }
void TCommPort::SetParity(uint8_t parity) { SetField(&DCB::Parity, parity, ECommError::ParityFailed); }
void TCommPort::SetStopBits(uint8_t stopBits) { SetField(&DCB::StopBits, stopBits, ECommError::StopBitsFailed); }

void TCommPort::Write(const void *data, uint32_t length)
{
    RequireOpen();
    if (!data || length == 0) return;
    auto deadline = Clock::now() + std::chrono::milliseconds(DeadlineMs(length));
    const char *p = static_cast<const char *>(data);
    uint32_t left = length;
    while (left > 0) {
        ssize_t n = ::write(handle_, p, left);
        if (n > 0) {
            p += n;
            left -= static_cast<uint32_t>(n);
            continue;
        }
        if (n < 0 && errno == EINTR) continue;
        if (n < 0 && errno != EAGAIN) throw ECommError(ECommError::WriteFailed, errno);
        int wait = RemainingMs(deadline);
        if (wait == 0) throw ECommError(ECommError::WriteFailed, ETIMEDOUT);
        pollfd pfd {handle_, POLLOUT, 0};
        int rc = ::poll(&pfd, 1, wait);
        if (rc < 0 && errno != EINTR) throw ECommError(ECommError::WriteFailed, errno);
        if (rc > 0 && (pfd.revents & (POLLERR | POLLHUP | POLLNVAL)))
            throw ECommError(ECommError::WriteFailed, (pfd.revents & POLLNVAL) ? EBADF : EIO);
    }
}

uint32_t TCommPort::Read(char *buffer, uint32_t length)
{
    RequireOpen();
    if (!buffer || length == 0) return 0;
    ssize_t n;
    do {
        n = ::read(handle_, buffer, length);
    } while (n < 0 && errno == EINTR);
    if (n < 0) {
        if (errno == EAGAIN) n = 0;
        else throw ECommError(ECommError::ReadFailed, errno);
    }
    auto count = static_cast<uint32_t>(n);
    if (count < length) buffer[count] = '\0';
    return count;
}

void TCommPort::Flush()
{
    RequireOpen();
    int pending = 0;
    if (ioctl(handle_, TIOCOUTQ, &pending) != 0) throw ECommError(ECommError::FlushFailed, errno);
    auto deadline = Clock::now() + std::chrono::milliseconds(DeadlineMs(static_cast<uint32_t>(pending)));
    while (pending > 0) {
        if (RemainingMs(deadline) == 0) throw ECommError(ECommError::FlushFailed, ETIMEDOUT);
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
        if (ioctl(handle_, TIOCOUTQ, &pending) != 0) throw ECommError(ECommError::FlushFailed, errno);
    }
}

uint32_t TCommPort::BytesAvailable()
{
    RequireOpen();
    int n = 0;
    if (ioctl(handle_, FIONREAD, &n) != 0) throw ECommError(ECommError::StatusFailed, errno);
    return n > 0 ? static_cast<uint32_t>(n) : 0;
}

bool TCommPort::WaitForInput(int timeoutMs)
{
    RequireOpen();
    pollfd pfd {handle_, POLLIN, 0};
    int rc;
    do {
        rc = ::poll(&pfd, 1, timeoutMs);
    } while (rc < 0 && errno == EINTR);
    return rc > 0 && (pfd.revents & POLLIN) != 0;
}

bool TCommPort::HungUp()
{
    RequireOpen();
    pollfd pfd {handle_, POLLIN, 0};
    int rc = ::poll(&pfd, 1, 0);
    if (rc < 0) {
        if (errno == EINTR) return false;
        throw ECommError(ECommError::StatusFailed, errno);
    }
    return rc > 0 && (pfd.revents & (POLLHUP | POLLERR | POLLNVAL)) != 0;
}
