// TCommPort: one serial device opened in raw mode (termios), read by polling
// and written with a deadline. Every failing step throws ECommError with the
// step's code and the system error number.
#pragma once

#include <cstdint>
#include <exception>
#include <string>

// Parity and stop-bit codes as the settings store them.
inline constexpr uint8_t NOPARITY = 0;
inline constexpr uint8_t ODDPARITY = 1;
inline constexpr uint8_t EVENPARITY = 2;
inline constexpr uint8_t ONESTOPBIT = 0;
inline constexpr uint8_t ONE5STOPBITS = 1;   // only with 5 data bits; sent as 2 stop bits
inline constexpr uint8_t TWOSTOPBITS = 2;

// The line settings applied to the device on opening.
struct DCB {
    uint32_t BaudRate = 9600;
    uint8_t ByteSize = 8;
    uint8_t Parity = NOPARITY;
    uint8_t StopBits = ONESTOPBIT;

    bool operator==(const DCB &) const = default;
};

class ECommError : public std::exception {
public:
    // The failing step.
    enum : uint8_t {
        BaudRateFailed = 1,
        StopBitsFailed = 3,
        ParityFailed = 4,
        ByteSizeFailed = 5,
        PortIsOpen = 6,
        PortNotOpen = 7,
        OpenFailed = 8,
        WriteFailed = 9,
        ReadFailed = 10,
        CloseFailed = 11,
        FlushFailed = 13,
        GetStateFailed = 14,
        SetStateFailed = 15,
        TimeoutsFailed = 17,
        StatusFailed = 18,
    };

    ECommError(uint8_t code, int systemError);

    uint8_t Code;
    int32_t SystemError;   // errno of the failing call

    const char *what() const noexcept override { return text_.c_str(); }

private:
    std::string text_;
};

class TCommPort {
public:
    TCommPort() = default;
    ~TCommPort();
    TCommPort(const TCommPort &) = delete;
    TCommPort &operator=(const TCommPort &) = delete;

    // Opens the device named by the port name and applies the settings; nothing
    // when already open. A failed open leaves the port closed.
    void Open();
    // Releases the device. The descriptor is gone even when close() reports an
    // error (code 11), so the port is closed afterwards in any case.
    void Close();

    void SetPortName(const std::string &name);   // a device path; refused while open
    void SetDCB(const DCB &settings);
    void SetBaudRate(uint32_t rate);
    void SetByteSize(uint8_t size);
    void SetParity(uint8_t parity);
    void SetStopBits(uint8_t stopBits);

    // Writes every byte or throws (code 9): a device that takes no more within
    // 250 ms plus twice the transmission time at the configured rate fails.
    void Write(const void *data, uint32_t length);
    // Reads what is there, up to length bytes, without waiting; returns the count.
    // When fewer than length bytes were read, a NUL follows them in buffer.
    uint32_t Read(char *buffer, uint32_t length);
    // Waits until the output queue has gone out (bounded like Write).
    void Flush();
    // Waits up to timeoutMs for bytes to read; false when none came or the
    // line reports a hang-up or an error instead.
    bool WaitForInput(int timeoutMs);
    // Bytes waiting in the driver's input queue.
    uint32_t BytesAvailable();
    // True when the device has hung up or reports an error condition.
    bool HungUp();

    bool IsOpen() const { return open_; }
    const std::string &PortName() const { return portName_; }
    const DCB &Settings() const { return settings_; }
    int Handle() const { return handle_; }

    // Milliseconds one character takes on the line with the given settings.
    static double CharacterTimeMs(const DCB &settings);

private:
    template <typename T> void SetField(T DCB::*field, T value, uint8_t code);
    static void Apply(int fd, const DCB &settings);   // throws code 15
    static void SetTimeouts(int fd);                  // throws code 17
    void RequireOpen() const;
    long DeadlineMs(uint32_t length) const;

    bool open_ = false;
    std::string portName_ = "COM1";
    DCB settings_;
    int handle_ = -1;
};

// termios2/BOTHER: any rate the driver accepts (commport_speed.cpp). Both return
// 0 on success, otherwise an errno value.
int SetArbitrarySpeed(int fd, uint32_t rate);
int GetArbitrarySpeed(int fd, uint32_t *rate);
