#include "support/TestSupport.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>

extern char** environ;

namespace corvane::test {

namespace {

void PutLe(std::string& out, std::uint32_t value, int bytes) {
    for (int i = 0; i < bytes; ++i) {
        out.push_back(static_cast<char>((value >> (8 * i)) & 0xFF));
    }
}

std::string WavHeader(long samples, int channels, int rate) {
    const std::uint32_t dataBytes = static_cast<std::uint32_t>(samples) * channels * 2;
    std::string h = "RIFF";
    PutLe(h, 36 + dataBytes, 4);
    h += "WAVEfmt ";
    PutLe(h, 16, 4);
    PutLe(h, 1, 2);  // PCM
    PutLe(h, static_cast<std::uint32_t>(channels), 2);
    PutLe(h, static_cast<std::uint32_t>(rate), 4);
    PutLe(h, static_cast<std::uint32_t>(rate * channels * 2), 4);
    PutLe(h, static_cast<std::uint32_t>(channels * 2), 2);
    PutLe(h, 16, 2);
    h += "data";
    PutLe(h, dataBytes, 4);
    return h;
}

}  // namespace

TempDir::TempDir() {
    const char* base = std::getenv("TMPDIR");
    std::string pattern = std::string(base && *base ? base : "/tmp") + "/corvane-test-XXXXXX";
    if (::mkdtemp(pattern.data()) != nullptr) {
        path_ = pattern;
    }
}

TempDir::~TempDir() {
    if (!path_.empty()) {
        std::error_code ec;
        // Tests may leave read-only files or folders behind.
        for (auto it = std::filesystem::recursive_directory_iterator(path_, ec);
             !ec && it != std::filesystem::recursive_directory_iterator(); it.increment(ec)) {
            ::chmod(it->path().c_str(), 0755);
        }
        std::filesystem::remove_all(path_, ec);
    }
}

std::string TempDir::File(const std::string& name) const {
    return path_ + "/" + name;
}

bool WriteWav(const std::string& path, long samples, int channels, int rate, unsigned seed,
              SignalEnd end) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    if (!out || samples < 0 || channels < 1 || channels > 2) {
        return false;
    }
    out << WavHeader(samples, channels, rate);
    std::uint32_t noise = seed * 2654435761u + 12345u;
    const double f1 = 220.0 + 37.0 * (seed % 11);
    const double f2 = f1 * 1.5 + 3.0;
    std::string block;
    block.reserve(1 << 16);
    for (long i = 0; i < samples; ++i) {
        const double t = static_cast<double>(i) / rate;
        for (int c = 0; c < channels; ++c) {
            noise = noise * 1664525u + 1013904223u;
            const double n = (static_cast<double>(noise >> 16) / 65536.0 - 0.5) * 0.05;
            const double s = 0.35 * std::sin(2 * M_PI * f1 * t + c) +
                             0.2 * std::sin(2 * M_PI * f2 * t) * std::sin(2 * M_PI * 0.7 * t) + n;
            const long fromEnd = samples - i;  // 1 for the last sample
            double gain = 1.0;
            if (fromEnd <= end.silence) {
                gain = 0.0;
            } else if (fromEnd <= end.silence + end.fadeOut) {
                gain = static_cast<double>(fromEnd - end.silence - 1) / end.fadeOut;
            }
            const auto v = static_cast<std::int16_t>(std::lround(s * gain * 32767.0 * 0.8));
            PutLe(block, static_cast<std::uint16_t>(v), 2);
        }
        if (block.size() >= (1 << 16) - 8) {
            out.write(block.data(), static_cast<std::streamsize>(block.size()));
            block.clear();
        }
    }
    out.write(block.data(), static_cast<std::streamsize>(block.size()));
    return static_cast<bool>(out);
}

std::string MakeMp3(const std::string& dir, const std::string& name, long samples,
                    const std::vector<std::string>& lameArgs, int channels, int rate, unsigned seed,
                    SignalEnd end) {
    const std::string mp3 = dir + "/" + name;
    const std::string wav = mp3 + ".wav";
    if (!WriteWav(wav, samples, channels, rate, seed, end)) {
        return {};
    }
    std::vector<std::string> argv = {"lame", "--quiet"};
    argv.insert(argv.end(), lameArgs.begin(), lameArgs.end());
    argv.push_back(wav);
    argv.push_back(mp3);
    const int status = RunProcess(argv);
    ::unlink(wav.c_str());
    return status == 0 ? mp3 : std::string();
}

int RunProcess(const std::vector<std::string>& argv, std::string* out) {
    std::vector<char*> args;
    for (const auto& a : argv) {
        args.push_back(const_cast<char*>(a.c_str()));
    }
    args.push_back(nullptr);
    int pipeFd[2] = {-1, -1};
    if (argv.empty() || ::pipe2(pipeFd, O_CLOEXEC) != 0) {
        return -1;
    }
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_adddup2(&actions, pipeFd[1], 1);
    pid_t pid = 0;
    const int rc = ::posix_spawnp(&pid, args[0], &actions, nullptr, args.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    ::close(pipeFd[1]);
    // Read even when the output is not wanted, so that a chatty program never blocks.
    std::string ignored;
    std::string& text = out != nullptr ? *out : ignored;
    text.clear();
    char buffer[4096];
    ssize_t got = 0;
    while (rc == 0 &&
           ((got = ::read(pipeFd[0], buffer, sizeof buffer)) > 0 || (got < 0 && errno == EINTR))) {
        text.append(buffer, static_cast<size_t>(std::max<ssize_t>(got, 0)));
    }
    ::close(pipeFd[0]);
    int status = 0;
    while (rc == 0 && ::waitpid(pid, &status, 0) < 0) {
        if (errno != EINTR) {
            return -1;
        }
    }
    return rc == 0 && WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

bool HaveProgram(const std::string& name) {
    return RunProcess({"sh", "-c", "command -v \"$0\"", name}) == 0;
}

std::string BinDir() {
    const char* dir = std::getenv("CORVANE_BIN_DIR");
    if (dir != nullptr && *dir != '\0') {
        return dir;
    }
    std::error_code error;
    return std::filesystem::read_symlink("/proc/self/exe", error).parent_path().string();
}

std::string HexId(std::uint32_t id) {
    char text[16];
    std::snprintf(text, sizeof text, "%08x", static_cast<unsigned>(id));
    return text;
}

bool ReadFileBytes(const std::string& path, std::string& out) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        return false;
    }
    out.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    return !in.bad();
}

bool WriteFileBytes(const std::string& path, const std::string& data) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(data.data(), static_cast<std::streamsize>(data.size()));
    return static_cast<bool>(out);
}

}  // namespace corvane::test
