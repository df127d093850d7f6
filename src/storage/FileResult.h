#pragma once

#include <optional>
#include <string>
#include <system_error>
#include <utility>

namespace tonarion {

// What a file operation that can fail tells its caller: why it failed (an empty error_code on
// success) and the file it concerns, named as the caller named it, so that whoever reports
// the failure has both in one value. An operation on two files concerns the one it makes or
// changes: a copy or a rename its target.
class FileResult {
public:
    FileResult() = default;
    explicit FileResult(std::string file, std::error_code error = {})
        : m_file(std::move(file))
        , m_error(error) {}

    const std::string& file() const { return m_file; }
    std::error_code error() const { return m_error; }
    bool ok() const { return !m_error; }
    bool failed() const { return static_cast<bool>(m_error); }

    // The same outcome, for the file under the name a caller of a wrapper knows it by.
    FileResult namedAs(std::string file) const { return FileResult(std::move(file), m_error); }

private:
    std::string m_file;
    std::error_code m_error;
};

// The result of an operation that reads something: the value, or why there is none. It reads
// like the std::optional it carries, so that "nothing" keeps its meaning at every caller, and
// it never holds a value and an error at once.
template <typename T>
class FileValue : public FileResult {
public:
    FileValue(std::string file, T value)
        : FileResult(std::move(file))
        , m_value(std::move(value)) {}
    // A failure always says why: one without a cause of its own counts as an I/O error.
    FileValue(std::string file, std::error_code error)
        : FileResult(std::move(file), error ? error : std::make_error_code(std::errc::io_error)) {}

    explicit operator bool() const { return m_value.has_value(); }
    bool has_value() const { return m_value.has_value(); }
    const T& operator*() const& { return *m_value; }
    T& operator*() & { return *m_value; }
    const T* operator->() const { return &*m_value; }
    T* operator->() { return &*m_value; }
    const T& value() const& { return m_value.value(); }
    template <typename U>
    T value_or(U&& fallback) const& {
        return m_value.value_or(std::forward<U>(fallback));
    }
    template <typename U>
    T value_or(U&& fallback) && {
        return std::move(m_value).value_or(std::forward<U>(fallback));
    }

    // For whoever keeps "nothing" as a value of its own, as the stick's file cache does.
    const std::optional<T>& optional() const& { return m_value; }
    std::optional<T> optional() && { return std::move(m_value); }

    // The same outcome under the name a caller of a wrapper knows the file by.
    FileValue namedAs(std::string file) && {
        static_cast<FileResult&>(*this) = FileResult::namedAs(std::move(file));
        return std::move(*this);
    }

private:
    std::optional<T> m_value;
};

} // namespace tonarion
