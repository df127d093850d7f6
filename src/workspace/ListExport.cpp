#include "workspace/ListExport.h"

namespace tonarion {

FileResult writeExportedList(FileOperations& computer, const std::string& path,
                             const std::string& bytes) {
    const std::string temporary = path + CopySuffix;
    FileResult written = computer.writeFile(temporary, bytes);
    if (written.ok()) {
        written = computer.replaceFile(temporary, path);
    }
    if (written.failed() && computer.FileExists(temporary)) {
        computer.ShellDelete(temporary); // a leftover the user would not know what to do with
    }
    return written;
}

} // namespace tonarion
