#include "captured_files.h"

namespace lorvenna_r {
namespace {

bool ends_with(const std::string& s, const std::string& tail) {
    return s.size() >= tail.size() && s.compare(s.size() - tail.size(), tail.size(), tail) == 0;
}

}  // namespace

bool kept(const std::string& name) {
    return ends_with(name, ".csv") || ends_with(name, ".asc") || name == "lorvenna.txt";
}

lorvenna::MemoryFiles captured_files() {
    lorvenna::MemoryFiles files;
    files.keep = kept;
    return files;
}

}  // namespace lorvenna_r
