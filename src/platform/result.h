#pragma once

#include <optional>
#include <utility>
#include <variant>

namespace findolin {

// Why a call to the operating system did not give what was asked.
enum class OsError {
    NotFound,      // no such file or folder
    NotAFolder,    // the path names something else
    NotAFile,      // the path names a folder, a device or a pipe, not a file
    AlreadyExists, // the new name is taken
    AccessDenied,  // no permission
    Stopped,       // the caller asked to stop (a newer request, or the user)
    Failed,        // anything else the system reported
};

// A value or the reason there is none.
template <typename T> class [[nodiscard]] Result {
public:
    Result(T value) : state_(std::move(value)) {}
    Result(OsError error) : state_(error) {}

    bool ok() const { return std::holds_alternative<T>(state_); }
    explicit operator bool() const { return ok(); }
    OsError error() const { return std::get<OsError>(state_); }

    T& value() & { return std::get<T>(state_); }
    const T& value() const& { return std::get<T>(state_); }
    T&& value() && { return std::get<T>(std::move(state_)); }
    T& operator*() & { return value(); }
    const T& operator*() const& { return value(); }
    T* operator->() { return &value(); }
    const T* operator->() const { return &value(); }

private:
    std::variant<T, OsError> state_;
};

// The outcome of a call that gives nothing back: done, or the reason it was not. It has no
// truth value of its own, so that no caller can mistake a failure for success.
template <> class [[nodiscard]] Result<void> {
public:
    Result() = default; // done
    Result(OsError error) : error_(error) {}

    bool ok() const { return !error_; }
    OsError error() const { return *error_; }

private:
    std::optional<OsError> error_;
};

} // namespace findolin
