#pragma once
// Errors that the design raises to a caller are C++ exceptions inside the DLL,
// carrying the classic run-time error numbers the callers know. No exception
// ever crosses a window procedure, hook, timer callback or COM method.
#include <stdexcept>
#include <string>

namespace brisko {

enum class ErrorNumber : int {
    Overflow = 6,
    SubscriptOutOfRange = 9,
    TypeMismatch = 13,
    ResourceNotFound = 326,
    InvalidPropertyValue = 380,
    ObjectRequired = 424,
    Automation = 440,
};

class Error : public std::runtime_error {
public:
    Error(ErrorNumber number, const std::string& what) : std::runtime_error(what), number_(number) {}
    ErrorNumber Number() const { return number_; }

private:
    ErrorNumber number_;
};

}  // namespace brisko
