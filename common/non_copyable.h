#pragma once
// A base for objects whose address is their identity: they hand it to the
// window system or to a dispatcher, so they are neither copied nor moved.

namespace brisko {

class NonCopyable {
public:
    NonCopyable(const NonCopyable&) = delete;
    NonCopyable& operator=(const NonCopyable&) = delete;

protected:
    NonCopyable() = default;
    ~NonCopyable() = default;
};

}  // namespace brisko
