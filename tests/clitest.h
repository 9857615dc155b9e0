// Runs dovi-cli's commands in the test process, on a given settings file.
#pragma once

#include <sstream>
#include <string>
#include <vector>

#include "cli/commands.h"

namespace dovi::test {

struct CliResult {
    int code;
    std::string out, err;
};

// dovi-cli --ini ini ARGS..., with what it wrote on standard output and standard error.
inline CliResult runCli(const std::string& ini, std::vector<std::string> args)
{
    args.insert(args.begin(), {"dovi-cli", "--ini", ini});
    std::ostringstream out, err;
    const int code = cli::run(args, out, err);
    return {code, out.str(), err.str()};
}

}  // namespace dovi::test
