#pragma once

#include <cstddef>
#include <string>

namespace tonarion {

// The lines of a message that lists files or rows: the first few, each ended by CR LF, then
// "..." once for all that did not fit, so that a box never grows taller than the screen.
class ShortList {
public:
    explicit ShortList(std::size_t most)
        : m_most(most) {}

    void add(const std::string& line) {
        if (m_count++ < m_most) {
            m_text += line + "\r\n";
        }
    }

    // How many lines were added, listed or not.
    std::size_t count() const { return m_count; }

    std::string text() const { return m_count > m_most ? m_text + "...\r\n" : m_text; }

private:
    std::size_t m_most;
    std::size_t m_count = 0;
    std::string m_text;
};

} // namespace tonarion
