#include "core/io_seam.hpp"

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <fstream>

namespace lorvenna {

std::unique_ptr<std::ostream> FileSystem::create(const std::filesystem::path& path) {
    auto f = std::make_unique<std::ofstream>(path, std::ios::out | std::ios::trunc);
    if (!*f) return nullptr;
    return f;
}

std::unique_ptr<std::ostream> FileSystem::append(const std::filesystem::path& path) {
    auto f = std::make_unique<std::ofstream>(path, std::ios::out | std::ios::app | std::ios::binary);
    if (!*f) return nullptr;
    return f;
}

std::unique_ptr<std::istream> FileSystem::open_existing(const std::filesystem::path& path) {
    std::error_code ec;
    if (std::filesystem::is_directory(path, ec)) return nullptr;
    auto f = std::make_unique<std::ifstream>(path, std::ios::in | std::ios::binary);
    if (!*f) return nullptr;
    return f;
}

std::string FileSystem::open_failure(const std::filesystem::path& path) {
    std::error_code ec;
    if (std::filesystem::is_directory(path, ec)) return std::strerror(EISDIR);
    errno = 0;
    if (std::FILE* f = std::fopen(path.c_str(), "rb")) {
        std::fclose(f);
        return "it could not be read";
    }
    return std::strerror(errno != 0 ? errno : ENOENT);
}

FileSystem& real_file_system() {
    static FileSystem fs;
    return fs;
}

ElapsedClock steady_elapsed_clock() {
    const auto start = std::chrono::steady_clock::now();
    return [start] {
        return static_cast<long long>(
            std::chrono::duration_cast<std::chrono::seconds>(std::chrono::steady_clock::now() - start)
                .count());
    };
}

SecondsClock steady_seconds_clock() {
    const auto start = std::chrono::steady_clock::now();
    return [start] { return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count(); };
}

}  // namespace lorvenna
