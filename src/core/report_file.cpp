#include "core/report_file.hpp"

#include "core/io_seam.hpp"
#include "core/program_end.hpp"

namespace lorvenna {

void ReportFile::open(Io& io) {
    stream_ = io.files.create(io.output_path(name_));
    if (!stream_) end_program(exit_error, " Cannot write the file " + name_);
}

void ReportFile::line(std::string_view text) {
    if (!stream_) return;
    stream_->write(text.data(), static_cast<std::streamsize>(text.size()));
    stream_->put('\n');
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
