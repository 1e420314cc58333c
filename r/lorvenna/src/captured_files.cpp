#include "captured_files.h"

#include <sstream>

namespace lorvenna_r {
namespace {

bool ends_with(const std::string& s, const std::string& tail) {
    return s.size() >= tail.size() && s.compare(s.size() - tail.size(), tail.size(), tail) == 0;
}

// A stream that owns its buffer.
template <typename Buffer>
class OwningStream : public std::ostream {
public:
    template <typename... Args>
    explicit OwningStream(Args&&... args) : std::ostream(nullptr), buffer_(std::forward<Args>(args)...) {
        rdbuf(&buffer_);
    }

private:
    Buffer buffer_;
};

}  // namespace

bool CapturedFiles::kept(const std::string& name) {
    return ends_with(name, ".csv") || ends_with(name, ".asc") || name == "lorvenna.txt";
}

std::unique_ptr<std::ostream> CapturedFiles::sink(const std::string& name, bool empty_first) {
    if (!kept(name)) return std::make_unique<OwningStream<NullBuffer>>();
    std::string& text = outputs[name];
    if (empty_first) text.clear();
    return std::make_unique<OwningStream<StringBuffer>>(text);
}

std::unique_ptr<std::ostream> CapturedFiles::create(const std::filesystem::path& path) {
    return sink(path.filename().string(), true);
}

std::unique_ptr<std::ostream> CapturedFiles::append(const std::filesystem::path& path) {
    return sink(path.filename().string(), false);
}

std::unique_ptr<std::istream> CapturedFiles::open_existing(const std::filesystem::path& path) {
    const auto it = inputs.find(path.filename().string());
    if (it == inputs.end()) return nullptr;
    return std::make_unique<std::istringstream>(it->second);
}

std::string CapturedFiles::open_failure(const std::filesystem::path&) { return "No such file or directory"; }

}  // namespace lorvenna_r
