#pragma once

#include <cstdint>
#include <cstdlib>
#include <optional>
#include <string>
#include <vector>

// Helpers shared by the test executables: temporary folders, PCM and MP3
// fixtures made at test time, and running outside tools.
namespace corvane::test {

// A fresh folder under $TMPDIR (or /tmp), removed with its content when the
// object goes away.
class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::string& path() const { return path_; }
    // path() + "/" + name.
    std::string File(const std::string& name) const;

private:
    std::string path_;
};

// Sets an environment variable for its lifetime, then restores it.
class ScopedEnv {
public:
    ScopedEnv(const char* name, const std::string& value) : name_(name) {
        if (const char* old = std::getenv(name)) {
            old_ = old;
        }
        ::setenv(name, value.c_str(), 1);
    }
    ~ScopedEnv() { old_ ? ::setenv(name_, old_->c_str(), 1) : ::unsetenv(name_); }
    ScopedEnv(const ScopedEnv&) = delete;
    ScopedEnv& operator=(const ScopedEnv&) = delete;

private:
    const char* name_;
    std::optional<std::string> old_;
};

// Samples per CD frame (1/75 s at 44.1 kHz).
constexpr long kCdFrameSamples = 588;

// How a generated signal ends: at full level, or fading out linearly over `fadeOut`
// samples, then `silence` samples of digital silence (both counted in `samples`).
struct SignalEnd {
    long fadeOut = 0;
    long silence = 0;
};

// Writes a 16-bit PCM WAV of exactly `samples` sample frames per channel: a few
// sine tones plus low noise from `seed`, so that encoders behave as with music.
bool WriteWav(const std::string& path, long samples, int channels = 2, int rate = 44100,
              unsigned seed = 1, SignalEnd end = {});

// Encodes `samples` sample frames with `lame <lameArgs>` (such as {"-b", "128"})
// into dir/name and returns the path, or an empty string when lame fails.
std::string MakeMp3(const std::string& dir, const std::string& name, long samples,
                    const std::vector<std::string>& lameArgs, int channels = 2, int rate = 44100,
                    unsigned seed = 1, SignalEnd end = {});

// Runs argv[0] (looked up in PATH) and returns its exit status (-1 when it could
// not run or was killed); its standard output goes into *out if given.
int RunProcess(const std::vector<std::string>& argv, std::string* out = nullptr);

// True when the program can be found in PATH.
bool HaveProgram(const std::string& name);

// The folder of the built programs: $CORVANE_BIN_DIR (ctest sets it), else the
// running test's, so a test also runs by hand.
std::string BinDir();

// A disc id as the CDDB writes it: eight lower-case hexadecimal digits.
std::string HexId(std::uint32_t id);

// Reads or writes a whole file as bytes; false on failure.
bool ReadFileBytes(const std::string& path, std::string& out);
bool WriteFileBytes(const std::string& path, const std::string& data);

}  // namespace corvane::test
