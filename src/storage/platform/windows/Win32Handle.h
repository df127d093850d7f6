#pragma once

#ifdef _WIN32

#include <windows.h>

namespace tonarion {

// Owns one handle of the kind Close releases and releases it when it goes out of scope. Both
// CreateFileW and FindFirstFileW say "no handle" with INVALID_HANDLE_VALUE.
template <BOOL(WINAPI* Close)(HANDLE)>
class Win32Handle final {
public:
    explicit Win32Handle(HANDLE handle)
        : m_handle(handle) {}
    ~Win32Handle() {
        if (valid()) {
            Close(m_handle);
        }
    }
    Win32Handle(const Win32Handle&) = delete;
    Win32Handle& operator=(const Win32Handle&) = delete;

    HANDLE get() const { return m_handle; }
    bool valid() const { return m_handle != INVALID_HANDLE_VALUE && m_handle != nullptr; }

    // Releases now; false when the release failed (for a file: its last write-back).
    bool close() {
        const HANDLE handle = m_handle;
        m_handle = INVALID_HANDLE_VALUE;
        return Close(handle) != FALSE;
    }

private:
    HANDLE m_handle;
};

using FileHandle = Win32Handle<&CloseHandle>;
using FindHandle = Win32Handle<&FindClose>;

} // namespace tonarion

#endif
