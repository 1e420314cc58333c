#include "sweeps/manifest.hpp"

#include <bit>
#include <charconv>
#include <cstdio>
#include <fstream>
#include <sstream>

namespace lorvenna {
namespace {

std::string hex(std::uint64_t v) {
    char buffer[17];
    std::snprintf(buffer, sizeof buffer, "%016llx", static_cast<unsigned long long>(v));
    return buffer;
}

std::vector<std::string> tab_fields(const std::string& line) {
    std::vector<std::string> f;
    std::size_t start = 0;
    for (;;) {
        const auto tab = line.find('\t', start);
        f.push_back(line.substr(start, tab == std::string::npos ? std::string::npos : tab - start));
        if (tab == std::string::npos) return f;
        start = tab + 1;
    }
}

template <typename Int>
bool number(const std::string& text, Int& value) {
    const auto [ptr, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    return ec == std::errc() && ptr == text.data() + text.size();
}

std::string bits(float v) { return std::to_string(std::bit_cast<std::uint32_t>(v)); }

bool float_bits(const std::string& text, float& v) {
    std::uint32_t b = 0;
    if (!number(text, b)) return false;
    v = std::bit_cast<float>(b);
    return true;
}

std::string run_line(const ManifestRun& r) {
    std::string line = "run\t" + std::to_string(r.run) + "\t" + std::to_string(r.row) + "\t" +
                       std::to_string(r.replicate) + "\t" + std::to_string(r.seed) + "\t" +
                       std::to_string(r.after.seed) + "\t" + bits(r.after.heterogeneity) + "\t" +
                       bits(r.after.range_x) + "\t" + bits(r.after.range_y);
    for (const std::uint64_t s : r.sizes) line += "\t" + std::to_string(s);
    return line;
}

bool parse_run(const std::vector<std::string>& f, std::size_t files, ManifestRun& r) {
    if (f.size() != 9 + files) return false;
    bool ok = number(f[1], r.run) && number(f[2], r.row) && number(f[3], r.replicate) && number(f[4], r.seed) &&
              number(f[5], r.after.seed) && float_bits(f[6], r.after.heterogeneity) &&
              float_bits(f[7], r.after.range_x) && float_bits(f[8], r.after.range_y);
    r.sizes.assign(files, 0);
    for (std::size_t i = 0; i < files && ok; ++i) ok = number(f[9 + i], r.sizes[i]);
    return ok;
}

}  // namespace

std::string Manifest::origin() const {
    std::ostringstream s;
    s << "lorvenna manifest 1\n";
    s << "version\t" << version << "\n";
    s << "command\t" << command << "\n";
    s << "batch\t" << batch << "\t" << batch_checksum << "\n";
    if (!rank_order.empty()) s << "rank-order\t" << rank_order << "\t" << rank_order_checksum << "\n";
    s << "seed\t" << seed << "\n";
    s << "run-seeds\t" << (run_seeds ? "yes" : "no") << "\n";
    s << "replicates\t" << replicates << "\n";
    s << "rows\t" << first_row << "\t" << last_row << "\n";
    s << "files";
    for (const auto& f : files) s << "\t" << f;
    s << "\nhead";
    for (const auto h : head) s << "\t" << h;
    s << "\n";
    return s.str();
}

std::string file_checksum(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return {};
    std::uint64_t h = 1469598103934665603ULL;
    char buffer[1 << 16];
    while (in) {
        in.read(buffer, sizeof buffer);
        for (std::streamsize i = 0; i < in.gcount(); ++i) {
            h ^= static_cast<unsigned char>(buffer[i]);
            h *= 1099511628211ULL;
        }
    }
    return hex(h);
}

std::optional<Manifest> read_manifest(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return std::nullopt;
    Manifest m;
    std::string line;
    if (!std::getline(in, line) || line != "lorvenna manifest 1") return std::nullopt;
    while (std::getline(in, line)) {
        if (in.eof()) break;  // a last line without its end was cut by a kill
        const auto f = tab_fields(line);
        const std::string& key = f[0];
        if (key == "version" && f.size() == 2) m.version = f[1];
        else if (key == "command" && f.size() == 2) m.command = f[1];
        else if (key == "batch" && f.size() == 3) { m.batch = f[1]; m.batch_checksum = f[2]; }
        else if (key == "rank-order" && f.size() == 3) { m.rank_order = f[1]; m.rank_order_checksum = f[2]; }
        else if (key == "seed" && f.size() == 2) number(f[1], m.seed);
        else if (key == "run-seeds" && f.size() == 2) m.run_seeds = f[1] == "yes";
        else if (key == "replicates" && f.size() == 2) number(f[1], m.replicates);
        else if (key == "rows" && f.size() == 3) { number(f[1], m.first_row); number(f[2], m.last_row); }
        else if (key == "files") m.files.assign(f.begin() + 1, f.end());
        else if (key == "head") {
            m.head.assign(f.size() - 1, 0);
            for (std::size_t i = 1; i < f.size(); ++i) number(f[i], m.head[i - 1]);
        } else if (key == "run") {
            ManifestRun r;
            if (!parse_run(f, m.files.size(), r)) break;
            m.runs.push_back(std::move(r));
        } else if (key == "end" && f.size() == 2) {
            m.finished = number(f[1], m.status);
        }
    }
    if (m.head.size() != m.files.size()) return std::nullopt;
    return m;
}

bool ManifestWriter::start(const std::filesystem::path& path, const Manifest& m) {
    auto out = std::make_unique<std::ofstream>(path, std::ios::out | std::ios::trunc | std::ios::binary);
    if (!*out) return false;
    *out << m.origin();
    for (const auto& r : m.runs) *out << run_line(r) << "\n";
    out->flush();
    if (!*out) return false;
    out_ = std::move(out);
    return true;
}

void ManifestWriter::run(const ManifestRun& r) {
    if (!out_) return;
    *out_ << run_line(r) << "\n";
    out_->flush();
}

void ManifestWriter::finish(int status) {
    if (!out_) return;
    *out_ << "end\t" << status << "\n";
    out_->flush();
    out_.reset();
}

}  // namespace lorvenna
