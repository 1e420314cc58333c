#include "batch/batch_check.hpp"

#include "batch/batch_file.hpp"
#include "batch/rows_not_run.hpp"
#include "core/program_end.hpp"
#include "core/text_records.hpp"
#include "pass/resource_guard.hpp"
#include "input/rank_order_file.hpp"

namespace lorvenna {
namespace {

std::string without_leading_blank(std::string message) {
    if (!message.empty() && message.front() == ' ') message.erase(0, 1);
    return message;
}

}  // namespace

BatchCheck check_batch_file(Io& io, const SessionAnswers& answers, const std::string& batch_name,
                            const std::string& rank_order_name, bool weights) {
    BatchCheck check;
    Session session(io);
    session.answers = answers;
    session.answers.batch = keyword("yes");
    session.batch.file = io.files.open_existing(io.input_path(batch_name));
    session.batch.name = batch_name;
    const auto fault = [&](long long line, const ProgramEnd& end) {
        check.faults.push_back({line, without_leading_blank(end.message), end.cause});
    };
    try {
        if (!read_batch_header(session)) return check;
        if (session.answers.from_file())
            open_rank_order_file(io, session.rank_order, session.pass.rank_order, rank_order_name, weights);
    } catch (const ProgramEnd& end) {
        fault(0, end);
        return check;
    }
    bool blocks_left = true;
    for (;;) {
        const int read_before = session.batch.rows_read;
        try {
            if (read_and_settle_row(session, false) == RowRead::end) break;
        } catch (const ProgramEnd& end) {
            if (session.batch.rows_read == read_before) {  // the file itself could not be read further
                fault(0, end);
                break;
            }
            fault(session.batch.rows_read + 1, end);
            continue;
        }
        const long long line = session.batch.rows_read + 1;
        if (!blocks_left) continue;
        try {
            const std::optional<std::string> failure = settle_without_pass(session, true);
            if (!failure) {
                // The blocks of the rank-order file run out: a run ends normally here.
                check.blocks_end = line;
                blocks_left = false;
                continue;
            }
            if (!failure->empty()) fault(line, ProgramEnd{exit_error, *failure, {}});
            check_pass_resources(io, session.pass.params, session.pass.derived, session.answers.sampling());
        } catch (const ProgramEnd& end) {
            fault(line, end);
        }
    }
    check.rows = session.batch.rows_read;
    return check;
}

std::string fault_line(const std::string& batch_name, const RowFault& fault) {
    const std::string where = fault.line > 0 ? printable(batch_name) + ":" + std::to_string(fault.line) + ": "
                                             : printable(batch_name) + ": ";
    std::string message = fault.message;
    for (std::size_t at = message.find('\n'); at != std::string::npos; at = message.find('\n', at + 1))
        message.replace(at, 1, "\n    ");
    return where + message;
}

}  // namespace lorvenna
