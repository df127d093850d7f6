#include "storage/WriteAndReplace.h"

namespace tonarion {

FileResult writeUnderTemporaryName(StickFiles& stick, std::string_view tempName,
                                   const std::string& bytes, Flush flush) {
    if (stick.exists(tempName)) {
        stick.deleteFile(tempName);
    }
    auto written =
        flush == Flush::Now ? stick.writeDurably(tempName, bytes) : stick.write(tempName, bytes);
    if (written.failed()) {
        stick.deleteFile(tempName);
    }
    return written;
}

FileResult writeAndReplace(StickFiles& stick, std::string_view tempName, std::string_view name,
                           const std::string& bytes, Flush flush) {
    if (auto written = writeUnderTemporaryName(stick, tempName, bytes, flush); written.failed()) {
        return written;
    }
    return stick.replace(tempName, name);
}

} // namespace tonarion
