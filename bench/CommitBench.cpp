// Measures the work that matters on a stick against its limit, a plain copy: the first commit
// of a sound table onto an empty FAT32 image against cp of the same files onto an equal image,
// and a second commit of the unchanged table and the re-binding of one sound against that
// first commit. All in one run on this machine, so the ratios compare like with like.
//
//   tonarion_bench [--quick]

#include "storage/EventResult.h"
#include "storage/StickSelection.h"
#include "storage/StickWorkspace.h"
#include "storage/platform/linux/LinuxFileOperations.h"
#include "support/FatImage.h"
#include "support/RecordingUserInterface.h"
#include "support/Selections.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <random>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

using namespace tonarion;
namespace fs = std::filesystem;

struct Sizes {
    int sounds;
    int kilobytes;
    int imageMegabytes;
};

double secondsOf(const std::function<void()>& work) {
    const auto start = std::chrono::steady_clock::now();
    work();
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

std::vector<std::string> makeSounds(const fs::path& folder, const Sizes& sizes) {
    fs::create_directories(folder);
    std::mt19937 random(42);
    std::vector<std::string> paths;
    for (int i = 1; i <= sizes.sounds; ++i) {
        std::string bytes(static_cast<std::size_t>(sizes.kilobytes) * 1024, '\0');
        for (char& byte : bytes) {
            byte = static_cast<char>(random());
        }
        const fs::path path = folder / ("sound" + std::to_string(i) + ".mp3");
        std::ofstream(path, std::ios::binary) << bytes;
        paths.push_back(path.string());
    }
    return paths;
}

bool report(const char* what, double seconds, double base, double goal) {
    const double ratio = seconds / base;
    const bool met = ratio <= goal;
    std::printf("%-34s %8.3f s   ratio %6.3f   goal <= %.2f   %s\n", what, seconds, ratio, goal,
                met ? "met" : "MISSED");
    return met;
}

} // namespace

int main(int argc, char** argv) {
    const bool quick = argc > 1 && std::string(argv[1]) == "--quick";
    const Sizes sizes = quick ? Sizes{20, 20, 40} : Sizes{300, 200, 256};
    std::string folder = (fs::temp_directory_path() / "tonarion-bench-XXXXXX").string();
    if (::mkdtemp(folder.data()) == nullptr) {
        std::perror("mkdtemp");
        return 1;
    }
    const fs::path work = folder;
    const std::vector<std::string> sounds = makeSounds(work / "music", sizes);

    std::printf("%d sounds of %d KB onto FAT32 images of %d MB (fusefat)\n", sizes.sounds,
                sizes.kilobytes, sizes.imageMegabytes);

    // cp gives the limit: the same bytes under the same names. The names matter on FAT:
    // names that share their first characters cost the file system a search for a free
    // short name each, which cp under the sources' names never pays.
    const auto copyOnto = [&](const char* imageName, const std::string& targetName) {
        testing::FatImage image(imageName, sizes.imageMegabytes);
        return secondsOf([&] {
            testing::runCommand("cd " + (work / "music").string() + " && for i in $(seq 1 " +
                                std::to_string(sizes.sounds) + "); do cp sound$i.mp3 " +
                                image.root() + targetName + " || exit 1; done && sync -f " +
                                image.root());
        });
    };
    std::printf("%-34s %8.3f s\n", "cp under the sources' names",
                copyOnto("bench-cp-sources", "sound$i.mp3"));
    const double copySeconds = copyOnto("bench-cp", "$(printf MGM2-%04d-00000.mp3 $i)");
    std::printf("%-34s %8.3f s\n", "cp under the entry names", copySeconds);

    testing::FatImage image("bench-commit", sizes.imageMegabytes);
    LinuxFileOperations files;
    testing::RecordingUserInterface ui;
    Session session;
    session.stickRoot = image.root();
    StickWorkspace workspace(session, files, ui);
    if (!gueltigeAuswahl(session, files, ui) ||
        workspace.load(work.string()) != IndexReadResult::Read) {
        std::fprintf(stderr, "the image takes no index file\n");
        return 1;
    }
    workspace.dropFiles(sounds);
    for (int row = 1; row <= sizes.sounds; ++row) {
        char name[32];
        std::snprintf(name, sizeof name, "MGM2-%04d-00000.mp3", row);
        session.table.replaceRow(
            row, SoundEntry{.entryName = name, .sourcePath = session.table.row(row).sourcePath});
    }

    const auto commit = [&] {
        session.SaveNeeded = true;
        if (workspace.commit() != CommitResult::Written) {
            std::fprintf(stderr, "commit failed:\n%s\n", ui.lastText().c_str());
            std::exit(1);
        }
    };
    const double firstSeconds = secondsOf(commit);
    const double secondSeconds = secondsOf(commit);
    const auto entry = workspace.compose(1, testing::turnoutSelection(1, "2000"));
    const double rebindSeconds = secondsOf([&] {
        workspace.applyEventResult(1, "MGM2-0001-00000.mp3", *entry);
        if (session.SaveNeeded || !fs::exists(image.root() + entry->entryName())) {
            std::fprintf(stderr, "re-binding failed\n");
            std::exit(1);
        }
    });

    bool met = report("first commit / cp", firstSeconds, copySeconds, 1.15);
    met = report("second commit / first commit", secondSeconds, firstSeconds, 0.05) && met;
    met = report("re-binding one sound / first commit", rebindSeconds, firstSeconds, 0.05) && met;
    fs::remove_all(work);
    // Small sizes keep the program working in CI; only the full run judges the goals.
    return met || quick ? 0 : 3;
}
