#pragma once
// lorvenna merge OUT DIR...: joins the output folders of the slices of one
// sweep (runs of one batch file with one seed word, --run-seeds and the same
// options, each with its own --rows) into OUT, in pass order, byte for byte
// what one machine running all their rows would have written.
#include <iosfwd>
#include <string>
#include <vector>

namespace lorvenna {

class StepListener;

// Returns the exit status: 0 when OUT holds the merged folders, 1 when they
// cannot be merged (a message names the cause and OUT is not created).
// `progress` (nullptr: none) hears of every file copied.
int merge_folders(const std::string& out, const std::vector<std::string>& folders, bool allow_gaps,
                  std::ostream& console, std::ostream& messages, StepListener* progress = nullptr);

}  // namespace lorvenna
