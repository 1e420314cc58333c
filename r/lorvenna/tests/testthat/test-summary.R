# summary() sets the estimates of the largest sample beside their truth, per
# parameter row and design, over the replicates.

# Two parameter rows of two replicates each, sampled at 2 and 4 units; the
# values at 2 units are far off and must not count.
hand_made <- function() {
  runs <- data.frame(run = 1:4, row = c(2, 2, 3, 3), replicate = c(1, 2, 1, 2), status = "ok",
                     maxSa = 4, Method = c("seq", "seq", "dep", "dep"), Aggreg = c(1, 1, 5, 5))
  largest <- data.frame(run = 1:4, n_units = 4, true_species_square = c(10, 20, 8, 8),
                        est_observed = c(8, 15, 4, 6), est_chao2 = c(12, 25, 6, 10), est_jack2 = c(NA, 22, 7, 9))
  smaller <- transform(largest, n_units = 2, est_observed = 1000, est_chao2 = 1000, est_jack2 = 1000)
  samples <- rbind(smaller, largest)
  samples <- cbind(samples[1], design = runs$Method[samples$run], samples[-1])
  lorvenna:::new_lorvenna(list(runs = runs, samples = samples))
}

test_that("the mean estimate, mean relative bias and RMSE of each row and design are those worked by hand", {
  s <- summary(hand_made())
  expect_s3_class(s, "summary.lorvenna")
  expect_s3_class(s, "data.frame")
  expected <- data.frame(
    row = c(1, 1, 1, 2, 2, 2), design = rep(c("seq", "dep"), each = 3), Aggreg = rep(c(1, 5), each = 3),
    n_units = 4, estimator = rep(c("observed", "chao2", "jack2"), 2),
    replicates = c(2L, 2L, 1L, 2L, 2L, 2L),     # jack2 has no estimate in run 1
    truth = c(15, 15, 20, 8, 8, 8),
    mean = c(11.5, 18.5, 22, 5, 8, 8),
    # the mean of (estimate - truth) / truth, not the bias of the means (-0.233 for row 1's observed)
    relative_bias = c(-0.225, 0.225, 0.1, -0.375, 0, 0),
    rmse = c(sqrt(14.5), sqrt(14.5), 2, sqrt(10), 2, 1))
  expect_equal(as.data.frame(s)[names(expected)], expected)
  # maxSa is the same everywhere and Method is the design: neither is shown as a parameter.
  expect_identical(attr(s, "params"), "Aggreg")
})

test_that("a long table of estimates adds its estimators and their coverage, and replaces the samples' columns", {
  x <- hand_made()
  x$estimates <- data.frame(
    run = c(1:4, 1, 1:4), n_units = c(4, 4, 4, 4, 2, 4, 4, 4, 4), quantity = "richness",
    basis = rep(c("abundance", "incidence"), c(5, 4)), estimator = rep(c("chao1", "chao2"), c(5, 4)),
    estimate = c(9, 21, 8, 9, 500, 13, 25, 6, 10), se = 1, lower95 = 0, upper95 = 0,
    truth = c(10, 20, 8, 8, 10, 10, 20, 8, 8), relative_bias = 0,
    covered = c(TRUE, FALSE, TRUE, TRUE, FALSE, TRUE, TRUE, FALSE, TRUE))
  s <- summary(x)
  expect_identical(unique(s$estimator), c("observed", "jack2", "chao1", "chao2"))
  expect_equal(s$mean[s$estimator == "chao1"], c(15, 8.5))
  expect_equal(s$relative_bias[s$estimator == "chao1"], c(-0.025, 0.0625))
  expect_equal(s$coverage[s$estimator == "chao1"], c(0.5, 1))
  expect_equal(s$mean[s$estimator == "chao2"], c(19, 8))       # the long table's chao2, not the samples' column
  expect_equal(s$coverage[s$estimator == "chao2"], c(1, 0.5))
  expect_identical(s$replicates[s$estimator == "chao2"], c(2L, 2L))
  expect_true(all(is.na(s$coverage[s$estimator %in% c("observed", "jack2")])))

  op <- options(width = 200)
  out <- capture.output(print(s))
  options(op)
  titles <- c("Mean estimate beside the mean truth", "Relative bias", "Root mean square error", "Coverage")
  for (t in titles) expect_identical(sum(startsWith(out, t)), 1L, label = t)
  expect_match(out[1], "of 4 pass(es): 2 parameter row(s) and design(s), 2 replicate(s) each", fixed = TRUE)
  # One line per row and design in each of the four blocks, one column per estimator.
  expect_identical(sum(grepl("^ +1 +seq +1 +4 ", out)), 4L)
  expect_identical(sum(grepl("^ +2 +dep +5 +4 ", out)), 4L)
  below <- function(title, k) out[which(startsWith(out, title)) + k]
  expect_match(below("Mean estimate", 1), "truth +observed +jack2 +abundance:chao1 +incidence:chao2$")
  expect_match(below("Mean estimate", 2), " 15.0 +11.5 +22.0 +15.0 +19.0$")
  expect_match(below("Relative bias", 2), " -0.225 +0.100 +-0.025 +0.275$")
  expect_match(below("Root mean square error", 3), " 3.16 +1.00 +0.707 +2.00$")
  expect_match(below("Coverage", 2), " NA +NA +0.500 +1.000$")
  # On a narrow console a block is cut into parts, each line still led by its row, design and parameters.
  op <- options(width = 50)
  narrow <- capture.output(print(s))
  options(op)
  expect_true(all(nchar(narrow[startsWith(narrow, " ")]) <= 50))  # the table lines; titles stay whole
  lines <- narrow[grepl("^ +[0-9]+ +(seq|dep) ", narrow)]
  expect_gt(length(lines), 8L)
  expect_equal(sum(grepl("^ +1 +seq +1 +4 ", lines)), length(lines) / 2)
  for (label in c("observed", "jack2", "abundance:chao1", "incidence:chao2"))
    expect_identical(sum(grepl(paste0(" ", label, "( |$)"), narrow)), 4L, label = label)
})

test_that("the summary of a sweep agrees with the engine's own relative bias, row by row", {
  p <- small_rows(c("seq", "ind"))
  p <- p[rep(1:2, 2), ]
  p$Aggreg <- rep(c(1, 20), each = 2)
  x <- suppressWarnings(lv_simulate(p, seed = 21, replicates = 3))
  s <- summary(x)
  # Every estimator of the estimates table under its quantity and basis, and
  # the SAR extrapolation of the samples table (no basis), once per row.
  expected <- rbind(
    data.frame(quantity = "richness", basis = "incidence",
               estimator = c("observed", "homogeneous", "chao2", "chao2_bc", "ichao2", "ice", "ice1",
                             "jack1", "jack2", "bootstrap")),
    data.frame(quantity = "richness", basis = "abundance",
               estimator = c("observed", "homogeneous", "homogeneous_mle", "chao1", "chao1_bc", "ichao1",
                             "ace", "ace1", "jack1", "jack2")),
    data.frame(quantity = c("hill1", "hill1", "hill2", "hill2", "coverage"), basis = "abundance",
               estimator = c("observed", "estimated", "observed", "estimated", "estimated")),
    data.frame(quantity = "richness", basis = NA, estimator = "sar_extrapolated"))
  key <- function(d) paste(d$quantity, d$basis, d$estimator)
  for (r in unique(s$row)) expect_setequal(key(s[s$row == r, ]), key(expected))
  expect_identical(nrow(s), nrow(p) * nrow(expected))
  # The samples table's bias_ columns are the incidence estimators' (and the
  # SAR's); jack2 of the estimates table is floored at the observed richness.
  estimators <- c("observed", "bootstrap", "chao2", "jack1", "sar_extrapolated")
  s <- s[s$quantity == "richness" & (is.na(s$basis) | s$basis == "incidence"), ]
  # Each line belongs to its row of params.
  expect_identical(s$design, p$Method[s$row])
  expect_identical(s$Aggreg, p$Aggreg[s$row])
  expect_identical(attr(s, "params"), "Aggreg")   # maxSa differs only with the design (ind lays out fewer units)
  top <- x$samples[x$samples$n_units == ave(x$samples$n_units, x$samples$run, FUN = max), ]
  top$row <- x$runs$row[match(top$run, x$runs$run)] - 1
  for (e in estimators) {
    mine <- s[s$estimator == e, ]
    engine <- tapply(top[[paste0("bias_", e)]], top$row, mean, na.rm = TRUE)
    expect_equal(mine$relative_bias, as.vector(engine[as.character(mine$row)]), tolerance = 1e-12, label = e)
    truth <- tapply(top$true_species_square, top$row, mean)
    expect_equal(mine$truth[mine$replicates == 3], as.vector(truth[as.character(mine$row)])[mine$replicates == 3],
                 label = e)
  }
  expect_true(all(s$replicates[s$estimator == "observed"] == 3L))
  out <- capture.output(print(s))
  expect_false(any(grepl("^\\$|List of", out)))  # the table, not the list's structure
  expect_error(summary(lv_simulate(small_rows("seq"), mode = "m")), "a model-only run samples nothing", fixed = TRUE)
})
