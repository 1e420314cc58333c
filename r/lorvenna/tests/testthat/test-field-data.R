# lv_estimate() hands field data to the engine whole, in every shape iNEXT
# takes, and the engine's estimates come back: a handful of them against
# SpadeR and iNEXT (the engine's own tests hold all of them), and its
# refusals as R errors naming the line and column.

reference <- function(file) utils::read.csv(test_path("reference", file), stringsAsFactors = FALSE)
datasets <- reference("datasets.csv")
values <- stats::setNames(lapply(strsplit(datasets$values, " "), as.numeric), datasets$data)
tools <- reference("estimators.csv")

test_that("every reference data set, as a list per data type, gives SpadeR's and iNEXT's values", {
  for (type in c("abundance", "incidence_freq")) {
    sets <- values[datasets$type == type]
    e <- lv_estimate(sets, type, bootstraps = 0)$estimates
    expect_identical(unique(e$assemblage), names(sets))
    expect_identical(nrow(e), 15L * length(sets))
    basis <- if (type == "abundance") "abundance" else "incidence"
    expect_true(all(e$basis == basis))
    if (type == "incidence_freq") expect_identical(e$n_units[!duplicated(e$assemblage)], vapply(sets, `[`, 0, 1),
                                                   ignore_attr = TRUE)
    # name in the reference table -> quantity and estimator in ours, and the
    # tolerance: SpadeR prints three decimals (absolute), iNEXT its full
    # precision (relative; SC four decimals), but for the incidence Simpson
    # estimator, which iNEXT sums in single precision.
    chao <- if (type == "abundance") "Chao1 (Chao, 1984)" else "Chao2 (Chao, 1987)"
    ace <- if (type == "abundance") "ACE (Chao & Lee, 1992)" else "ICE (Lee & Chao, 1994)"
    cases <- data.frame(
      name = c(chao, ace, "1st order jackknife", "Shannon diversity estimator", "Simpson diversity estimator",
               "sample coverage SC"),
      quantity = c("richness", "richness", "richness", "hill1", "hill2", "coverage"),
      estimator = c(if (type == "abundance") "chao1" else "chao2", if (type == "abundance") "ace" else "ice",
                    "jack1", "estimated", "estimated", "estimated"),
      absolute = c(6e-4, 6e-4, 6e-4, NA, NA, 5e-5),
      relative = c(NA, NA, NA, 1e-8, if (type == "abundance") 1e-8 else 1e-6, NA))
    checked <- 0
    for (i in seq_len(nrow(cases))) {
      theirs <- tools[tools$estimator == cases$name[i] & tools$data %in% names(sets), ]
      expect_gt(nrow(theirs), 0)
      ours <- e[e$quantity == cases$quantity[i] & e$estimator == cases$estimator[i], ]
      ours <- ours[match(theirs$data, ours$assemblage), ]
      for (col in c("estimate", "se", "lower95", "upper95")) {
        given <- !is.na(theirs[[col]])
        what <- paste(type, cases$name[i], col)
        if (is.na(cases$relative[i]))
          expect_true(all(abs(ours[[col]][given] - theirs[[col]][given]) <= cases$absolute[i]), label = what)
        else
          expect_equal(ours[[col]][given], theirs[[col]][given], tolerance = cases$relative[i], label = what)
        checked <- checked + sum(given)
      }
    }
    expect_gt(checked, 100)
  }
})

test_that("the curves of a data set are iNEXT's at its own knots", {
  curves <- reference("rarefaction.csv")
  for (type in c("abundance", "incidence_freq")) {
    name <- if (type == "abundance") "spade_example_abundance" else "spade_example_incidence"
    r <- lv_estimate(values[name], type, rarefaction = TRUE, bootstraps = 0)$rarefaction
    theirs <- curves[curves$data == name, ]
    ours <- r[match(paste(theirs$q, theirs$size), paste(r$q, r$m)), ]
    expect_false(anyNA(ours$estimate), label = name)  # the same 40 knots
    expect_equal(ours$estimate, theirs$qD, tolerance = 1e-8, label = name)
    expect_equal(ours$coverage, theirs$SC, tolerance = 1e-8, label = name)
    expect_identical(ours$method, c(Rarefaction = "interpolated", Observed = "observed",
                                    Extrapolation = "extrapolated")[theirs$method], ignore_attr = TRUE)
    expect_true(all(is.na(r$lower95)))  # no bootstraps, no band
  }
})

test_that("vectors, matrices, data frames and raw incidence tables give the same estimates", {
  a <- values$spade_example_abundance
  b <- values$lognormal_1_abundance
  one <- lv_estimate(a)$estimates
  expect_identical(unique(one$assemblage), "a")  # a single vector takes the variable's name
  wide <- cbind(a, c(b, rep(0, length(a) - length(b))))
  framed <- lv_estimate(as.data.frame(wide), seed = 3)$estimates
  expect_identical(unique(framed$assemblage), c("a", "V2"))
  expect_identical(unique(lv_estimate(unname(wide), seed = 3)$estimates$assemblage), c("assemblage1", "assemblage2"))
  listed <- lv_estimate(list(a = a, V2 = b), seed = 3)$estimates
  expect_identical(framed, listed)
  expect_equal(framed[framed$assemblage == "a", "estimate"], one$estimate)
  # Raw incidence: units of two assemblages, species x units; their
  # frequencies give the incidence-frequency estimates, and the bootstrap's
  # standard error, which needs the units themselves.
  raw <- rbind(c(1, 1, 1, 0, 0), c(1, 0, 0, 1, 0), c(0, 1, 0, 0, 1), c(0, 0, 1, 0, 0), c(1, 0, 0, 1, 1),
               c(0, 1, 0, 0, 0))
  colnames(raw) <- c("ants", "ants", "ants", "bees", "bees")
  from_raw <- lv_estimate(raw, "incidence_raw")$estimates
  freq <- list(ants = c(3, rowSums(raw[, 1:3])), bees = c(2, rowSums(raw[, 4:5])))
  from_freq <- lv_estimate(freq, "incidence_freq")$estimates
  richness <- from_raw$quantity == "richness"
  expect_equal(from_raw$estimate[richness], from_freq$estimate[richness])
  boot <- from_raw$estimator == "bootstrap"
  expect_true(all(!is.na(from_raw$se[boot])) && all(is.na(from_freq$se[boot])))
  listed_raw <- lv_estimate(list(ants = raw[, 1:3], bees = raw[1:5, 4:5]), "incidence_raw")$estimates
  expect_identical(listed_raw, from_raw)  # a shorter matrix is filled up with species not found
  # The same data and seed word give the same intervals.
  expect_identical(lv_estimate(a, seed = 9)$estimates, lv_estimate(a, seed = 9)$estimates)
  expect_false(identical(lv_estimate(a, seed = 9)$estimates, lv_estimate(a, seed = 10)$estimates))
  expect_output(print(lv_estimate(a, bootstraps = 0)), "abundance data, 1 assemblage\\(s\\): a")
})

test_that("data the engine refuses end in an R error naming the line and column", {
  cases <- list(
    list(data = c(5, 2.5, 1), type = "abundance", says = "line 3, column 1 (assemblage): a fractional count (2.5)"),
    list(data = data.frame(n = c(4, 1), m = c(-1, 2)), type = "abundance", says = "line 2, column 2 (m): a negative count (-1)"),
    list(data = list(a = c(3, 1, 5)), type = "incidence_freq",
         says = "line 4, column 1 (a): the species is found in 5 units, more than the 3 sampling units on line 2"),
    list(data = data.frame(x = c("1", "1,000")), type = "abundance", says = "line 3, column 1 (x): text where a count belongs"),
    list(data = c(0, 0), type = "abundance", says = "line 1, column 1 (assemblage): the column holds no species"),
    list(data = matrix(c(1, 2, 0, 1), 2), type = "incidence_raw",
         says = "line 3, column 1 (assemblage): a raw incidence table holds 0 or 1 in every unit, not 2"))
  for (case in cases)
    expect_error(lv_estimate(case$data, case$type), case$says, fixed = TRUE, label = case$says)
  expect_error(lv_estimate(1:3, "incidence_raw"), "species x units matrix")
  expect_error(lv_estimate(1:3, bootstraps = -1), "bootstraps must be one whole number")
  expect_error(lv_estimate(1:3, "pairs"), "should be one of")
})
