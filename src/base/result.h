// The one way a function that can fail says so (apart from the fatal error
// of a file, which unwinds to the pipeline as FileAbandoned): a Result holds
// either a value or the message of the failure; Status is a Result without
// a value.
#pragma once

#include <optional>
#include <type_traits>
#include <string>
#include <utility>
#include <variant>

namespace quorlix {

// The message of a failure, made into any Result.
struct Failure {
    std::string message;
};

inline Failure failure(std::string message) { return Failure{std::move(message)}; }

template <typename T>
class [[nodiscard]] Result {
public:
    Result(T value) : content_(std::in_place_index<0>, std::move(value)) {}
    Result(Failure failed) : content_(std::in_place_index<1>, std::move(failed.message)) {}
    // From the result of a value that converts (a pointer to a derived class).
    template <typename U>
        requires(!std::is_same_v<U, T> && std::is_convertible_v<U, T>)
    Result(Result<U> other)
        : content_(other.ok() ? Content(std::in_place_index<0>, std::move(other.value()))
                              : Content(std::in_place_index<1>, other.message())) {}

    bool ok() const { return content_.index() == 0; }
    explicit operator bool() const { return ok(); }
    T& value() { return std::get<0>(content_); }
    const T& value() const { return std::get<0>(content_); }
    T& operator*() { return value(); }
    const T& operator*() const { return value(); }
    T* operator->() { return &value(); }
    const T* operator->() const { return &value(); }
    // The failure's message; only when !ok().
    const std::string& message() const { return std::get<1>(content_); }

private:
    using Content = std::variant<T, std::string>;
    Content content_;
};

class [[nodiscard]] Status {
public:
    Status() = default;
    Status(Failure failed) : message_(std::move(failed.message)) {}

    bool ok() const { return !message_; }
    explicit operator bool() const { return ok(); }
    // The failure's message; only when !ok().
    const std::string& message() const { return *message_; }

private:
    std::optional<std::string> message_;
};

}  // namespace quorlix
