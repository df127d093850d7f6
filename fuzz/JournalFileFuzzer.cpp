// The journal reader: a journal on a stick may be cut short, damaged, or made by hand, and the
// next start carries out what it reads. Reading must neither crash nor hand on a name that
// could reach outside the stick, and what it reads must be what the writer meant.

#include "FuzzCheck.h"
#include "storage/JournalFile.h"
#include "storage/StickFiles.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

using namespace tonarion;

namespace {

bool namesArePlain(const StickChange& change) {
    const auto plainMoves = [](const std::vector<StickMove>& moves) {
        return std::all_of(moves.begin(), moves.end(), [](const StickMove& move) {
            return isPlainFileName(move.from) && isPlainFileName(move.to);
        });
    };
    return std::all_of(change.newFiles.begin(), change.newFiles.end(),
                       [](const NewStickFile& file) { return isPlainFileName(file.name); }) &&
           plainMoves(change.moves) && plainMoves(change.movedBefore) &&
           std::all_of(change.deletions.begin(), change.deletions.end(), isPlainFileName);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    const auto change = parseJournal(bytes);
    if (!change) {
        return 0;
    }
    fuzz::require(namesArePlain(*change), "every name in a journal is a plain file name");
    // What the writer makes of a journal reads back the same, and only when written to its end.
    const std::string written = composeJournal(*change);
    fuzz::require(parseJournal(written) == change, "write and read agree");
    fuzz::require(!parseJournal(written.substr(0, written.size() - 1)),
                  "a journal cut short reads as none");
    return 0;
}
