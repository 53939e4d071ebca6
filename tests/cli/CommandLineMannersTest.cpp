#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "ProgramVersion.h"
#include "support/TestSupport.h"

namespace corvane {
namespace {

struct Streams {
    int status = -1;
    std::string out;
    std::string err;
};

// Runs one of the built programs, its two output streams caught apart.
Streams RunProgram(const std::string& program, const std::vector<std::string>& arguments) {
    std::vector<std::string> argv{test::BinDir() + "/" + program};
    argv.insert(argv.end(), arguments.begin(), arguments.end());
    Streams run;
    run.status = test::RunProcess(argv, &run.out);
    std::vector<std::string> errOnly{"sh", "-c", "\"$0\" \"$@\" 2>&1 > /dev/null"};
    errOnly.insert(errOnly.end(), argv.begin(), argv.end());
    test::RunProcess(errOnly, &run.err);
    return run;
}

enum class Usage { OnStdout, OnStderr, None };

struct MannersCase {
    const char* program;
    std::vector<std::string> arguments;
    int status;
    Usage usage;
};

// Asked for, the usage goes to standard output with 0; after a mistake to
// standard error with 2, as the Unix tools do it.
TEST(CommandLineManners, HelpVersionAndWrongOptions) {
    ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
    const MannersCase cases[] = {
        {"corvane-cli", {"--help"}, 0, Usage::OnStdout},
        {"corvane-cli", {"-h"}, 0, Usage::OnStdout},
        {"corvane-cli", {"scan", "--help"}, 0, Usage::OnStdout},
        {"corvane-cli", {"apply", "-h"}, 0, Usage::OnStdout},
        {"corvane-cli", {}, 2, Usage::OnStderr},
        {"corvane-cli", {"--frob"}, 2, Usage::OnStderr},
        {"corvane-cli", {"frob"}, 2, Usage::OnStderr},
        {"corvane-cddbd", {"--help"}, 0, Usage::OnStdout},
        {"corvane-cddbd", {"--frob", "."}, 2, Usage::OnStderr},
        {"corvane-cddbd", {"-x"}, 2, Usage::OnStderr},
        {"corvane-mp3", {"--help"}, 0, Usage::OnStdout},
        {"corvane-mp3", {"--frob"}, 2, Usage::OnStderr},
    };
    for (const MannersCase& c : cases) {
        const Streams run = RunProgram(c.program, c.arguments);
        SCOPED_TRACE(std::string(c.program) + " " +
                     (c.arguments.empty() ? "" : c.arguments.front()) + "\nout: " + run.out +
                     "\nerr: " + run.err);
        EXPECT_EQ(run.status, c.status);
        EXPECT_EQ(run.out.find("usage:") == 0, c.usage == Usage::OnStdout);
        EXPECT_EQ(run.err.find("usage:") != std::string::npos, c.usage == Usage::OnStderr);
        EXPECT_EQ(run.out.empty(), c.usage == Usage::OnStderr);
    }
    for (const char* program : {"corvane-cli", "corvane-cddbd", "corvane-mp3"}) {
        const Streams run = RunProgram(program, {"--version"});
        EXPECT_EQ(run.status, 0) << program;
        EXPECT_EQ(run.out, std::string(program) + " " + kProgramVersion + "\n");
        EXPECT_EQ(run.err, "") << program;
    }
}

// The progress count reaches a terminal only: a pipe or a file of standard
// error stays clean.
TEST(CommandLineManners, ProgressOnlyOnATerminal) {
    if (!test::HaveProgram("lame") || !test::HaveProgram("script")) {
        GTEST_SKIP() << "lame or script (util-linux) is not installed";
    }
    test::TempDir album;
    for (const char* name : {"1.mp3", "2.mp3"}) {
        ASSERT_FALSE(test::MakeMp3(album.path(), name, 44100, {"-b", "128"}).empty());
    }
    const Streams piped = RunProgram("corvane-cli", {"scan", album.path()});
    EXPECT_EQ(piped.status, 0);
    EXPECT_EQ(piped.err, "");
    // script gives the command a terminal and copies what reaches it.
    ::setenv("CORVANE_CLI", (test::BinDir() + "/corvane-cli").c_str(), 1);
    ::setenv("CORVANE_ALBUM", album.path().c_str(), 1);
    std::string terminal;
    EXPECT_EQ(
        test::RunProcess(
            {"script", "-qec", "\"$CORVANE_CLI\" scan \"$CORVANE_ALBUM\" > /dev/null", "/dev/null"},
            &terminal),
        0);
    EXPECT_NE(terminal.find("2/2 files"), std::string::npos) << terminal;
}

}  // namespace
}  // namespace corvane
