#pragma once

#include <cstdio>
#include <string>
#include <vector>

namespace corvane {

// The text a step logs when it has finished without a failure; the log joins
// it to the line before ("Creating New Directory... Done.").
inline constexpr const char* kDoneText = "Done.";

// Receives the log lines of the processing steps. The processing dialog shows
// them in its list; the command line prints them; tests keep them.
class ProcessingLog {
public:
    virtual ~ProcessingLog() = default;
    virtual void Log(const std::string& text) = 0;
    // A line about a failure or a file left untouched, which a window may
    // set apart; by default an ordinary line.
    virtual void LogProblem(const std::string& text) { Log(text); }
};

// Adds text to lines the way the log list does: "Done." is joined to the last
// line, any other text becomes a new last line.
void AppendLogLine(std::vector<std::string>& lines, const std::string& text);

// A log that keeps its lines in memory.
class MemoryProcessingLog : public ProcessingLog {
public:
    void Log(const std::string& text) override { AppendLogLine(lines_, text); }
    const std::vector<std::string>& Lines() const { return lines_; }

private:
    std::vector<std::string> lines_;
};

// A log written to a stream as it goes, for the command line: each line is
// printed at once and ended only when the next one comes, so that "Done."
// can still join it.
class StreamProcessingLog : public ProcessingLog {
public:
    explicit StreamProcessingLog(std::FILE* stream) : stream_(stream) {}
    ~StreamProcessingLog() override { Flush(); }
    StreamProcessingLog(const StreamProcessingLog&) = delete;
    StreamProcessingLog& operator=(const StreamProcessingLog&) = delete;

    void Log(const std::string& text) override;
    // Ends the last line.
    void Flush();

private:
    std::FILE* stream_;
    bool lineOpen_ = false;
};

}  // namespace corvane
