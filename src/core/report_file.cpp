#include "core/report_file.hpp"

#include "core/io_seam.hpp"
#include "core/program_end.hpp"

namespace lorvenna {

void ReportFile::open(Io& io) {
    stream_ = io.files.create(io.output_path(name_));
    size_ = 0;
    if (!stream_) end_program(exit_error, " Cannot write the file " + name_);
}

void ReportFile::open_to_append(Io& io, std::uint64_t size) {
    stream_ = io.files.append(io.output_path(name_));
    size_ = size;
    if (!stream_) end_program(exit_error, " Cannot write the file " + name_);
}

void ReportFile::line(std::string_view text) {
    if (!stream_) return;
    stream_->write(text.data(), static_cast<std::streamsize>(text.size()));
    stream_->put('\n');
    size_ += text.size() + 1;
    check();
}

void ReportFile::write(std::string_view text) {
    if (!stream_ || text.empty()) return;
    stream_->write(text.data(), static_cast<std::streamsize>(text.size()));
    size_ += text.size();
    check();
}

void ReportFile::flush() {
    if (!stream_) return;
    stream_->flush();
    check();
}

void ReportFile::check() {
    if (!*stream_) {
        stream_.reset();  // never write to a failed stream again, not even on the way out
        end_program(exit_error, " Error while writing the file " + name_);
    }
}

void ReportFile::close() {
    if (!stream_) return;
    stream_->flush();
    const bool good = static_cast<bool>(*stream_);
    stream_.reset();
    if (!good) end_program(exit_error, " Error while writing the file " + name_);
}

}  // namespace lorvenna
