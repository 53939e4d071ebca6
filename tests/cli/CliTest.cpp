#include "cli/CliTest.h"

namespace corvane::test {

CliRun RunCli(const std::vector<std::string>& arguments, const std::string& workDir,
              const std::string& program) {
    TempDir temp;
    const std::string errFile = temp.File("stderr");
    std::vector<std::string> argv{
        "sh",    "-c",    "cd \"$1\" || exit 99; shift; exec \"$@\" 2>\"$0\"",
        errFile, workDir, program.empty() ? BinDir() + "/corvane-cli" : program};
    argv.insert(argv.end(), arguments.begin(), arguments.end());
    CliRun run;
    run.status = RunProcess(argv, &run.out);
    ReadFileBytes(errFile, run.err);
    return run;
}

}  // namespace corvane::test
