#pragma once

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

namespace tonarion::testing {

// Paths are UTF-8, as the program's are: on Windows a plain string would be read in the
// system's code page instead.
inline std::filesystem::path utf8Path(const std::string& path) {
    return std::u8string(path.begin(), path.end());
}

// A real file's bytes, or "<missing>" when it cannot be read.
inline std::string readBytes(const std::string& path) {
    std::ifstream in(utf8Path(path), std::ios::binary);
    std::stringstream bytes;
    bytes << in.rdbuf();
    return in ? bytes.str() : "<missing>";
}

inline void writeBytes(const std::string& path, const std::string& bytes) {
    std::ofstream(utf8Path(path), std::ios::binary) << bytes;
}

} // namespace tonarion::testing
