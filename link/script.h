// The script sender's language and run: a script file of receiver commands,
// each optionally waiting for a reply text in the received stream with a
// time-out and a number of tries, and an optional log file. The window drives
// a run with a 200 ms timer; everything here is plain C++.
#pragma once

#include <cstddef>
#include <cstdint>
#include <ctime>
#include <memory>
#include <optional>
#include <string>
#include <vector>

// A circular byte FIFO. A fixed ring drops its oldest byte when full; a growing
// ring (fixed capacity 0) doubles (by at least 100 bytes) when full and shrinks
// again as it is emptied.
class CharBuf {
public:
    static constexpr size_t Step = 100;

    explicit CharBuf(size_t fixedCapacity = 0);
    CharBuf(const CharBuf &) = delete;
    CharBuf &operator=(const CharBuf &) = delete;

    void Reset();
    void Put(char byte);
    // The oldest byte, or 0 when the ring holds nothing.
    char Get();
    size_t Count() const { return capacity_ == 0 ? 0 : (write_ + capacity_ - read_) % capacity_; }
    size_t Capacity() const { return capacity_; }

private:
    void Allocate(size_t size);
    void Grow();
    void Shrink();

    std::unique_ptr<char[]> storage_;
    size_t capacity_ = 0;
    size_t read_ = 0;
    size_t write_ = 0;
    size_t fixed_ = 0;
};

// Cuts a byte stream into lines: CR, LF, CR LF and LF CR each end one line;
// NUL bytes are ignored.
class LineBuf {
public:
    explicit LineBuf(size_t capacity = 0) : fifo_(capacity) {}

    void Clear();
    // Returns whether a completed line is waiting (a line not yet taken is
    // replaced by the next one).
    bool PutChar(char byte);
    // The completed line without its trailing CR and LF characters.
    std::string GetLine();
    bool LineReady() const { return ready_; }

private:
    CharBuf fifo_;
    std::string line_;
    bool ready_ = false;
    char endOfLine_ = 0;
};

struct ScriptCommand {
    enum CommandState : uint8_t { ToSend = 0, Awaiting = 1, TimedOut = 2, Successful = 3, Failed = 4 };

    std::string Text;       // as written, after its leading spaces
    std::string Response;   // the awaited reply text
    int HasResponse = 0;    // 1 once a reply text was given
    int Timeout = 2;        // seconds
    int Tries = 1;
    CommandState State = ToSend;
};

// "%i" of a directive's argument: decimal, octal with a leading 0 or
// hexadecimal with 0x, after optional blanks and a sign; the value is clamped
// to the int range. nullopt when no number can be read.
std::optional<int> ScriptNumber(const char *text);

// name with the local time "yyyymmdd_hhnnss_" put before its file-name part.
std::string DateTimeLogName(const std::string &name, const std::tm &now);

// What a window shows of the run after a step.
struct ScriptView {
    std::string Command = "---";
    std::string Response = "---";
    std::string Timeout = "-/-";
    std::string Tries = "-/-";
    std::string Status = "All commands sent";
    int Position = 0;   // progress: commands done
    int Maximum = 0;    // progress: commands in the script
};

// A script and its run. The surroundings (sending, the report, the log file,
// the clock) are reached through the virtual functions a window implements.
class ScriptSender {
public:
    static constexpr int TicksPerSecond = 5;   // steps of 200 ms
    static constexpr size_t MaxScriptSize = 16u << 20;

    virtual ~ScriptSender() = default;

    std::vector<ScriptCommand> Commands;
    int FailedCount = 0;
    int CurrentIndex = 0;   // 0-based
    int Ticks = 0;          // steps since the current command was last sent
    int TryNumber = 1;      // 1-based
    int DefaultTimeout = 2;
    int DefaultTries = 1;
    std::optional<std::string> PendingLogName;
    int OverwriteLog = 0;
    int DateTimePrefix = 0;
    int LogPosition = 0;
    bool Running = false;

    int CommandCount() const { return static_cast<int>(Commands.size()); }

    // One line of a script, its line end removed.
    void ReadScriptLine(const std::string &line);
    // A whole script file. Its last line counts also without a line end.
    void ReadScript(const char *data, size_t size);
    void StartRun();
    // One step of the run; Ended is set when the run has finished (the caller
    // then ends it). The view shows the command of this step.
    struct StepResult {
        bool Ended = false;
        ScriptView View;
    };
    StepResult Step();
    // A complete received line: completes the current command when it holds
    // the awaited reply and the command has been sent.
    void CheckResponse(const char *line);
    // Forgets the script and its pending log; the defaults stay for the next one.
    void EndRun();

protected:
    virtual void SendCommand(const std::string &bytes) = 0;   // the text with CR LF
    virtual void AddMemoLine(const std::string &line) = 0;
    virtual bool LogRecording() const = 0;                    // a recording is open already
    virtual bool LogFileExists(const std::string &name) const = 0;
    virtual bool StartLog(const std::string &name) = 0;
    virtual std::tm LocalNow() const = 0;

private:
    void ReadDirective(const std::string &line);
    void OpenPendingLog(const std::string &n);
    bool Send(size_t index, const std::string &n, bool retry);
    ScriptView CurrentView() const;

    unsigned generation_ = 0;   // changes whenever a run is ended
};
