#pragma once
// The engine's tables and grids as R values.  Numbers are read with R's own
// reader, so every value equals what read.csv() gives for the same text.
#include <Rcpp.h>

#include <string>

namespace lorvenna_r {

// A CSV table (RFC 4180, one header row) as a data frame, columns in file
// order.  A column whose fields are all numbers, NA or blank is a double
// column (blank and NA read as NA; a column with no number at all is NA
// throughout); any other column is character, with NA for NA and "" kept.
Rcpp::List csv_data_frame(const std::string& text);

// An ESRI ASCII grid as an ncols x nrows matrix m, with m[x, y] the value of
// cell (x, y): the file's first data line is the top row, y = nrows.
// `whole`: an integer matrix (counts), otherwise double.
SEXP ascii_grid_matrix(const std::string& text, bool whole);

}  // namespace lorvenna_r
