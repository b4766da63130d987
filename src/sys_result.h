// Errors as values: every fallible operation returns Result<T> (or Status).
#pragma once
#include <cstdint>
#include <string>
#include <utility>
#include <variant>

struct Error {
    std::string message;      // human-readable; for Windows calls: "Call: system text"
    int32_t hresult = 0;      // HRESULT of the failing Windows call, 0 elsewhere
};

template <class T>
class Result {
public:
    Result(T value) : v_(std::move(value)) {}
    Result(Error e) : v_(std::move(e)) {}
    bool ok() const { return v_.index() == 0; }
    explicit operator bool() const { return ok(); }
    T& value() & { return std::get<0>(v_); }
    const T& value() const& { return std::get<0>(v_); }
    T&& value() && { return std::get<0>(std::move(v_)); }
    T* operator->() { return &std::get<0>(v_); }
    const T* operator->() const { return &std::get<0>(v_); }
    T& operator*() & { return std::get<0>(v_); }
    const Error& error() const { return std::get<1>(v_); }
private:
    std::variant<T, Error> v_;
};

struct Unit {};
using Status = Result<Unit>;
inline Status ok_status() { return Unit{}; }
inline Error make_error(std::string message, int32_t hr = 0) { return Error{std::move(message), hr}; }
