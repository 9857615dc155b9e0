#include <iostream>
#include <string>
#include <vector>

#include "cli/commands.h"

int main(int argc, char* argv[])
{
    const std::vector<std::string> args(argv, argv + argc);
    return dovi::cli::run(args, std::cout, std::cerr);
}
