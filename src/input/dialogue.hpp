#pragma once
// The interactive parameter dialogue: every value asked, checked against its
// range and asked again until valid; then the derived values and the echo.
#include "core/io_seam.hpp"
#include "data/pass.hpp"
#include "data/session.hpp"

namespace lorvenna {

// Fills the parameter set of `pass` and its derived values from the console.
void run_parameter_dialogue(Io& io, const SessionAnswers& answers, Pass& pass);

}  // namespace lorvenna
