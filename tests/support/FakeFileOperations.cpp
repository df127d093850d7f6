#include "support/FakeFileOperations.h"

#include <algorithm>
#include <functional>
#include <numeric>

#ifdef __linux__
#include <sys/syscall.h>
#include <unistd.h>

namespace {
int kernelFlushes = 0;
bool witnessing = false; // the flushes of flushLike's platform cost nothing: they are counted
} // namespace

// Every flush the program's file operations ask of the kernel is counted, for flushLike.
extern "C" int syncfs(int fd) noexcept {
    ++kernelFlushes;
    return witnessing ? 0 : static_cast<int>(::syscall(SYS_syncfs, fd));
}
extern "C" int fsync(int fd) {
    ++kernelFlushes;
    return witnessing ? 0 : static_cast<int>(::syscall(SYS_fsync, fd));
}
int tonarion::testing::kernelFlushCount() {
    return kernelFlushes;
}
#endif

namespace tonarion::testing {
namespace {

// The separators of the system's paths: a stick root the system spells, such as the one
// stickRootOf() makes of a --stick folder, ends in '\' on Windows.
#ifdef _WIN32
constexpr const char* Separators = "/\\";
#else
constexpr const char* Separators = "/";
#endif

std::string folderOf(const std::string& path) {
    return path.substr(0, path.find_last_of(Separators) + 1); // "" without a folder
}

std::error_code errorOf(std::errc code) {
    return std::make_error_code(code);
}

} // namespace

void FakeFileOperations::addFile(const std::string& path, const std::string& content,
                                 double modified) {
    m_folders.insert(folderOf(path));
    m_files[path] = m_flushed[path] = File{content, modified};
}

void FakeFileOperations::record(const char* kind, Change change) {
    ++writes[kind];
    m_changes.push_back(std::move(change));
}

void FakeFileOperations::flush() {
    m_flushed = m_files;
    m_changes.clear();
    ++flushes;
}

// Whether the platform flushes when it does the same: without one, the fake keeps its word.
bool FakeFileOperations::flushedBy(
    const std::function<void(FileOperations&, const std::string&)>& same) {
    if (!m_platform) {
        return true;
    }
#ifdef __linux__
    const int before = kernelFlushes;
    witnessing = true;
    same(*m_platform, m_scratch);
    witnessing = false;
    return kernelFlushes != before;
#else
    same(*m_platform, m_scratch);
    return true;
#endif
}

FileResult FakeFileOperations::flushMedium(const std::string& folder) {
    if (gone(folder)) {
        return FileResult(folder, errorOf(std::errc::no_such_device));
    }
    if (flushedBy([](FileOperations& platform, const std::string& scratch) {
            platform.flushMedium(scratch);
        })) {
        flush();
    }
    return FileResult(folder);
}

std::vector<FakeFileOperations> FakeFileOperations::afterPowerLoss(std::size_t last) const {
    // A rename whose file a write or copy made that has not arrived names a torn file: the
    // name may reach the medium before the bytes.
    const auto apply = [](Files files, const Change& change, bool torn) {
        files.erase(change.from);
        if (change.file) {
            files[change.path] = *change.file;
            files[change.path].content.resize(torn ? change.file->content.size() / 2
                                                   : change.file->content.size());
        } else {
            files.erase(change.path);
        }
        return files;
    };
    const std::size_t first = m_changes.size() - std::min(last, m_changes.size());
    Files arrived = m_flushed;
    for (std::size_t i = 0; i < first; ++i) {
        arrived = apply(arrived, m_changes[i], false);
    }
    std::set<Files> states;
    std::set<std::pair<std::vector<bool>, Files>> seen;
    std::vector<bool> used(m_changes.size() - first);
    const std::function<void(const Files&)> walk = [&](const Files& files) {
        if (!seen.emplace(used, files).second) {
            return;
        }
        states.insert(files);
        for (std::size_t i = 0; i < used.size(); ++i) {
            const Change& change = m_changes[first + i];
            const bool bytesMissing =
                change.madeBy && *change.madeBy >= first && !used[*change.madeBy - first];
            for (int torn = bytesMissing; !used[i] && torn <= (change.tearable || bytesMissing);
                 ++torn) {
                used[i] = true;
                walk(apply(files, change, torn != 0));
                used[i] = false;
            }
        }
    };
    walk(arrived);
    std::vector<FakeFileOperations> sticks;
    for (const Files& files : states) {
        FakeFileOperations& stick = sticks.emplace_back(*this);
        stick.m_files = stick.m_flushed = files;
        stick.m_changes.clear();
        stick.m_locked = std::make_shared<std::set<std::string>>();
        stick.pullStickAt(std::numeric_limits<int>::max(), m_stickRoot);
    }
    return sticks;
}

void FakeFileOperations::remount(const std::string& from, const std::string& to) {
    flush();
    Files moved;
    for (const auto& [path, file] : m_files) {
        moved[path.starts_with(from) ? to + path.substr(from.size()) : path] = file;
    }
    m_files = m_flushed = moved;
    m_folders.erase(from);
    m_folders.insert(to);
}

std::string FakeFileOperations::content(const std::string& path) const {
    const auto found = m_files.find(path);
    return found == m_files.end() ? "<missing>" : found->second.content;
}

std::vector<std::string> FakeFileOperations::filesIn(const std::string& folder) const {
    std::vector<std::string> names;
    for (const auto& [path, file] : m_files) {
        if (folderOf(path) == folder) {
            names.push_back(path.substr(folder.size()));
        }
    }
    return names;
}

bool FakeFileOperations::gone(const std::string& path, const std::string& other) {
    const bool onStick = path.starts_with(m_stickRoot) || other.starts_with(m_stickRoot);
    m_refusing = m_refusing || (operations >= m_refuseAt && onStick);
    const bool failed = operations++ >= m_pullAt && onStick;
    pulled = pulled || failed;
    return failed;
}

std::error_code FakeFileOperations::canWrite(const std::string& path, std::size_t bytes) const {
    if (!m_folders.contains(folderOf(path))) {
        return errorOf(std::errc::no_such_file_or_directory);
    }
    if (readOnly(path)) {
        return errorOf(std::errc::read_only_file_system);
    }
    const auto existing = m_files.find(path);
    const std::size_t freed = existing == m_files.end() ? 0 : existing->second.content.size();
    return used() - freed + bytes > m_capacity ? errorOf(std::errc::no_space_on_device)
                                               : std::error_code{};
}

std::size_t FakeFileOperations::used() const {
    return std::accumulate(
        m_files.begin(), m_files.end(), std::size_t{0},
        [](std::size_t sum, const auto& file) { return sum + file.second.content.size(); });
}

FileResult FakeFileOperations::ShellDelete(const std::string& path) {
    if (gone(path)) {
        return FileResult(path, errorOf(std::errc::no_such_device));
    }
    if (readOnly(path)) {
        return FileResult(path, errorOf(std::errc::read_only_file_system));
    }
    if (!m_files.erase(path)) {
        return FileResult(path, errorOf(std::errc::no_such_file_or_directory));
    }
    record("delete", {path, std::nullopt, "", false, {}});
    return FileResult(path);
}

FileResult FakeFileOperations::CopyFileReplace(const std::string& source, const std::string& target,
                                               const CopyProgress& progress) {
    const auto found = m_files.find(source);
    if (gone(source, target) || found == m_files.end()) {
        return FileResult(target, errorOf(std::errc::no_such_file_or_directory));
    }
    if (source == target) {
        return FileResult(target, errorOf(std::errc::file_exists));
    }
    if (m_unreadable.contains(source)) {
        return FileResult(target, errorOf(std::errc::permission_denied));
    }
    if (const auto error = canWrite(target, found->second.content.size())) {
        return FileResult(target, error);
    }
    // A copy keeps the source's modification time; one over a file arrives whole.
    const bool whole =
        has(target) && flushedBy([](FileOperations& platform, const std::string& scratch) {
            platform.writeFile(scratch + "a", "a");
            platform.writeFile(scratch + "b", "b");
            platform.CopyFileReplace(scratch + "a", scratch + "b", {});
        });
    m_files[target] = found->second;
    record("copy", {target, found->second, "", !whole, {}});
    if (progress) {
        progress(found->second.content.size(), found->second.content.size());
    }
    return FileResult(target);
}

// Folders are named with their trailing "/", as addFolder takes them.
FileResult FakeFileOperations::deleteFolder(const std::string& path) {
    const std::string folder = path.ends_with('/') ? path : path + '/';
    if (gone(path)) {
        return FileResult(path, errorOf(std::errc::no_such_device));
    }
    if (!m_folders.contains(folder)) {
        return FileResult(path, errorOf(has(path) ? std::errc::not_a_directory
                                                  : std::errc::no_such_file_or_directory));
    }
    if (readOnly(path)) {
        return FileResult(path, errorOf(std::errc::read_only_file_system));
    }
    std::erase_if(m_files, [&](const auto& file) { return file.first.starts_with(folder); });
    std::erase_if(m_folders, [&](const std::string& inner) { return inner.starts_with(folder); });
    ++writes["delete"];
    return FileResult(path);
}

FileResult FakeFileOperations::EnsureFile(const std::string& path) {
    if (gone(path)) {
        return FileResult(path, errorOf(std::errc::no_such_device));
    }
    if (m_files.contains(path)) {
        return FileResult(path);
    }
    if (const auto error = canWrite(path, 0)) {
        return FileResult(path, error);
    }
    m_files[path] = File{};
    record("create", {path, File{}, "", false, {}});
    return FileResult(path);
}

// A rename fails when the target exists; a replacement moves over it.
std::error_code FakeFileOperations::move(const std::string& from, const std::string& to,
                                         bool replacing) {
    const auto found = m_files.find(from);
    if (gone(from, to) || found == m_files.end()) {
        return errorOf(std::errc::no_such_file_or_directory);
    }
    if (!replacing && m_files.contains(to)) {
        return errorOf(std::errc::file_exists);
    }
    if (const auto error = canWrite(to, 0)) {
        return error;
    }
    const File moved = found->second;
    m_files.erase(found);
    m_files[to] = moved;
    std::optional<std::size_t> madeBy;
    for (std::size_t i = m_changes.size(); i-- > 0;) {
        if (m_changes[i].path == from) {
            madeBy =
                m_changes[i].file && m_changes[i].from.empty() ? std::optional(i) : std::nullopt;
            break;
        }
    }
    record(replacing ? "replace" : "rename", {to, moved, from, false, madeBy});
    return {};
}

FileValue<std::string> FakeFileOperations::readFile(const std::string& path) {
    const auto found = m_files.find(path);
    if (gone(path) || found == m_files.end()) {
        return {path, errorOf(std::errc::no_such_file_or_directory)};
    }
    if (m_unreadable.contains(path)) {
        return {path, errorOf(std::errc::permission_denied)};
    }
    return {path, found->second.content};
}

FileResult FakeFileOperations::write(const std::string& path, const std::string& bytes,
                                     bool durably) {
    if (gone(path)) {
        return FileResult(path, errorOf(std::errc::no_such_device));
    }
    if (const auto error = canWrite(path, bytes.size())) {
        return FileResult(path, error);
    }
    m_files[path] = File{bytes};
    record("write", {path, File{bytes}, "", true, {}});
    if (durably && flushedBy([](FileOperations& platform, const std::string& scratch) {
            platform.writeFileDurably(scratch + "w", "w");
        })) {
        flush();
    }
    return FileResult(path);
}

FileValue<FileStatus> FakeFileOperations::status(const std::string& path) {
    const auto found = m_files.find(path);
    if (gone(path) || found == m_files.end()) {
        return {path, errorOf(std::errc::no_such_file_or_directory)};
    }
    return {path, FileStatus{found->second.content.size(), found->second.modified}};
}

FileValue<FileIdentity> FakeFileOperations::identity(const std::string& path) {
    const bool endsInSeparator = !path.empty() && folderOf(path).size() == path.size();
    const std::string folder = endsInSeparator ? path : path + '/';
    const bool isFolder = m_folders.contains(folder);
    if (gone(path) || (!isFolder && !has(path))) {
        return {path, errorOf(std::errc::no_such_file_or_directory)};
    }
    return {path,
            FileIdentity{isFolder ? 1u : 0u, std::hash<std::string>{}(isFolder ? folder : path)}};
}

FileValue<FreeSpace> FakeFileOperations::freeSpace(const std::string& folder) {
    if (gone(folder)) {
        return {folder, errorOf(std::errc::no_such_device)};
    }
    return {folder,
            FreeSpace{m_capacity == std::size_t(-1) ? std::uintmax_t(1) << 40 : m_capacity - used(),
                      1}};
}

FileValue<std::vector<std::string>> FakeFileOperations::listFiles(const std::string& folder) {
    if (gone(folder) || !m_folders.contains(folder)) {
        return {folder, errorOf(std::errc::no_such_file_or_directory)};
    }
    return {folder, filesIn(folder)};
}

FileValue<std::unique_ptr<FolderLock>> FakeFileOperations::lockFolder(const std::string& folder) {
    class Lock final : public FolderLock {
    public:
        Lock(std::shared_ptr<std::set<std::string>> locked, std::string folder)
            : m_locked(std::move(locked))
            , m_folder(std::move(folder)) {}
        ~Lock() override { m_locked->erase(m_folder); }

    private:
        std::shared_ptr<std::set<std::string>> m_locked;
        std::string m_folder;
    };
    if (!m_locked->insert(folder).second) {
        return {folder, errorOf(std::errc::device_or_resource_busy)};
    }
    return {folder, std::make_unique<Lock>(m_locked, folder)};
}

FileValue<VolumeInfo> FakeFileOperations::volumeInfo(const std::string& folder) {
    if (gone(folder) || !m_volume) {
        return {folder, errorOf(std::errc::operation_not_supported)};
    }
    return {folder, *m_volume};
}

} // namespace tonarion::testing
