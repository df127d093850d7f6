#pragma once

#ifdef _WIN32

#include <filesystem>
#include <string>
#include <string_view>

namespace tonarion::testing {

// A fresh folder in the temporary folder, removed with everything in it at the end. By default
// its name holds Polish and Greek letters, so that every path a test hands to the file
// operations lies outside the ANSI code page. The helpers go through std::filesystem, not
// through the code under test.
class WindowsTestFolder final {
public:
    explicit WindowsTestFolder(std::string_view stem = "Tonarion Źdźbło Ωμέγα");
    ~WindowsTestFolder();
    WindowsTestFolder(const WindowsTestFolder&) = delete;
    WindowsTestFolder& operator=(const WindowsTestFolder&) = delete;

    // The UTF-8 path of name in the folder; of the folder itself, with its "\", for "".
    std::string path(std::string_view name = "") const;
    std::filesystem::path native(std::string_view name = "") const;

    void write(std::string_view name, const std::string& bytes) const;
    // The file's bytes, or "<missing>".
    std::string read(std::string_view name) const;
    bool exists(std::string_view name) const { return std::filesystem::exists(native(name)); }

private:
    std::filesystem::path m_folder;
};

} // namespace tonarion::testing

#endif
