# The tables of a run in R equal those the command line writes for the same
# rows and seed word, column by column and to the last bit.

tables <- c("runs", "species", "samples", "curve", "units", "estimates", "occurrences")

test_that("every design under two seed words gives the command line's tables", {
  p <- small_rows()
  for (seed in c(7, 4000000001)) {
    x <- suppressWarnings(lv_simulate(p, seed = seed, replicates = 2))
    out <- run_cli(p, seed, replicates = 2)
    for (t in tables) expect_same_table(x[[t]], file.path(out, paste0(t, ".csv")))
    expect_setequal(unique(x$samples$design), p$Method)
    # The folder read back is the object built in memory.
    expect_identical(unclass(lv_read(out))[tables], unclass(x)[tables])
  }
  # The curves, with their own knots and bootstraps.
  x <- suppressWarnings(lv_simulate(p[1:2, ], seed = 7, rarefaction = TRUE, knots = 12, bootstraps = 7))
  out <- run_cli(p[1:2, ], 7, extra = c("--rarefaction", "--knots", "12", "--bootstraps", "7"))
  expect_same_table(x$rarefaction, file.path(out, "rarefaction.csv"))
  expect_identical(lv_read(out)$rarefaction, x$rarefaction)
  expect_error(lv_simulate(p, rarefaction = TRUE, knots = 2), "knots must be one whole number from 4 to 10000")
  # The model community alone.
  m <- lv_simulate(p, mode = "m", seed = 7)
  out <- run_cli(p, 7, mode = "m")
  for (t in c("runs", "species")) expect_same_table(m[[t]], file.path(out, paste0(t, ".csv")))
  expect_identical(nrow(m$samples), 0L)
})

test_that("habitat grids and the species map equal the command line's grids", {
  p <- small_rows(c("dep", "oct"))
  x <- suppressWarnings(lv_simulate(p, seed = 11, habitat = TRUE, map = 2))
  out <- run_cli(p, 11, extra = c("--habitat", "--map", "2"))
  # An ASCII grid lists the top row (y = n) first; the object holds m[x, y].
  grid_file <- function(name) {
    rows <- as.matrix(utils::read.table(file.path(out, name), skip = 6))
    dimnames(rows) <- NULL
    t(rows)[, nrow(rows):1]
  }
  for (run in c("1", "2")) {
    expect_identical(x$habitat[[run]], grid_file(paste0("habitat-", run, ".asc")))
    expect_identical(x$maps[[run]], `storage.mode<-`(grid_file(paste0("map-", run, ".asc")), "integer"))
  }
  expect_identical(lv_read(out)$habitat, x$habitat)
})

test_that("abundance vectors take the rank-order path with its rounding and thresholds", {
  p <- small_rows(c("seq", "lin"))
  p$maxD <- 20  # whole individuals: every abundance rounded, those below one individual left out
  lognormal <- exp(stats::qnorm(seq(0.01, 0.99, length.out = 30), mean = 2, sd = 1.5))
  a <- list(lognormal / sum(lognormal) * 3000, c(250.5, 80.25, 12, 3.5, 0.4, 0.2))
  x <- suppressWarnings(lv_simulate(p, seed = 5, abundances = a))
  out <- run_cli(p, 5, abundances = a)
  for (t in tables) expect_same_table(x[[t]], file.path(out, paste0(t, ".csv")))
  expect_identical(x$runs$Species, c(30, 6))
  expect_identical(sum(x$species$expected[x$species$run == 2] > 0), 4L)
  # Body weights beside the abundances.
  w <- list(seq(1, 300, length.out = 30), c(2.5, 7, 30, 0, 1000, 9))
  x <- suppressWarnings(lv_simulate(p, seed = 5, abundances = a, weights = w))
  out <- run_cli(p, 5, abundances = a, weights = w)
  for (t in tables) expect_same_table(x[[t]], file.path(out, paste0(t, ".csv")))
  second <- x$species[x$species$run == 2, ]
  expect_identical(second$weight[match(1:3, second$species)], c(2.5, 7, 30))  # a weight of 0 takes Damuth's rule
})
