#include "link/script.h"

#include <algorithm>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <new>

// ---------------------------------------------------------------------------
// CharBuf
// ---------------------------------------------------------------------------

CharBuf::CharBuf(size_t fixedCapacity) : fixed_(fixedCapacity) { Reset(); }

void CharBuf::Allocate(size_t size)
{
    storage_.reset(size ? new (std::nothrow) char[size] : nullptr);
    capacity_ = storage_ ? size : 0;
}

void CharBuf::Reset()
{
    read_ = write_ = 0;
    storage_.reset();
    Allocate(fixed_ ? fixed_ : Step);
}

void CharBuf::Put(char byte)
{
    if (capacity_ == 0) return;
    storage_[write_] = byte;
    write_ = (write_ + 1) % capacity_;
    if (write_ != read_) return;
    // Full.
    if (fixed_) read_ = (read_ + 1) % capacity_;   // the oldest byte goes
    else Grow();
}

// Opens a gap at the write index as large as the ring itself (at least Step
// bytes), so filling a ring costs time in proportion to what is put: the older
// bytes, from the read index to the old end, move up by the gap.
void CharBuf::Grow()
{
    size_t gap = std::max(Step, capacity_);
    size_t bigger = capacity_ + gap;
    std::unique_ptr<char[]> storage(bigger > capacity_ ? new (std::nothrow) char[bigger] : nullptr);
    if (!storage) {
        storage_.reset();
        capacity_ = read_ = write_ = 0;
        return;
    }
    std::memcpy(storage.get(), storage_.get(), read_);
    std::memcpy(storage.get() + read_ + gap, storage_.get() + read_, capacity_ - read_);
    storage_ = std::move(storage);
    capacity_ = bigger;
    read_ += gap;
}

// Called when the read index has wrapped to 0: the bytes lie in [0, write).
void CharBuf::Shrink()
{
    size_t smaller = (write_ / Step + 1) * Step;
    if (smaller >= capacity_) return;
    std::unique_ptr<char[]> storage(new (std::nothrow) char[smaller]);
    if (!storage) return;   // keeps the larger block, which still works
    std::memcpy(storage.get(), storage_.get(), write_);
    storage_ = std::move(storage);
    capacity_ = smaller;
}

char CharBuf::Get()
{
    if (Count() == 0) return 0;   // an empty ring stays empty
    char byte = storage_[read_];
    read_ = (read_ + 1) % capacity_;
    if (read_ == 0 && !fixed_ && capacity_ > Step) Shrink();
    return byte;
}

// ---------------------------------------------------------------------------
// LineBuf
// ---------------------------------------------------------------------------

void LineBuf::Clear()
{
    fifo_.Reset();
    line_.clear();
    ready_ = false;
    endOfLine_ = 0;
}

bool LineBuf::PutChar(char byte)
{
    if (byte == '\0') return ready_;
    if (byte != '\r' && byte != '\n') {
        endOfLine_ = 0;
    } else if (endOfLine_ == 0) {
        endOfLine_ = byte;
    } else if (endOfLine_ != byte) {
        endOfLine_ = 0;   // the second half of CR LF or LF CR
        return ready_;
    }
    fifo_.Put(byte);
    if (byte == endOfLine_) {
        line_.clear();
        line_.reserve(fifo_.Count());
        while (fifo_.Count() > 0) line_.push_back(fifo_.Get());
        ready_ = true;
    }
    return ready_;
}

std::string LineBuf::GetLine()
{
    size_t end = line_.find_last_not_of("\r\n");
    line_.erase(end == std::string::npos ? 0 : end + 1);
    ready_ = false;
    return std::move(line_);
}

// ---------------------------------------------------------------------------
// The language
// ---------------------------------------------------------------------------

std::optional<int> ScriptNumber(const char *text)
{
    if (!text) return std::nullopt;
    char *end = nullptr;
    long long value = std::strtoll(text, &end, 0);
    if (end == text) return std::nullopt;
    if (value > INT_MAX) return INT_MAX;
    if (value < INT_MIN) return INT_MIN;
    return static_cast<int>(value);
}

std::string DateTimeLogName(const std::string &name, const std::tm &now)
{
    size_t slash = name.find_last_of('/');
    size_t split = slash == std::string::npos ? 0 : slash + 1;
    char stamp[32];
    std::strftime(stamp, sizeof stamp, "%Y%m%d_%H%M%S_", &now);
    return name.substr(0, split) + stamp + name.substr(split);
}

namespace {

// The keyword, compared without regard to case, with the blank that follows it.
bool Keyword(const std::string &line, const char *keyword)
{
    size_t n = std::strlen(keyword);
    if (line.size() < n) return false;
    for (size_t i = 0; i < n; ++i) {
        char c = line[i];
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
        if (c != keyword[i]) return false;
    }
    return true;
}

} // namespace

void ScriptSender::ReadScriptLine(const std::string &line)
{
    size_t start = line.find_first_not_of(' ');
    if (start == std::string::npos) return;
    if (line[start] == '%') return;
    if (line[start] == '#') {
        ReadDirective(line.substr(start));
        return;
    }
    ScriptCommand command;
    command.Text = line.substr(start);
    command.Timeout = DefaultTimeout;
    command.Tries = DefaultTries;
    Commands.push_back(std::move(command));
}

void ScriptSender::ReadDirective(const std::string &line)
{
    auto number = [&line](const char *keyword) { return ScriptNumber(line.c_str() + std::strlen(keyword)); };
    ScriptCommand *last = Commands.empty() ? nullptr : &Commands.back();

    if (Keyword(line, "#defaulttimeout ")) {
        if (auto v = number("#defaulttimeout ")) DefaultTimeout = *v;
    } else if (Keyword(line, "#defaulttries ")) {
        if (auto v = number("#defaulttries ")) DefaultTries = *v;
    } else if (Keyword(line, "#logfile ")) {
        PendingLogName = line.substr(std::strlen("#logfile "));
        LogPosition = CommandCount() - 1;
    } else if (Keyword(line, "#overwritelogfile ")) {
        if (auto v = number("#overwritelogfile ")) OverwriteLog = *v;
    } else if (Keyword(line, "#datetimetologfilename ")) {
        if (auto v = number("#datetimetologfilename ")) DateTimePrefix = *v;
    } else if (Keyword(line, "#response ")) {
        size_t n = std::strlen("#response ");
        if (line.size() > n && last && !last->HasResponse) {
            last->Response = line.substr(n);
            last->HasResponse = 1;
        }
    } else if (Keyword(line, "#timeout ")) {
        if (auto v = number("#timeout "); v && last) last->Timeout = *v;
    } else if (Keyword(line, "#tries ")) {
        if (auto v = number("#tries "); v && last) last->Tries = *v;
    }
}

void ScriptSender::ReadScript(const char *data, size_t size)
{
    LineBuf lines(0);
    auto put = [&](char byte) {
        if (!lines.PutChar(byte)) return;
        std::string line = lines.GetLine();
        if (!line.empty()) ReadScriptLine(line);
    };
    for (size_t i = 0; i < size; ++i) put(data[i]);
    // A last line without its line end is a line all the same: a line feed ends
    // it, and after a line end it only makes an empty line or half of a pair.
    put('\n');
}

// ---------------------------------------------------------------------------
// The run
// ---------------------------------------------------------------------------

void ScriptSender::StartRun()
{
    CurrentIndex = 0;
    FailedCount = 0;
    Ticks = 0;
    TryNumber = 1;
    Running = true;
}

void ScriptSender::EndRun()
{
    Commands.clear();
    PendingLogName.reset();
    OverwriteLog = 0;
    DateTimePrefix = 0;
    CurrentIndex = 0;
    Running = false;
    ++generation_;
}

void ScriptSender::CheckResponse(const char *line)
{
    if (!Running || !line || CurrentIndex < 0 || CurrentIndex >= CommandCount()) return;
    ScriptCommand &command = Commands[static_cast<size_t>(CurrentIndex)];
    // A command that has not gone out yet cannot have been answered.
    if (!command.HasResponse || command.State == ScriptCommand::ToSend) return;
    if (std::strstr(line, command.Response.c_str())) command.State = ScriptCommand::Successful;
}

void ScriptSender::OpenPendingLog(const std::string &n)
{
    if (!PendingLogName || CurrentIndex <= LogPosition) return;
    std::string name = std::move(*PendingLogName);
    PendingLogName.reset();   // each script opens one log at most
    if (LogRecording()) {
        AddMemoLine(n + " - Cannot open logfile, another already opened");
        return;
    }
    if (DateTimePrefix) name = DateTimeLogName(name, LocalNow());
    if (OverwriteLog == 0 && LogFileExists(name)) AddMemoLine(n + " - Cannot overwrite logfile " + name);
    else if (StartLog(name)) AddMemoLine(n + " - Logfile: " + name + " opened");
    else AddMemoLine(n + " - Cannot open logfile " + name);
}

// Sends the command (again); false when the run was ended meanwhile.
bool ScriptSender::Send(size_t index, const std::string &n, bool retry)
{
    unsigned generation = generation_;
    const std::string text = Commands[index].Text;
    if (retry) AddMemoLine(n + " - Retry " + std::to_string(TryNumber) + ": " + text);
    else AddMemoLine(n + " - Sending: " + text);
    SendCommand(text + "\r\n");
    if (generation != generation_ || index >= Commands.size()) return false;
    Ticks = 0;
    if (!retry) TryNumber = 1;
    ScriptCommand &command = Commands[index];
    if (command.HasResponse) {
        if (!retry) AddMemoLine(n + " - Awaiting: " + command.Response);
        command.State = ScriptCommand::Awaiting;
    } else {
        command.State = ScriptCommand::Successful;
    }
    return true;
}

ScriptView ScriptSender::CurrentView() const
{
    const ScriptCommand &command = Commands[static_cast<size_t>(CurrentIndex)];
    ScriptView view;
    view.Command = command.Text;
    view.Response = command.HasResponse ? command.Response : "No response needed";
    view.Timeout = std::to_string(Ticks / TicksPerSecond) + "/" + std::to_string(command.Timeout);
    view.Tries = std::to_string(TryNumber) + "/" + std::to_string(command.Tries);
    view.Position = CurrentIndex;
    view.Maximum = CommandCount();
    return view;
}

ScriptSender::StepResult ScriptSender::Step()
{
    StepResult result;
    if (!Running) return result;
    const unsigned generation = generation_;
    const std::string n = std::to_string(CurrentIndex + 1);

    OpenPendingLog(n);
    if (generation != generation_) return result;

    if (CurrentIndex >= CommandCount()) {
        int count = CommandCount();
        AddMemoLine("---- End sending script: " + std::to_string(count - FailedCount) + " of " + std::to_string(count) +
                    " commands successful ----");
        result.Ended = true;
        result.View.Position = result.View.Maximum = count;
        return result;
    }

    const size_t index = static_cast<size_t>(CurrentIndex);
    switch (Commands[index].State) {
    case ScriptCommand::ToSend:
        if (!Send(index, n, false)) return result;
        break;
    case ScriptCommand::Awaiting:
        ++Ticks;
        if (Ticks > static_cast<long long>(Commands[index].Timeout) * TicksPerSecond)
            Commands[index].State = ScriptCommand::TimedOut;
        break;
    case ScriptCommand::TimedOut:
        if (Commands[index].Tries > TryNumber) {
            ++TryNumber;
            if (!Send(index, n, true)) return result;
        } else {
            Commands[index].State = ScriptCommand::Failed;
        }
        break;
    case ScriptCommand::Successful:
    case ScriptCommand::Failed:
        break;
    }

    result.View = CurrentView();
    switch (Commands[index].State) {
    case ScriptCommand::ToSend: result.View.Status = "Send command"; break;
    case ScriptCommand::Awaiting: result.View.Status = "Command sent, waiting for response"; break;
    case ScriptCommand::TimedOut: result.View.Status = "Timeout! Resending command"; break;
    case ScriptCommand::Successful:
        result.View.Status = "Command successful";
        AddMemoLine(n + " - Command successful");
        ++CurrentIndex;
        break;
    case ScriptCommand::Failed:
        result.View.Status = "Command FAILED";
        AddMemoLine(n + " - Command FAILED");
        ++FailedCount;
        ++CurrentIndex;
        break;
    }
    return result;
}
