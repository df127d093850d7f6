// The index file's code page: every byte read must come back unchanged when written, and
// whatever text is written must read back as the same text where Windows-1252 can hold it.

#include "FuzzCheck.h"
#include "storage/Windows1252.h"

#include <cstddef>
#include <cstdint>
#include <string>

using namespace tonarion;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string bytes(reinterpret_cast<const char*>(data), size);

    const std::string text = windows1252ToUtf8(bytes);
    fuzz::require(isValidUtf8(text), "reading gives well-formed UTF-8");
    fuzz::require(utf8ToWindows1252(text) == bytes, "bytes read are written back unchanged");

    // The same bytes taken as text the program holds (a dropped path, a typed name).
    const std::string written = utf8ToWindows1252(bytes);
    fuzz::require(written.size() <= bytes.size(), "one byte at most per character");
    fuzz::require(utf8ToWindows1252(windows1252ToUtf8(written)) == written,
                  "written text reads back as itself");
    if (isValidUtf8(bytes) && written.find('?') == std::string::npos) {
        fuzz::require(windows1252ToUtf8(written) == bytes, "text Windows-1252 holds survives");
    }
    return 0;
}
