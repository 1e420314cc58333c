# Every plot builds without a warning and draws what the tables hold.

sim <- suppressWarnings(lv_simulate(small_rows(c("seq", "dep")), seed = 3, replicates = 2, habitat = TRUE, map = 1,
                                    rarefaction = TRUE, knots = 10, bootstraps = 5))

built_layers <- function(p) {
  expect_no_warning(b <- ggplot2::ggplot_build(p))
  b$data
}

test_that("the species-area plot shows the largest sample's points and one fit per pass", {
  layers <- built_layers(lv_plot_sar(sim))
  top <- sim$samples[sim$samples$n_units == max(sim$samples$n_units), ]
  pts <- merge(sim$curve, top[, c("run", "n_units")])
  expect_identical(nrow(layers[[1]]), sum(pts$area > 0 & pts$species > 0))
  expect_identical(length(unique(layers[[2]]$group)), sum(!is.na(top$sar_z)))
  expect_identical(length(unique(layers[[1]]$PANEL)), 2L)  # one facet per parameter row
  pdf(NULL)
  on.exit(dev.off())
  expect_s3_class(plot(sim), "ggplot")
})

test_that("the rank-abundance plot ranks the community and the sample", {
  for (run in list(NULL, c(1, 4))) {
    layers <- built_layers(lv_plot_rad(sim, run))
    sp <- sim$species[sim$species$run %in% (if (is.null(run)) 1 else run), ]
    expect_identical(nrow(layers[[2]]), sum(sp$placed > 0) + sum(sp$in_sample > 0))
    falls <- tapply(layers[[2]]$y, list(layers[[2]]$group, layers[[2]]$PANEL), function(y) all(diff(y) <= 0))
    expect_true(all(falls[!is.na(falls)]))  # abundances fall with rank
  }
})

test_that("the habitat plot covers the grid and outlines every unit", {
  layers <- built_layers(lv_plot_habitat(sim, 3))
  side <- sim$runs$Areal[3]
  expect_identical(nrow(layers[[1]]), as.integer(side^2))
  expect_identical(nrow(layers[[3]]), sum(sim$units$run == 3))
  expect_error(lv_plot_habitat(suppressWarnings(lv_simulate(small_rows("seq")))), "habitat = TRUE")
})

test_that("the map plot shows one point per occupied cell of the mapped species", {
  layers <- built_layers(lv_plot_map(sim, 2))
  expect_identical(nrow(layers[[2]]), sum(sim$maps[["2"]] > 0))
  placed <- sim$species$placed[sim$species$run == 2 & sim$species$species == 1]
  expect_equal(sum(layers[[2]]$size > 0), nrow(layers[[2]]))
  expect_equal(sum(sim$maps[["2"]]), placed)
})

test_that("the bias plot averages the relative bias over replicates, per design, swept value and estimator", {
  d <- expand.grid(replicate = 1:3, Aggreg = c(1, 5, 20), design = c("seq", "dep"),
                   estimator = c("observed", "chao2", "jack1"), stringsAsFactors = FALSE)
  d$relative_bias <- ifelse(d$estimator == "observed", -0.1 * d$Aggreg / 20 - 0.01 * d$replicate, 0.05 * d$replicate)
  d$relative_bias[d$estimator == "jack1"] <- NA
  d$quantity <- "richness"
  d <- rbind(d, transform(d, quantity = "hill1", relative_bias = 7))  # another quantity, not drawn
  layers <- built_layers(lv_plot_bias(d, by = "Aggreg"))
  expect_identical(nrow(layers[[2]]), 36L)  # every replicate of the two estimators with values
  means <- layers[[4]]
  expect_identical(nrow(means), 12L)        # 2 designs x 3 values x 2 estimators
  expect_equal(sort(unique(round(means$y, 10))), sort(unique(round(c(-0.1 * c(1, 5, 20) / 20 - 0.02, 0.1), 10))))
  expect_equal(unique(built_layers(lv_plot_bias(d, by = "Aggreg", quantity = "hill1"))[[4]]$y), 7)
  expect_error(lv_plot_bias(d[c("replicate", "Aggreg", "design", "estimator")]), "no column relative_bias")
  expect_error(lv_plot_bias(d, quantity = "hill2"), "no estimates of the quantity hill2; it has richness, hill1")
  # The engine's estimates: richness from incidence unless a basis is named,
  # every estimator of a quantity unless some are named.
  colours <- function(...) length(unique(built_layers(lv_plot_bias(sim, by = "Aggreg", ...))[[4]]$colour))
  expect_identical(colours(), 10L)
  expect_identical(colours(estimators = "chao2"), 1L)
  expect_identical(colours(basis = c("incidence", "abundance")), 20L)
  expect_identical(colours(quantity = "hill1"), 2L)
  labels <- levels(lv_plot_bias(sim, by = "Aggreg", basis = c("incidence", "abundance"))$data$estimator)
  expect_true(all(c("incidence:chao2", "abundance:chao1") %in% labels))
  # Each mean is that of the estimates table's largest sample, over the replicates.
  top <- lorvenna:::largest_sample(sim$estimates)
  chao2 <- top[top$estimator == "chao2" & top$basis == "incidence", ]
  drawn <- lv_plot_bias(sim, by = "Aggreg", estimators = "chao2")$data
  expect_equal(sort(drawn$bias), sort(as.vector(tapply(chao2$relative_bias, chao2$run <= 2, mean))))
  # A sweep by factors on a logarithmic axis, an even one on a linear axis; ticks at the swept values.
  x_scale <- function(p) p$scales$get_scales("x")
  expect_identical(x_scale(lv_plot_bias(d, by = "Aggreg"))$trans$name, "log-10")
  expect_equal(x_scale(lv_plot_bias(d, by = "Aggreg"))$breaks, c(1, 5, 20))
  expect_identical(x_scale(lv_plot_bias(transform(d, Aggreg = Aggreg + 100), by = "Aggreg"))$trans$name, "identity")
})

test_that("the bias plot finds the swept parameter when the sample sizes follow the design, and says so", {
  d <- expand.grid(replicate = 1:2, Aggreg = c(1, 5, 20), design = c("seq", "ind"), stringsAsFactors = FALSE)
  d$estimator <- "observed"
  d$relative_bias <- -0.1
  held <- ifelse(d$design == "ind", 5, 12)  # ind lays out no more units than fit on the square's diagonal
  cases <- list(
    list(what = "only Aggreg varies", maxSa = 12, minSa = 4, Range = 0, by = "Aggreg", says = "by = \"Aggreg\""),
    list(what = "maxSa follows the design", maxSa = held, minSa = 4, Range = 0, by = "Aggreg",
         says = "maxSa follows the design"),
    list(what = "maxSa and minSa follow it", maxSa = held, minSa = held - 1, Range = 0, by = "Aggreg",
         says = "maxSa, minSa follow the design"),
    list(what = "maxSa swept within a design", maxSa = rep(c(8, 12), 6), minSa = 4, Range = 0,
         error = "several vary: maxSa, Aggreg"),
    list(what = "a second parameter swept", maxSa = held, minSa = 4, Range = d$replicate,
         error = "several vary: Aggreg, Range"))
  for (case in cases) {
    d$maxSa <- case$maxSa
    d$minSa <- case$minSa
    d$Range <- case$Range
    if (is.null(case$error)) {
      expect_message(p <- lv_plot_bias(d), case$says, fixed = TRUE, label = case$what)
      expect_identical(p$labels$x, case$by, label = case$what)
    } else {
      expect_error(lv_plot_bias(d), case$error, fixed = TRUE, label = case$what)
    }
  }
  d$Range <- 0
  expect_error(lv_plot_bias(d[d$Aggreg == 1, ]), "no parameter varies across the passes besides the design")
  # The engine's own sweep: ind holds maxSa to 5 units on this square.
  p <- small_rows(c("seq", "ind"))[c(1, 2, 1, 2), ]
  p$Aggreg <- c(1, 1, 20, 20)
  x <- suppressWarnings(lv_simulate(p, seed = 4, replicates = 2))
  expect_gt(length(unique(x$runs$maxSa)), 1)
  expect_message(b <- lv_plot_bias(x), "by = \"Aggreg\".*maxSa follows the design")
  expect_identical(b$labels$x, "Aggreg")
})

test_that("the coverage plot gives each estimator's share of intervals holding the truth, beside 0.95", {
  d <- expand.grid(replicate = 1:4, Aggreg = c(1, 5), design = "dep", estimator = c("observed", "chao2"),
                   stringsAsFactors = FALSE)
  d$relative_bias <- 0
  d$covered <- ifelse(d$estimator == "observed", NA, d$replicate <= ifelse(d$Aggreg == 1, 3, 1))
  d$covered[d$estimator == "chao2" & d$replicate == 4 & d$Aggreg == 1] <- NA  # no interval: not counted
  layers <- built_layers(lv_plot_coverage(d, by = "Aggreg"))
  expect_identical(layers[[1]]$yintercept, 0.95)
  expect_equal(layers[[3]]$y, c(1, 0.25))        # chao2 alone: 3 of 3 intervals, then 1 of 4
  expect_error(lv_plot_coverage(transform(d, covered = NA), by = "Aggreg"), "no estimate of x has an interval")
  # The engine's: every incidence estimator with an interval (not observed).
  top <- lorvenna:::largest_sample(sim$estimates)
  top <- top[top$quantity == "richness" & top$basis == "incidence", ]
  shares <- lv_plot_coverage(sim, by = "Aggreg")$data
  expect_setequal(as.character(shares$estimator), unique(top$estimator[!is.na(top$covered)]))
  jack1 <- top[top$estimator == "jack1", ]
  expect_equal(sort(shares$coverage[shares$estimator == "jack1"]),
               sort(as.vector(tapply(jack1$covered, jack1$run <= 2, mean))))
})

test_that("the rarefaction plot draws the curves of q = 0, 1, 2 with their band, the sample and the truth", {
  for (type in c("size", "coverage")) {
    layers <- built_layers(lv_plot_rarefaction(sim, type = type, run = 2))
    r <- sim$rarefaction[sim$rarefaction$run == 2, ]
    expect_identical(nrow(layers[[1]]), nrow(r))                                 # the band
    expect_identical(nrow(layers[[2]]), nrow(r) + 3L)                            # the observed point in both parts
    expect_identical(sort(unique(layers[[2]]$linetype)), c("dashed", "solid"))   # extrapolated dashed
    expect_identical(nrow(layers[[3]]), 3L)                                      # the sample, one per q
    expect_identical(nrow(layers[[4]]), nrow(r))                                 # the true curve
    expect_equal(sort(layers[[4]]$x), sort(if (type == "size") r$m else r$true_coverage))
    expect_identical(length(unique(layers[[1]]$PANEL)), 3L)
  }
  expect_identical(length(unique(built_layers(lv_plot_rarefaction(sim, run = 1:2))[[1]]$PANEL)), 6L)
  expect_error(lv_plot_rarefaction(suppressWarnings(lv_simulate(small_rows("seq")))), "rarefaction = TRUE")
  # Field data: no truth.
  field <- lv_estimate(list(a = c(30, 9, 4, 2, 1, 1, 1), b = c(5, 5, 2, 1)), rarefaction = TRUE, bootstraps = 5,
                       knots = 8)
  layers <- built_layers(lv_plot_rarefaction(field))
  expect_identical(length(layers), 3L)
  expect_identical(length(unique(layers[[1]]$PANEL)), 6L)  # two assemblages x three orders
  expect_identical(length(built_layers(lv_plot_rarefaction(field, run = "b"))), 3L)
})

test_that("autoplot draws each of the package's plots, and plot prints it and returns it invisibly", {
  functions <- list(sar = lv_plot_sar, rad = lv_plot_rad, habitat = lv_plot_habitat, map = lv_plot_map)
  for (type in names(functions)) {
    ours <- autoplot(sim, type = type)
    expect_s3_class(ours, "ggplot")
    expect_identical(ggplot2::layer_data(ours, 1), ggplot2::layer_data(functions[[type]](sim), 1), label = type)
  }
  expect_identical(autoplot(sim, type = "rad", run = 4)$data, lv_plot_rad(sim, run = 4)$data)
  expect_identical(autoplot(sim, type = "bias", by = "Aggreg")$labels$x, "Aggreg")
  expect_error(autoplot(sim, type = "pie"), "should be one of")
  drawn <- tempfile(fileext = ".png")
  grDevices::png(drawn)
  expect_invisible(p <- plot(sim, type = "habitat", run = 2))
  grDevices::dev.off()
  expect_true(file.exists(drawn))  # printed: the device got a page
  expect_identical(p$labels$title, lv_plot_habitat(sim, 2)$labels$title)
})
