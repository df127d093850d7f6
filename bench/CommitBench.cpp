// Measures each small action on a full stick against its floor, the least file work it needs,
// and the first commit against cp, on the slow stick (tonarion_slowstick) and on FAT32 images
// mounted with fusefat, for 50, 300 and 668 entries. A floor is measured on the same file
// system in the same run with plain POSIX calls: the renames and unlinks the action requires,
// one rewrite of the index (a temporary file of its size renamed over it) and one flush of
// the folder. The goals are judged on the slow stick at 668 entries.
//
//   tonarion_bench            the full sizes; fusefat up to 300 entries
//   tonarion_bench --long     fusefat at 668 entries too: filling it takes half an hour, as
//                             fusefat searches the folder for every file it creates
//   tonarion_bench --quick    50 entries of small sounds, so that CI keeps this working

#include "event/EventOptions.h"
#include "model/EntryName.h"
#include "storage/StickSelection.h"
#include "storage/platform/linux/LinuxFileOperations.h"
#include "support/FatImage.h"
#include "support/RecordingUserInterface.h"
#include "support/Selections.h"
#include "workspace/StickWorkspace.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <random>
#include <stdexcept>
#include <string>
#include <sys/syscall.h>
#include <unistd.h>
#include <vector>

// syncfs never reaches a FUSE file system: the kernel passes it on to virtiofs only, and
// libfuse has no operation for it. So that the slow stick charges the flush the tool asks
// for, the tool's calls of syncfs land here (this definition takes the place of the C
// library's in this program): the file is flushed first, which reaches the stick as one
// fsync, then the real syncfs runs.
extern "C" int syncfs(int fd) {
    ::fsync(fd);
    return static_cast<int>(::syscall(SYS_syncfs, fd));
}

namespace {

using namespace tonarion;
namespace fs = std::filesystem;

double secondsOf(const std::function<void()>& work) {
    const auto start = std::chrono::steady_clock::now();
    work();
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

void check(bool ok, const std::string& what) {
    if (!ok) {
        throw std::runtime_error(what);
    }
}

// What the slow stick counted: metadata calls and flushes.
struct Calls {
    long metadata = 0;
    long flushes = 0;
    Calls operator-(const Calls& before) const {
        return {metadata - before.metadata, flushes - before.flushes};
    }
};

class BenchStick {
public:
    virtual ~BenchStick() = default;
    virtual std::string root() const = 0; // with a trailing "/"
    virtual std::optional<Calls> calls() const { return std::nullopt; }
};

class FatStick final : public BenchStick {
public:
    FatStick(const std::string& name, int megabytes)
        : m_image(name, megabytes) {}
    std::string root() const override { return m_image.root(); }

private:
    testing::FatImage m_image;
};

class SlowStick final : public BenchStick {
public:
    explicit SlowStick(const std::string& name)
        : m_folder((fs::temp_directory_path() /
                    ("tonarion-slow-" + name + "-" + std::to_string(::getpid())))
                       .string()) {
        fs::remove_all(m_folder);
        fs::create_directories(m_folder + "/backing");
        fs::create_directories(m_folder + "/mnt");
        testing::runCommand(std::string(TONARION_SLOWSTICK) + " '" + m_folder + "/backing' '" +
                            m_folder + "/mnt'");
    }
    ~SlowStick() override {
        if (std::system(("fusermount3 -u '" + m_folder + "/mnt'").c_str()) == 0) {
            fs::remove_all(m_folder);
        }
    }
    std::string root() const override { return m_folder + "/mnt/"; }
    std::optional<Calls> calls() const override {
        std::ifstream stats(root() + ".slowstick-stats");
        std::map<std::string, long> counts;
        std::string kind;
        long number = 0;
        while (stats >> kind >> number) {
            counts[kind] = number;
        }
        return Calls{counts["metadata"], counts["fsync"] + counts["fsyncdir"]};
    }

private:
    std::string m_folder;
};

enum class FileSystem { Slow, Fat };

std::unique_ptr<BenchStick> makeStick(FileSystem system, const std::string& name, int entries,
                                      int kilobytes) {
    if (system == FileSystem::Slow) {
        return std::make_unique<SlowStick>(name);
    }
    return std::make_unique<FatStick>(name, std::max(64, entries * kilobytes / 900 + 48));
}

// The entries of a full stick, each group filled in the share its limit has of 668, in
// blocks: turnouts first, the random sounds last.
std::vector<EventKind> kindsFor(int entries) {
    using enum EventKind;
    const std::vector<std::pair<EventKind, int>> limits = {
        {Kontakt, 63}, {Uhrzeit, 96}, {Endlos, 127}, {Zufall, 127}};
    std::vector<EventKind> kinds;
    for (const auto& [kind, limit] : limits) {
        kinds.insert(kinds.end(), static_cast<std::size_t>(limit * entries / 668), kind);
    }
    kinds.insert(kinds.begin(), static_cast<std::size_t>(entries) - kinds.size(), Magnetartikel);
    return kinds;
}

// The event dialog's choices for the n-th entry of its kind, so that no two rows collide.
EventSelection selectionFor(EventKind kind, int n) {
    if (kind == EventKind::Magnetartikel) {
        return testing::turnoutSelection(1, std::to_string(n));
    }
    EventSelection sel;
    sel.selEreignis = static_cast<int>(kind);
    sel.selModus = Option2[1].codeText;
    sel.selWert = ChosenListEntry{n - 1, std::to_string(n)};
    if (kind == EventKind::Kontakt) {
        sel.selStatus = optKON[0].codeText;
        sel.selWert = ChosenListEntry{1, "2"};
        sel.selKontaktVon = std::to_string(n);
        sel.selKontaktBis = "";
    }
    return sel;
}

std::vector<std::string> makeSounds(const fs::path& folder, int count, int minKb, int maxKb) {
    fs::create_directories(folder);
    std::mt19937 random(42);
    std::uniform_int_distribution<int> kilobytes(minKb, maxKb);
    std::vector<std::string> paths;
    for (int i = 1; i <= count; ++i) {
        std::string bytes(static_cast<std::size_t>(kilobytes(random)) * 1024, '\0');
        std::generate(bytes.begin(), bytes.end(), [&] { return static_cast<char>(random()); });
        paths.push_back((folder / ("sound" + std::to_string(i) + ".mp3")).string());
        std::ofstream(paths.back(), std::ios::binary) << bytes;
    }
    return paths;
}

void writeFile(const std::string& path, std::size_t bytes) {
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    const std::string data(bytes, 'x');
    check(fd >= 0 && ::write(fd, data.data(), data.size()) == static_cast<ssize_t>(bytes) &&
              ::close(fd) == 0,
          "cannot write " + path);
}

void flushFolder(const std::string& folder) {
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY);
    check(fd >= 0, "cannot open " + folder);
    ::fsync(fd);
    ::close(fd);
}

// What cp does for each file: a new target, 128 KiB reads and writes. In this program, so that
// starting a process per file does not count against the tool.
void copyFile(const std::string& source, const std::string& target) {
    const int in = ::open(source.c_str(), O_RDONLY);
    const int out = ::open(target.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    check(in >= 0 && out >= 0, "cannot copy " + source);
    std::vector<char> buffer(128 * 1024);
    for (ssize_t got; (got = ::read(in, buffer.data(), buffer.size())) > 0;) {
        check(::write(out, buffer.data(), static_cast<std::size_t>(got)) == got, "short write");
    }
    ::close(in);
    ::close(out);
}

// The least file work of an action: unlinks, then renames that each move a file one name
// down as the random renumbering does, the index rewritten, one flush. A change that renames
// must first have its plan on the medium, since a stick that loses power keeps unflushed
// writes in any order: a small file written and flushed before the first rename, two flushes
// in all. The files are laid out untimed beforehand and removed afterwards; they stand in the
// stick's root beside the program's files, since the cost of a name depends on the folder it
// is in.
double floorSeconds(const BenchStick& stick, int unlinks, int renames, std::size_t soundBytes,
                    Calls* calls) {
    const std::string root = stick.root();
    const auto name = [&](int i) {
        return root + "floor-" + std::to_string(i) + ".bin";
    };
    const std::size_t indexBytes = fs::file_size(root + "tonkat.tkx");
    for (int i = 0; i < unlinks; ++i) {
        writeFile(root + "floor-gone-" + std::to_string(i) + ".bin", soundBytes);
    }
    for (int i = 1; i <= renames; ++i) {
        writeFile(name(i), 0);
    }
    writeFile(root + "floor-index", indexBytes);
    flushFolder(root);
    const auto before = stick.calls();
    const double seconds = secondsOf([&] {
        if (renames > 0) {
            writeFile(root + "floor-plan", 100);
            flushFolder(root);
        }
        for (int i = 0; i < unlinks; ++i) {
            check(::unlink((root + "floor-gone-" + std::to_string(i) + ".bin").c_str()) == 0,
                  "floor unlink");
        }
        for (int i = 1; i <= renames; ++i) {
            check(::rename(name(i).c_str(), name(i - 1).c_str()) == 0, "floor rename");
        }
        writeFile(root + "floor-index.tmp", indexBytes);
        check(::rename((root + "floor-index.tmp").c_str(), (root + "floor-index").c_str()) == 0,
              "floor index");
        flushFolder(root);
    });
    if (before) {
        *calls = *stick.calls() - *before;
    }
    for (int i = 0; i < renames; ++i) {
        fs::remove(name(i));
    }
    fs::remove(root + "floor-index");
    fs::remove(root + "floor-plan");
    return seconds;
}

struct Measurement {
    std::string action;
    double seconds = 0;
    double floor = 0;
    std::optional<Calls> calls, floorCalls;
    double goal = 0; // the largest ratio allowed; 0: not judged here
};

// A stick filled with `entries` bound sounds by the tool itself; the first commit is measured.
class FilledStick {
public:
    FilledStick(std::unique_ptr<BenchStick> stick, const std::vector<std::string>& sounds,
                const fs::path& programFolder)
        : m_stick(std::move(stick))
        , m_workspace(m_session, m_files, m_ui) {
        m_session.stick().setRoot(m_stick->root());
        check(gueltigeAuswahl(m_session, m_files, m_ui) &&
                  m_workspace.load(programFolder.string()) == IndexReadResult::Read,
              "the stick takes no index file");
        m_workspace.dropFiles(sounds);
        std::map<EventKind, int> numbers;
        const std::vector<EventKind> kinds = kindsFor(static_cast<int>(sounds.size()));
        for (int row = 1; row <= static_cast<int>(kinds.size()); ++row) {
            const auto entry =
                m_workspace.compose(row, selectionFor(kinds[row - 1], ++numbers[kinds[row - 1]]));
            check(entry.has_value(), "composing failed: " + entry.outcome().text());
            m_session.table().replaceRow(row, entry->boundTo(m_session.table().row(row)));
        }
    }

    BenchStick& stick() { return *m_stick; }

    // Runs an action as the user starts it; it must end without a message.
    Measurement measure(const std::string& action, const std::function<void()>& work) {
        const auto before = m_stick->calls();
        const std::size_t messages = m_ui.messages.size();
        Measurement result;
        result.action = action;
        result.seconds = secondsOf(work);
        check(m_ui.messages.size() == messages && !m_session.SaveNeeded(),
              action + " failed: " + m_ui.lastText());
        if (before) {
            result.calls = *m_stick->calls() - *before;
        }
        return result;
    }

    void commit() {
        const Outcome committed = m_workspace.commit();
        check(static_cast<bool>(committed), "commit failed: " + committed.text());
    }

    void deleteRow(int row) {
        const Outcome deleted = m_workspace.deleteRow(row);
        check(static_cast<bool>(deleted), "deleting failed: " + deleted.text());
    }

    void rebind(int row, const EventSelection& selection) {
        const std::string oldName = m_session.table().row(row).entryName;
        const auto entry = m_workspace.compose(row, selection);
        check(entry.has_value(), "composing failed: " + entry.outcome().text());
        const Outcome committed = m_workspace.applyEventResult(row, oldName, *entry);
        check(static_cast<bool>(committed), "re-binding failed: " + committed.text());
        check(fs::exists(m_stick->root() + entry->entryName()), "re-bound sound is missing");
    }

    void changeVolume(int value) {
        SettingsForm form = m_workspace.openSettings();
        form.setFormLayout();
        form.volumeChanged(value);
        m_ui.setNextAnswer(MessageAnswer::Yes);
        const Outcome closed = m_workspace.closeSettings(form);
        check(static_cast<bool>(closed), "the setting did not change: " + closed.text());
        m_ui.messages.pop_back(); // the save question
    }

    int rowOfRandom(const std::string& number) const {
        for (int row = 1; row < m_session.table().nextRow(); ++row) {
            const std::string& name = m_session.table().row(row).entryName;
            if (kindOf(name) == 'Z' && parseEntryName(name).number1 == number) {
                return row;
            }
        }
        throw std::runtime_error("no random entry " + number);
    }

    int rowCount(EventKind kind) const {
        const char letter = kindOption(kind).letter;
        int count = 0;
        for (int row = 1; row < m_session.table().nextRow(); ++row) {
            count += kindOf(m_session.table().row(row).entryName) == letter;
        }
        return count;
    }

private:
    std::unique_ptr<BenchStick> m_stick;
    LinuxFileOperations m_files;
    testing::RecordingUserInterface m_ui;
    Session m_session;
    StickWorkspace m_workspace;
};

std::string callsText(const std::optional<Calls>& calls, bool flushes) {
    if (!calls) {
        return "-";
    }
    return std::to_string(flushes ? calls->flushes : calls->metadata);
}

// Prints one line of the table; false when its goal is missed.
bool report(const Measurement& m, int entries, const char* system) {
    const double ratio = m.seconds / m.floor;
    const bool met = m.goal == 0 || ratio <= m.goal;
    char goal[16] = "";
    if (m.goal > 0) {
        std::snprintf(goal, sizeof goal, "<= %.2f", m.goal);
    }
    std::printf("%-22s %4d  %-10s %8.3f %8.3f %7.2f  %-8s %-6s %6s/%-5s %3s/%-3s\n",
                m.action.c_str(), entries, system, m.seconds, m.floor, ratio, goal,
                m.goal > 0 ? (met ? "met" : "MISSED") : "", callsText(m.calls, false).c_str(),
                callsText(m.floorCalls, false).c_str(), callsText(m.calls, true).c_str(),
                callsText(m.floorCalls, true).c_str());
    return met;
}

// The floor of the first commit: cp of the same sounds onto an equal fresh stick, under the
// names the tool gave them, and sync -f.
void measureCopy(Measurement& commit, FileSystem system, const std::vector<std::string>& sounds,
                 const std::string& committedRoot, int kilobytes) {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(committedRoot)) {
        const std::string name = entry.path().filename().string();
        if (name.ends_with(".mp3") && !name.starts_with("SET_")) {
            names.push_back(name);
        }
    }
    std::sort(names.begin(), names.end());
    check(names.size() == sounds.size(), "the first commit wrote a different file count");
    const auto target = makeStick(system, "cp", static_cast<int>(sounds.size()), kilobytes);
    const auto before = target->calls();
    commit.floor = secondsOf([&] {
        for (std::size_t i = 0; i < sounds.size(); ++i) {
            copyFile(sounds[i], target->root() + names[i]);
        }
        // sync -f, in this program so that its flush reaches the slow stick (see syncfs).
        const int root = ::open(target->root().c_str(), O_RDONLY | O_DIRECTORY);
        check(root >= 0 && syncfs(root) == 0, "syncfs failed");
        ::close(root);
    });
    if (before) {
        commit.floorCalls = *target->calls() - *before;
    }
}

void measureFloor(Measurement& action, const BenchStick& stick, int unlinks, int renames,
                  std::size_t soundBytes) {
    Calls calls;
    action.floor = floorSeconds(stick, unlinks, renames, soundBytes, &calls);
    if (action.calls) {
        action.floorCalls = calls;
    }
}

// One file system at one size: the first commit against cp and each small action against its
// floor. Returns false when a judged goal is missed.
bool measureSize(FileSystem system, int entries, const std::vector<std::string>& allSounds,
                 const fs::path& work, bool judged) {
    const char* systemName = system == FileSystem::Slow ? "slow stick" : "fusefat";
    const std::vector<std::string> sounds(allSounds.begin(), allSounds.begin() + entries);
    std::uintmax_t totalBytes = 0;
    for (const auto& sound : sounds) {
        totalBytes += fs::file_size(sound);
    }
    const std::size_t soundBytes = totalBytes / sounds.size();
    const int kilobytes = static_cast<int>(soundBytes / 1024) + 1;

    FilledStick filled(makeStick(system, "bench", entries, kilobytes), sounds, work);
    Measurement commit = filled.measure("first commit / cp", [&] { filled.commit(); });
    measureCopy(commit, system, sounds, filled.stick().root(), kilobytes);
    commit.goal = judged ? 1.10 : 0;

    // A turnout from the middle goes first: at 668 entries every group is full, and only
    // then may a turnout be bound to another address.
    const int turnouts = filled.rowCount(EventKind::Magnetartikel);
    Measurement deletion =
        filled.measure("delete one row", [&] { filled.deleteRow(turnouts / 2); });
    measureFloor(deletion, filled.stick(), 1, 0, soundBytes);
    Measurement rebind = filled.measure(
        "re-bind one sound", [&] { filled.rebind(1, testing::turnoutSelection(1, "2000")); });
    measureFloor(rebind, filled.stick(), 0, 1, soundBytes);
    Measurement setting = filled.measure("change one setting", [&] { filled.changeVolume(20); });
    measureFloor(setting, filled.stick(), 0, 1, soundBytes);
    const int randoms = filled.rowCount(EventKind::Zufall);
    Measurement randomDeletion =
        filled.measure("delete random 1 of " + std::to_string(randoms),
                       [&] { filled.deleteRow(filled.rowOfRandom("0001")); });
    measureFloor(randomDeletion, filled.stick(), 1, randoms - 1, soundBytes);

    bool met = report(commit, entries, systemName);
    for (Measurement* action : {&deletion, &rebind, &setting, &randomDeletion}) {
        action->goal = judged ? 1.5 : 0;
        met = report(*action, entries, systemName) && met;
    }
    if (rebind.calls) {
        const long calls = rebind.calls->metadata;
        const bool callsMet = !judged || calls <= 20;
        std::printf("%-22s %4d  %-10s %8ld calls%19s%-8s %s\n", "re-bind: metadata calls", entries,
                    systemName, calls, "", judged ? "<= 20" : "",
                    judged ? (callsMet ? "met" : "MISSED") : "");
        met = met && callsMet;
    }
    std::fflush(stdout);
    return met;
}

} // namespace

int main(int argc, char** argv) {
    const std::string mode = argc > 1 ? argv[1] : "";
    const bool quick = mode == "--quick";
    struct Size {
        FileSystem system;
        int entries;
    };
    std::vector<Size> sizes = {{FileSystem::Slow, 50}, {FileSystem::Fat, 50}};
    if (!quick) {
        sizes.insert(sizes.end(),
                     {{FileSystem::Slow, 300}, {FileSystem::Fat, 300}, {FileSystem::Slow, 668}});
    }
    if (mode == "--long") {
        sizes.push_back({FileSystem::Fat, 668});
    }
    std::string folder = (fs::temp_directory_path() / "tonarion-bench-XXXXXX").string();
    if (::mkdtemp(folder.data()) == nullptr) {
        std::perror("mkdtemp");
        return 1;
    }
    const fs::path work = folder;
    const auto [minKb, maxKb] = quick ? std::pair{10, 20} : std::pair{100, 200};
    const std::vector<std::string> sounds = makeSounds(work / "music", 668, minKb, maxKb);

    std::printf("Sounds of %d to %d KB. Slow stick: 10 MB/s, 5 ms per metadata change, "
                "20 ms per flush.\n",
                minKb, maxKb);
    std::printf("%-22s %4s  %-10s %8s %8s %7s  %-8s %-6s %12s %7s\n", "action", "N", "file system",
                "seconds", "floor", "ratio", "goal", "", "metadata", "flushes");
    bool met = true;
    try {
        for (const auto [system, entries] : sizes) {
            const bool judged = system == FileSystem::Slow && entries == 668;
            met = measureSize(system, entries, sounds, work, judged) && met;
        }
    } catch (const std::exception& error) {
        std::fprintf(stderr, "%s\n", error.what());
        fs::remove_all(work);
        return 1;
    }
    fs::remove_all(work);
    // Small sizes keep the program working in CI; only the full run judges the goals.
    return met || quick ? 0 : 3;
}
