#include <iostream>
#include <string>
#include <vector>

#include "cli/cli_runner.h"

int main(int argc, char** argv) {
    const std::vector<std::string> arguments(argv + 1, argv + argc);
    return kestrix::cli::RunCli(arguments, std::cout, std::cerr);
}
