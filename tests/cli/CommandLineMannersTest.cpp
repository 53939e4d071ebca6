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
        {"corvane-cli", {"scan", "--help"}, 0, Usage::OnStdout},
        {"corvane-cli", {}, 2, Usage::OnStderr},
        {"corvane-cli", {"--frob"}, 2, Usage::OnStderr},
        {"corvane-cddbd", {"--help"}, 0, Usage::OnStdout},
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

}  // namespace
}  // namespace corvane
