# Bad rows end in an R error that names the row, the column and what the
# column allows; the session goes on.

test_that("the engine's checks name the row, the column and its allowed values", {
  p <- small_rows(c("seq", "dep", "oct"))
  p$SampA[2] <- 500
  p$Method[3] <- "zig"
  p$Permut[1] <- 40
  err <- tryCatch(lv_simulate(p), error = conditionMessage)
  expect_match(err, "3 faulty row\\(s\\); nothing was run")
  expect_match(err, "row 2, SampA (allowed: 1 to the grid side", fixed = TRUE)
  expect_match(err, "Error while reading area: 500", fixed = TRUE)
  expect_match(err, "row 3, Method (allowed: seq, ind, oct, dep or lin): Error while reading method of sampling: zig",
               fixed = TRUE)
  expect_match(err, "row 1, Permut (allowed: 1 to 20): Error while reading the number of permutations", fixed = TRUE)
  # A block that yields no species is refused before anything runs, as on the command line.
  q <- small_rows("seq")
  expect_error(lv_simulate(q, abundances = c(0, 0, 0)), "row 1: Error while building the community: ", fixed = TRUE)
  # The session still runs what is right.
  expect_s3_class(suppressWarnings(lv_simulate(small_rows("seq"))), "lorvenna")
})

test_that("values the batch format cannot carry are refused by column before the engine sees them", {
  p <- small_rows(c("seq", "dep"))
  p$Areal[1] <- 40.5
  p$Aggreg[2] <- NA
  p$Method[1] <- "s q"
  p$maxD <- 1e39
  p$Dfluc <- "none"
  err <- tryCatch(lv_simulate(p), error = conditionMessage)
  expect_match(err, "Areal, row 1: a whole number", fixed = TRUE)
  expect_match(err, "Aggreg, row 2: missing value (NA)", fixed = TRUE)
  expect_match(err, "Method, row 1: a word of 1 to 50 characters without blanks", fixed = TRUE)
  expect_match(err, "maxD, rows 1, 2: a finite number within single precision", fixed = TRUE)
  expect_match(err, "Dfluc, rows 1, 2: a number is needed", fixed = TRUE)
  expect_error(lv_simulate(p[, -1]), "params lacks the column(s) Areal", fixed = TRUE)
  expect_error(lv_simulate(small_rows("seq"), seed = -1), "seed must be one whole number from 0 to 4294967295")
})
