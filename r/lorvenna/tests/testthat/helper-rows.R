# Small parameter rows that run in well under a second: template row 1 on a
# 40-cell grid (65 cells after the rmd rescaling), one row per design.
small_rows <- function(designs = c("seq", "ind", "oct", "dep", "lin")) {
  p <- lv_template(1, Method = designs)
  p$Areal <- 40
  p$SampA <- 16
  p$maxSa <- 8
  p$minSa <- 2
  p$StepSa <- 2
  # Reals with no short decimal form, which the engine holds in single precision.
  p$Aggreg <- seq(0.5, by = 1.5, length.out = nrow(p)) + 1 / 3
  p$Scale2 <- pi
  p
}

# The command line built beside the package: the r preset passes its path to
# the tests and to R CMD check. Named but missing is an error, not a skip, so
# that a broken build cannot pass for a check without the program.
cli_binary <- function() {
  bin <- Sys.getenv("LORVENNA_BINARY")
  if (!nzchar(bin)) testthat::skip("no command-line program to compare with (set LORVENNA_BINARY)")
  if (!file.exists(bin)) stop("LORVENNA_BINARY names ", bin, ", which does not exist")
  bin
}

# Runs the command line on rows written as a plain batch file, as a user
# would write them; returns its output folder.
run_cli <- function(params, seed, replicates = 1, extra = character(), abundances = NULL, weights = NULL,
                    mode = "s") {
  bin <- cli_binary()
  dir <- tempfile("cli")
  dir.create(dir)
  batch <- file.path(dir, "rows.txt")
  utils::write.table(params, batch, quote = FALSE, row.names = FALSE, sep = " ")
  args <- c("--mode", mode, "--batch", batch, "--tidy", "--seed", format(seed, scientific = FALSE),
            "--run-seeds", "--replicates", replicates, "--out", file.path(dir, "out"), "--quiet", extra)
  if (!is.null(abundances)) {
    ranks <- file.path(dir, "ranks.txt")
    records <- lapply(seq_along(abundances), function(i) {
      r <- format(abundances[[i]], digits = 17)
      if (!is.null(weights)) r <- paste(r, format(weights[[i]], digits = 17))
      c("*", r)
    })
    writeLines(unlist(records), ranks)
    args <- c(args, "--rank-order", ranks, if (!is.null(weights)) "--weights")
  }
  status <- system2(bin, args, stdout = FALSE, stderr = FALSE)
  testthat::expect_true(status %in% c(0, 1))
  file.path(dir, "out")
}

# Every column of a table equal to read.csv() of the command line's file:
# the same names, texts identical, numbers equal to the last bit.
expect_same_table <- function(ours, path) {
  theirs <- utils::read.csv(path, stringsAsFactors = FALSE)
  label <- basename(path)
  testthat::expect_identical(names(ours), names(theirs), label = label)
  testthat::expect_identical(nrow(ours), nrow(theirs), label = label)
  for (col in names(theirs)) {
    a <- ours[[col]]
    b <- theirs[[col]]
    if (is.character(b)) {
      testthat::expect_identical(a, b, label = paste(label, col))
    } else {
      testthat::expect_identical(as.double(a), as.double(b), label = paste(label, col))
    }
  }
}
