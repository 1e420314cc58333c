# Runs the package's tests on the package installed in build/r-lib (R_LIBS),
# with the command line at LORVENNA_BINARY, so that no comparison with it is
# skipped; any failure or skip ends with a non-zero status.
#   Rscript r/run_tests.R r/lorvenna/tests/testthat
dir <- commandArgs(trailingOnly = TRUE)[1]
if (!file.exists(Sys.getenv("LORVENNA_BINARY")))
  stop("LORVENNA_BINARY does not name the command-line program; the comparisons with it would be skipped")
library(testthat)
results <- as.data.frame(test_dir(dir, package = "lorvenna", load_package = "installed",
                                  reporter = SummaryReporter$new(show_praise = FALSE), stop_on_failure = TRUE))
if (any(results$skipped)) stop("tests were skipped: ", paste(results$test[results$skipped], collapse = "; "))
cat(sprintf("%d passed, %d failed\n", sum(results$nb) - sum(results$failed), sum(results$failed)))
