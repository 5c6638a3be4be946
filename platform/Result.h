// How the program's own calls report a failure: every call that can fail
// returns a Result (a value, or the Error saying why) or a Status (nothing, or
// the Error). No exceptions cross the program's own layers, no "last error"
// getters, no error strings passed in by reference.
#pragma once
#include <cassert>
#include <string>
#include <system_error>
#include <utility>
#include <variant>

namespace gh {

// Why something failed, in words a player can read ("Cannot open file ..."),
// and the operating system's code when the failure came from it.
struct Error {
  std::string message;
  std::error_code code;
};

template <class T>
class [[nodiscard]] Result {
 public:
  Result(T value) : state_(std::in_place_index<0>, std::move(value)) {}
  Result(Error error) : state_(std::in_place_index<1>, std::move(error)) {}

  bool ok() const { return state_.index() == 0; }
  explicit operator bool() const { return ok(); }

  T& value() {
    assert(ok());
    return std::get<0>(state_);
  }
  const T& value() const {
    assert(ok());
    return std::get<0>(state_);
  }
  T& operator*() { return value(); }
  const T& operator*() const { return value(); }
  T* operator->() { return &value(); }
  const T* operator->() const { return &value(); }

  const Error& error() const {
    assert(!ok());
    return std::get<1>(state_);
  }

 private:
  std::variant<T, Error> state_;
};

// A call that gives nothing back but may fail.
template <>
class [[nodiscard]] Result<void> {
 public:
  Result() = default;
  Result(Error error) : error_(std::move(error)), failed_(true) {}

  bool ok() const { return !failed_; }
  explicit operator bool() const { return ok(); }
  const Error& error() const {
    assert(failed_);
    return error_;
  }

 private:
  Error error_;
  bool failed_ = false;
};
using Status = Result<void>;

}  // namespace gh
