#include "cli/CliCommands.h"
#include "workspace/RunningSystem.h"

#include <iostream>

int main(int argc, char** argv) {
    const tonarion::Utf8Console console;
    const auto files = tonarion::makeSystemFileOperations();
    const auto drives = tonarion::makeSystemDriveSource();
    const auto sounds = tonarion::makeSoundInspector();
    const auto converter = tonarion::makeSoundConverter();
    tonarion::CliEnvironment environment{
        *files, *drives, tonarion::programFolder(), std::cout, std::cerr, *sounds, converter.get()};
    return tonarion::runCli(tonarion::commandLineWords(argc, argv), environment);
}
