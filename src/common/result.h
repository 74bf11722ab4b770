#pragma once
// Result of an operation that can fail on its input: either a value or an Error that
// says what went wrong and where. Exceptions are kept for bugs and out-of-memory.

#include <string>
#include <utility>
#include <variant>

namespace sorvane {

enum class ErrorCode {
    NotFound,        // the file or folder does not exist
    Unreadable,      // exists but cannot be read (permissions, a directory, I/O error)
    Unwritable,      // an output file cannot be created or written
    DiskFull,        // writing stopped because the device has no space left
    WouldOverwrite,  // an output file would replace the source document itself
    BinaryInput,     // the document is neither text nor HTML
    BadInput,        // input the operation cannot use (bad parameter, malformed file)
    Cancelled,       // the caller asked the work to stop
    OutputExists,    // the output file exists and the caller asked not to replace it
    NoStory,         // a web page with no story (a table of contents), left out as asked
};

struct Error {
    ErrorCode code = ErrorCode::BadInput;
    std::string message;  // why, in words a user understands (UTF-8, Simplified Chinese)
    std::string where;    // the file it concerns (UTF-8), may be empty

    // "where: message", or just the message when there is no file.
    std::string describe() const { return where.empty() ? message : where + ": " + message; }
};

template <typename T>
class [[nodiscard]] Result {
public:
    Result(T value) : m_data(std::move(value)) {}
    Result(Error error) : m_data(std::move(error)) {}

    bool ok() const { return std::holds_alternative<T>(m_data); }
    explicit operator bool() const { return ok(); }

    T& value() & { return std::get<T>(m_data); }
    const T& value() const& { return std::get<T>(m_data); }
    T&& value() && { return std::get<T>(std::move(m_data)); }
    T* operator->() { return &value(); }
    const T* operator->() const { return &value(); }
    T& operator*() & { return value(); }
    const T& operator*() const& { return value(); }

    const Error& error() const { return std::get<Error>(m_data); }

private:
    std::variant<T, Error> m_data;
};

// Result of an operation that returns nothing but can fail.
struct Ok {};
using Status = Result<Ok>;

}  // namespace sorvane
