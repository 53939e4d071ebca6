#pragma once

#include <string>
#include <vector>

namespace corvane::cli {

// Each command takes the arguments after its own name and returns the
// process exit code: 0 success, 1 failure (message on stderr), 2 usage error.
using Arguments = std::vector<std::string>;

}  // namespace corvane::cli
