#pragma once
// Console input the user can interrupt: a read waits in slices of a tenth of
// a second and ends (as the end of input) as soon as the stop flag is set, so
// that Ctrl-C or SIGTERM at a prompt end the session in order instead of
// leaving the read waiting for a line that never comes.
#include <streambuf>

namespace lorvenna {

class InterruptibleInput : public std::streambuf {
public:
    InterruptibleInput(int fd, const volatile int* stop) : fd_(fd), stop_(stop) {}

protected:
    int_type underflow() override;

private:
    int fd_;
    const volatile int* stop_;
    char buffer_[4096];
};

}  // namespace lorvenna
