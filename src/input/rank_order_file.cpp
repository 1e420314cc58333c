#include "input/rank_order_file.hpp"

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <optional>
#include <string>

#include "core/console.hpp"
#include "core/program_end.hpp"
#include "core/text_records.hpp"

namespace lorvenna {
namespace {

struct Record {
    std::string text;
    bool overlong = false;
};

std::string file_label(const std::string& name) { return "the distribution file " + printable(name); }

std::string trimmed(const std::string& s) {
    const auto first = s.find_first_not_of(" \t");
    if (first == std::string::npos) return {};
    const auto last = s.find_last_not_of(" \t");
    return s.substr(first, last - first + 1);
}

// The next record: one stepped back over, else the next line of the file;
// nullopt at the end of the file.  A failing file ends the program.
std::optional<Record> next_record(RankOrderReader& r) {
    if (r.pending_record) {
        Record rec{std::move(*r.pending_record), false};
        r.pending_record.reset();
        r.last_record = rec.text;
        ++r.line_number;
        return rec;
    }
    r.last_record.reset();
    if (!r.file) return std::nullopt;
    TextLine line;
    const LineRead got = read_text_line(*r.file, line);
    if (got == LineRead::read_error)
        end_program(exit_error, " Error while reading " + file_label(r.name) + ": the file could not be read further");
    if (got == LineRead::end_of_file) return std::nullopt;
    ++r.line_number;
    r.last_record = line.text;
    return Record{std::move(line.text), line.overlong};
}

// Steps back over the record read last, so that the next read returns it again.
void step_back(RankOrderReader& r) {
    if (!r.last_record) return;
    r.pending_record = std::move(*r.last_record);
    r.last_record.reset();
    --r.line_number;
}

// A species number: a whole number, also when written with a point ("120.0").
std::optional<int> whole_number(const std::string& token) {
    if (const auto i = parse_int32(token)) return *i;
    const auto v = parse_float(token);
    if (!v || *v != std::trunc(*v) || std::fabs(*v) > 2.0e9f) return std::nullopt;
    return static_cast<int>(*v);
}

// The head record of an assemblage: species number, model type, z, X, truncation factor.
void read_head(RankOrderBlock& r, const std::string& record) {
    const SplitFields split = split_fields(record);
    const auto& f = split.fields;
    const auto fail = [&](const char* what) {
        end_program(exit_error, std::string(" Error while reading ") + what + " from distribution file\n " +
                                    printable(record));
    };
    const auto species = f.size() > 0 ? whole_number(f[0]) : std::nullopt;
    if (!species) fail("the species number");
    if (f.size() < 2) fail("the model type");
    const auto z = f.size() > 2 ? parse_float(f[2]) : std::nullopt;
    if (!z) fail("the parameter z");
    const auto X = f.size() > 3 ? parse_float(f[3]) : std::nullopt;
    if (!X) fail("the parameter X");
    const auto truncation = f.size() > 4 ? parse_float(f[4]) : std::nullopt;
    if (!truncation) fail("the truncation factor");
    r.head_species = *species;
    r.model_type = f[1].substr(0, 9);
    r.model_type.resize(9, ' ');
    r.z = *z;
    r.X = *X;
    r.truncation = *truncation;
}

bool begins_with_star(const std::string& text) { return !text.empty() && text[0] == '*'; }

// Whether the characters cut off at the end of an overlong line may belong to
// the first `needed` fields of the record.
bool needed_field_cut(const Record& rec, std::size_t needed, std::string_view separators) {
    if (!rec.overlong || rec.text.size() < max_line_length) return false;
    std::size_t pos = 0;
    for (std::size_t k = 0; k < needed; ++k) {
        const auto begin = rec.text.find_first_not_of(separators, pos);
        if (begin == std::string::npos) return true;
        pos = rec.text.find_first_of(separators, begin);
        if (pos == std::string::npos) return true;
    }
    return false;
}

}  // namespace

namespace {

// Takes the opened file and reads its head: the head record of an assemblage
// file, or for any other file the answer whether records give body weights.
void start_reading(Io& io, RankOrderReader& reader, RankOrderBlock& block, const std::string& name,
                   const std::optional<bool>& weights) {
    block.file_name = reader.name = name;
    block.body_weights = false;
    block.rows = 0;
    reader.pending_record.reset();
    reader.last_record.reset();
    reader.line_number = 0;
    reader.blocks_read = 0;
    const std::string base = std::filesystem::path(name).filename().string();
    reader.assemblage = base.rfind("Ass", 0) == 0 || base.rfind("ass", 0) == 0;
    if (reader.assemblage) {
        if (!next_record(reader))
            end_program(exit_error, " Error while reading " + file_label(name) + ": the file is empty");
        const auto head = next_record(reader);
        read_head(block, head ? head->text : std::string());
    } else if (weights) {
        block.body_weights = *weights;
    } else {
        block.body_weights =
            ask_choice(io, {"Body weight data for each species available (yes/no)"}, {"yes", "no"}) == keyword("yes");
    }
}

}  // namespace

void open_rank_order_file(Io& io, RankOrderReader& reader, RankOrderBlock& block) {
    std::string name;
    for (;;) {
        say(io, "Name of distribution file (with extension)?");
        say(io, "First line of this file before data must have a * as first sign");
        name = trimmed(read_answer_line(io));
        if (name.empty()) continue;
        reader.file = io.files.open_existing(io.input_path(name));
        if (reader.file) break;
        say_open_failure(io, name);
    }
    start_reading(io, reader, block, name, std::nullopt);
}

void open_rank_order_file(Io& io, RankOrderReader& reader, RankOrderBlock& block, const std::string& name,
                          bool weights) {
    reader.file = io.files.open_existing(io.input_path(name));
    if (!reader.file)
        end_program(exit_error, " Cannot open " + printable(name) + ": " + io.files.open_failure(io.input_path(name)));
    start_reading(io, reader, block, name, weights);
}

bool read_rank_order_block(RankOrderReader& reader, RankOrderBlock& block) {
    RankOrderBlock& r = block;
    // Nothing of the previous block stays: the table holds exactly the rows read.
    r.abundance.clear();
    r.weight.clear();
    r.rows = 0;
    for (;;) {
        const auto rec = next_record(reader);
        if (!rec) {
            // Blocks that run out end a batch normally; a file without any block is a faulty file.
            if (reader.blocks_read == 0)
                end_program(exit_error, " Error while reading " + file_label(reader.name) + ": no line begins with *");
            return false;
        }
        if (begins_with_star(rec->text)) break;
    }
    const bool with_weights = r.body_weights;
    const std::size_t needed = with_weights ? 2 : 1;
    constexpr std::string_view separators = " \t,";
    while (r.rows < rank_order_rows) {
        const auto rec = next_record(reader);
        if (!rec) break;
        const SplitFields split = split_fields(rec->text, separators);
        if (split.fields.empty() && split.fault == SplitFields::Fault::none) continue;  // blank line
        if (split.fields.size() < needed) break;
        const auto abundance = parse_float(split.fields[0]);
        const auto weight = with_weights ? parse_float(split.fields[1]) : std::optional<float>(0.0f);
        if (!abundance || !weight) break;
        if (needed_field_cut(*rec, needed, separators))
            end_program(exit_error, " Error while reading " + file_label(reader.name) + ": line " +
                                        std::to_string(reader.line_number) + " is longer than " +
                                        std::to_string(max_line_length) + " characters");
        r.abundance.push_back(*abundance);
        r.weight.push_back(*weight);
        ++r.rows;
    }
    ++reader.blocks_read;
    return true;
}

void reposition_rank_order_file(RankOrderReader& reader, RankOrderBlock& block) {
    if (!reader.file) return;
    if (!reader.assemblage) {
        step_back(reader);
        return;
    }
    // The record after a block heads the next assemblage; when the file has
    // ended, the next pass finds no block and the batch ends normally.
    const auto head = next_record(reader);
    if (head) read_head(block, head->text);
}

}  // namespace lorvenna
