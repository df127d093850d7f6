// The index-file reader over an in-memory stick: whatever a stick's tonkat.tkx holds, reading
// it must neither crash nor put a name into the table that could reach outside the stick.

#include "FuzzCheck.h"
#include "storage/IndexFile.h"
#include "storage/StickFiles.h"
#include "support/FakeFileOperations.h"
#include "support/RecordingUserInterface.h"

#include <cstddef>
#include <cstdint>
#include <string>

using namespace tonarion;

namespace {

bool sameContent(const IndexContent& a, const IndexContent& b) {
    if (a.entries.size() != b.entries.size() || !(a.settings == b.settings)) {
        return false;
    }
    for (std::size_t i = 0; i < a.entries.size(); ++i) {
        if (a.entries[i].entryName != b.entries[i].entryName ||
            a.entries[i].sourcePath != b.entries[i].sourcePath) {
            return false;
        }
    }
    return true;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string bytes(reinterpret_cast<const char*>(data), size);

    const IndexContent content = parseIndexFile(bytes);
    for (const auto& entry : content.entries) {
        fuzz::require(isPlainFileName(entry.entryName), "entry names are plain file names");
    }
    // What the writer makes of a file reads back the same. A file with a byte order mark is
    // read as UTF-8, which Windows-1252 cannot always write back, so it is left out.
    if (!bytes.starts_with("\xEF\xBB\xBF")) {
        const std::string written = composeIndexFile(content.entries, content.settings,
                                                     {.includeEntriesWithoutSource = true});
        fuzz::require(sameContent(parseIndexFile(written), content), "write and read agree");
    }

    testing::FakeFileOperations files;
    files.addFolder("/stick/");
    files.addFile("/stick/tonkat.tkx", bytes);
    testing::RecordingUserInterface ui;
    Session session;
    session.stick().setRoot("/stick/");
    fuzz::require(IndexLesen(session, files, ui, "/opt/tonarion") == IndexReadResult::Read,
                  "an index file that is there is read");
    for (const auto& name : files.filesIn("/stick/")) {
        fuzz::require(name == "tonkat.tkx", "reading writes no file but the index file");
    }
    return 0;
}
