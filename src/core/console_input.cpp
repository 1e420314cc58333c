#include "core/console_input.hpp"

#include <poll.h>
#include <unistd.h>

#include <cerrno>

namespace lorvenna {

InterruptibleInput::int_type InterruptibleInput::underflow() {
    if (gptr() < egptr()) return traits_type::to_int_type(*gptr());
    for (;;) {
        if (stop_ != nullptr && *stop_ != 0) return traits_type::eof();
        pollfd ready{fd_, POLLIN, 0};
        const int polled = ::poll(&ready, 1, 100);
        if (polled < 0 && errno != EINTR) return traits_type::eof();
        if (polled <= 0) continue;
        const ssize_t got = ::read(fd_, buffer_, sizeof buffer_);
        if (got < 0 && errno == EINTR) continue;
        if (got <= 0) return traits_type::eof();
        setg(buffer_, buffer_, buffer_ + got);
        return traits_type::to_int_type(*gptr());
    }
}

}  // namespace lorvenna
