#include "cli/CliCommands.h"
#include "storage/platform/SystemPlatform.h"

#include <iostream>

int main(int argc, char** argv) {
    const auto files = tonarion::makeSystemFileOperations();
    const auto drives = tonarion::makeSystemDriveSource();
    tonarion::CliEnvironment environment{*files, *drives, tonarion::programFolder(), std::cout,
                                         std::cerr};
    return tonarion::runCli(std::vector<std::string>(argv + 1, argv + argc), environment);
}
