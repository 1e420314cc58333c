# Plots of a simulation, one call each, every one a ggplot object.

check_lorvenna <- function(x) {
  if (!inherits(x, "lorvenna")) stop("x must be a result of lv_simulate() or lv_read()", call. = FALSE)
}

# The runs to draw: those asked for, or the first pass that is ok.
pick_runs <- function(x, run) {
  if (is.null(run)) {
    ok <- x$runs$run[x$runs$status == "ok"]
    if (length(ok) == 0) stop("no pass of x is ok: see x$runs$status", call. = FALSE)
    return(ok[1])
  }
  unknown <- setdiff(run, x$runs$run)
  if (length(unknown) > 0) stop("x has no run ", paste(unknown, collapse = ", "), call. = FALSE)
  run
}

# For every run, the rows of `table` at the largest sample size.
largest_sample <- function(table) {
  if (nrow(table) == 0) return(table)
  top <- stats::ave(table$n_units, table$run, FUN = max)
  table[table$n_units == top, , drop = FALSE]
}

#' Species-area points and power fits
#'
#' The species-area points of the largest sample of every pass (`curve`:
#' area and species) with the power fit S = c A^z the engine made of them
#' (`samples`: `sar_c`, `sar_z`), on log-log axes, coloured by design, one
#' facet per parameter row; replicates of a row share its facet. Points with
#' no species or no area are left out (a logarithm has no place for them).
#'
#' @param x a result of [lv_simulate()] or [lv_read()].
#' @param runs run numbers to draw; `NULL`: every pass.
#' @return A ggplot object.
#' @seealso [plot.lorvenna()] draws it for a result.
#' @examples
#' p <- lv_template(1, Method = c("seq", "oct"))
#' p$Areal <- 40
#' p$SampA <- 16
#' x <- lv_simulate(p, replicates = 2)
#' lv_plot_sar(x)
#' lv_plot_sar(x, runs = 1)
#' @export
lv_plot_sar <- function(x, runs = NULL) {
  check_lorvenna(x)
  samples <- largest_sample(x$samples)
  if (!is.null(runs)) samples <- samples[samples$run %in% pick_runs(x, runs), , drop = FALSE]
  key <- paste(samples$run, samples$n_units)
  curve <- x$curve[paste(x$curve$run, x$curve$n_units) %in% key, c("run", "n_units", "area", "species")]
  curve <- curve[curve$area > 0 & curve$species > 0 & !is.na(curve$species), , drop = FALSE]
  if (nrow(curve) == 0)
    stop("no species-area points to draw: the passes have no sampled areas with species", call. = FALSE)
  info <- x$runs[, c("run", "row", "replicate")]
  info$design <- samples$design[match(info$run, samples$run)]
  # The row of params (runs$row is its line in a batch file); a dialogue's pass has no row.
  panel <- paste0(ifelse(is.na(info$row), paste("run", info$run), paste("row", info$row - 1)), ": ", info$design)
  info$panel <- factor(panel, levels = unique(panel[order(info$row, info$run)]))  # facets in row order
  points <- merge(curve, info, by = "run")
  fitted <- samples[!is.na(samples$sar_c) & !is.na(samples$sar_z), c("run", "sar_c", "sar_z"), drop = FALSE]
  lines <- do.call(rbind, lapply(seq_len(nrow(fitted)), function(i) {
    a <- points$area[points$run == fitted$run[i]]
    if (length(a) == 0) return(NULL)
    area <- exp(seq(log(min(a)), log(max(a)), length.out = 40))
    data.frame(run = fitted$run[i], area = area, species = fitted$sar_c[i] * area^fitted$sar_z[i])
  }))
  p <- ggplot2::ggplot(points, ggplot2::aes(.data$area, .data$species, colour = .data$design)) +
    ggplot2::geom_point(alpha = 0.7)
  if (!is.null(lines)) {
    lines <- merge(lines, info, by = "run")
    p <- p + ggplot2::geom_line(data = lines, ggplot2::aes(group = .data$run))
  }
  p + ggplot2::scale_x_log10() + ggplot2::scale_y_log10() +
    ggplot2::facet_wrap(ggplot2::vars(.data$panel)) +
    ggplot2::labs(x = "area (cells)", y = "species", colour = "design",
                  title = "Species-area points and power fits S = c A^z",
                  subtitle = "largest sample of every pass; one line per pass")
}

#' Rank-abundance of the community and of the sample
#'
#' Individuals per species against rank, on a logarithmic axis: the
#' community (individuals placed on the grid; the expected abundances of a
#' model-only run) and the largest sample (individuals in its units). Species
#' without individuals are left out.
#'
#' @param x a result of [lv_simulate()] or [lv_read()].
#' @param run run numbers to draw, one facet each; `NULL`: the first pass that
#'   is ok.
#' @return A ggplot object.
#' @examples
#' p <- lv_template(1, Method = c("seq", "oct"))
#' p$Areal <- 40
#' p$SampA <- 16
#' lv_plot_rad(lv_simulate(p), run = 1:2)
#' @export
lv_plot_rad <- function(x, run = NULL) {
  check_lorvenna(x)
  run <- pick_runs(x, run)
  sp <- x$species[x$species$run %in% run, , drop = FALSE]
  community <- if (all(is.na(sp$placed))) sp$expected else sp$placed
  ranked <- function(values, what) {
    d <- data.frame(run = sp$run, abundance = values)
    d <- d[!is.na(d$abundance) & d$abundance > 0, , drop = FALSE]
    d <- d[order(d$run, -d$abundance), , drop = FALSE]
    d$rank <- stats::ave(d$abundance, d$run, FUN = seq_along)
    if (nrow(d) > 0) d$source <- what
    d
  }
  d <- rbind(ranked(community, "community"), ranked(sp$in_sample, "sample"))
  if (nrow(d) == 0) stop("run ", paste(run, collapse = ", "), " has no species with individuals", call. = FALSE)
  p <- ggplot2::ggplot(d, ggplot2::aes(.data$rank, .data$abundance, colour = .data$source)) +
    ggplot2::geom_line() + ggplot2::geom_point(size = 1) + ggplot2::scale_y_log10() +
    ggplot2::labs(x = "rank", y = "individuals", colour = NULL,
                  title = "Rank-abundance: community and largest sample")
  if (length(run) > 1) p <- p + ggplot2::facet_wrap(ggplot2::vars(.data$run), labeller = ggplot2::label_both)
  p
}

# The habitat grid of a run as cells x, y, value.
habitat_cells <- function(x, run) {
  grid <- x$habitat[[as.character(run)]]
  if (is.null(grid))
    stop("x has no habitat grid for run ", run, ": simulate with habitat = TRUE ",
         "(the command line: --tidy --habitat)", call. = FALSE)
  n <- nrow(grid)
  data.frame(x = rep(seq_len(n), times = ncol(grid)), y = rep(seq_len(ncol(grid)), each = n),
             habitat = as.vector(grid))
}

#' The habitat grid, the sampling units and one species' individuals
#'
#' `lv_plot_habitat()` draws the habitat grid of a pass as a raster, with the
#' units of its largest sample outlined and the sampled square dashed.
#' `lv_plot_map()` draws the individuals of the mapped species in every cell,
#' as points sized by their number, over the habitat.
#'
#' @param x a result of `lv_simulate(..., habitat = TRUE)` (with `map = N` for
#'   `lv_plot_map()`), or of [lv_read()] on a folder written with
#'   `--tidy --habitat` (`--map N`).
#' @param run the run to draw; `NULL`: the first pass that is ok.
#' @return A ggplot object.
#' @examples
#' p <- lv_template(1)
#' p$Areal <- 40
#' p$SampA <- 16
#' x <- lv_simulate(p, habitat = TRUE, map = 1)
#' lv_plot_habitat(x)
#' lv_plot_map(x)
#' @export
lv_plot_habitat <- function(x, run = NULL) {
  check_lorvenna(x)
  run <- pick_runs(x, run)[1]
  cells <- habitat_cells(x, run)
  units <- x$units[x$units$run == run & !is.na(x$units$x), , drop = FALSE]
  units$xmin <- units$x - 0.5
  units$xmax <- units$x + units$side - 0.5
  units$ymin <- units$y - 0.5
  units$ymax <- units$y + units$cells / units$side - 0.5
  r <- x$runs[x$runs$run == run, ]
  p <- ggplot2::ggplot(cells, ggplot2::aes(.data$x, .data$y)) +
    ggplot2::geom_raster(ggplot2::aes(fill = .data$habitat))
  if (!is.na(r$square_offset)) {
    square <- data.frame(xmin = r$square_offset + 0.5, xmax = r$square_offset + r$SampA + 0.5)
    p <- p + ggplot2::geom_rect(data = square, inherit.aes = FALSE, fill = NA, colour = "grey20",
                                linetype = "dashed",
                                ggplot2::aes(xmin = .data$xmin, xmax = .data$xmax, ymin = .data$xmin, ymax = .data$xmax))
  }
  if (nrow(units) > 0)
    p <- p + ggplot2::geom_rect(data = units, inherit.aes = FALSE, fill = NA, colour = "white",
                                ggplot2::aes(xmin = .data$xmin, xmax = .data$xmax, ymin = .data$ymin, ymax = .data$ymax))
  p + ggplot2::coord_equal(expand = FALSE) + ggplot2::scale_fill_viridis_c() +
    ggplot2::labs(x = "x (cells)", y = "y (cells)", fill = "habitat",
                  title = sprintf("Habitat of run %s, design %s", run, r$Method),
                  subtitle = "white: the units of the largest sample; dashed: the sampled square")
}

#' @rdname lv_plot_habitat
#' @export
lv_plot_map <- function(x, run = NULL) {
  check_lorvenna(x)
  run <- pick_runs(x, run)[1]
  counts <- x$maps[[as.character(run)]]
  if (is.null(counts))
    stop("x has no species map for run ", run, ": simulate with habitat = TRUE and map = N ",
         "(the command line: --tidy --habitat --map N)", call. = FALSE)
  cells <- habitat_cells(x, run)
  cells$individuals <- as.vector(counts)
  occupied <- cells[cells$individuals > 0, , drop = FALSE]
  if (nrow(occupied) == 0) stop("the mapped species has no individuals in run ", run, call. = FALSE)
  species <- attr(x, "map_species")
  ggplot2::ggplot(cells, ggplot2::aes(.data$x, .data$y)) +
    ggplot2::geom_raster(ggplot2::aes(fill = .data$habitat)) +
    ggplot2::geom_point(data = occupied, ggplot2::aes(size = .data$individuals), colour = "red", alpha = 0.6) +
    ggplot2::coord_equal(expand = FALSE) + ggplot2::scale_fill_viridis_c() +
    ggplot2::scale_size_area(max_size = 3) +
    ggplot2::labs(x = "x (cells)", y = "y (cells)", fill = "habitat", size = "individuals",
                  title = sprintf("Individuals of species %s in run %s", if (is.null(species)) "mapped" else species, run))
}

# The parameter a sweep varies, by param_variation(); says which it took.
swept_parameter <- function(d) {
  v <- param_variation(d, d$design)
  if (length(v$swept) == 1) {
    message("lv_plot_bias(): by = \"", v$swept, "\", the one parameter that varies besides the design",
            if (length(v$held) > 0) paste0(" (", paste(v$held, collapse = ", "), " follow",
                                           if (length(v$held) == 1) "s", " the design)"))
    return(v$swept)
  }
  stop("name the swept parameter with by = : ",
       if (length(v$swept) == 0) "no parameter varies across the passes besides the design" else
         paste("several vary:", paste(v$swept, collapse = ", ")), call. = FALSE)
}

#' Relative bias of the estimators across a sweep
#'
#' For every design, the relative bias of each estimator at the largest
#' sample of every pass against the swept parameter: the replicates as faint
#' points, their mean joined by lines, and the mean plus and minus one
#' standard deviation. The estimators are the `samples` table's columns whose
#' names begin with `bias_` (`bias_observed`, `bias_chao2`, `bias_jack1`,
#' ...) of the estimators named; a table without them is refused with a
#' message saying so. The power species-area extrapolation
#' (`sar_extrapolated`) is left out unless named: extrapolated from small
#' areas it can miss by many times the truth, which would flatten the others.
#'
#' Without `by` the swept parameter is the one parameter column, besides the
#' design, that varies across the passes; `maxSa`, `minSa`, `StepSa` and
#' `Sampfac` do not count where they change only with the design (a design
#' lays out no more units than fit in the square). A message names the
#' parameter taken.
#'
#' @param x a result of [lv_simulate()] or [lv_read()], or a data frame with a
#'   `design` column, the `bias_` columns and the swept parameter's column, one
#'   row per pass.
#' @param by the swept parameter's column; `NULL`: found as described above.
#' @param estimators the estimators to plot, by the names after `bias_`;
#'   `NULL`: every `bias_` column.
#' @return A ggplot object.
#' @seealso [summary.lorvenna()] for the mean relative bias and RMSE as
#'   numbers.
#' @examples
#' p <- lv_template(1, Aggreg = c(1, 20), Method = c("seq", "ind"))
#' p$Areal <- 40
#' p$SampA <- 16
#' x <- lv_simulate(p, seed = 3, replicates = 3)
#' lv_plot_bias(x)
#' lv_plot_bias(x, estimators = c("observed", "chao2"))
#'
#' # Any table of biases with a design column
#' d <- expand.grid(replicate = 1:3, Aggreg = c(1, 5, 20), design = c("seq", "dep"))
#' d$bias_observed <- -0.02 * d$Aggreg + rnorm(nrow(d), sd = 0.02)
#' d$bias_chao2 <- -0.01 * d$Aggreg + rnorm(nrow(d), sd = 0.03)
#' lv_plot_bias(d, by = "Aggreg")
#' @export
lv_plot_bias <- function(x, by = NULL, estimators = c("observed", "bootstrap", "chao2", "jack1", "jack2")) {
  if (inherits(x, "lorvenna")) {
    samples <- largest_sample(x$samples)
    d <- merge(samples, x$runs[, c("run", setdiff(names(x$runs), names(samples)))], by = "run")
  } else if (is.data.frame(x)) {
    d <- x
  } else {
    stop("x must be a result of lv_simulate() or lv_read(), or a data frame of samples", call. = FALSE)
  }
  bias <- grep("^bias_", names(d), value = TRUE)
  if (length(bias) == 0)
    stop("x has no bias_ columns (bias_observed, bias_chao2, bias_jack1, ...): this engine's samples table ",
         "does not carry the estimators' relative bias", call. = FALSE)
  if (!is.null(estimators)) {
    bias <- intersect(paste0("bias_", estimators), bias)
    if (length(bias) == 0) stop("x has none of the estimators ", paste(estimators, collapse = ", "), call. = FALSE)
  }
  if (!"design" %in% names(d)) stop("x has no design column", call. = FALSE)
  if (is.null(by)) by <- swept_parameter(d)
  if (!by %in% names(d)) stop("x has no column ", by, call. = FALSE)
  long <- do.call(rbind, lapply(bias, function(col)
    data.frame(design = d$design, value = d[[by]], estimator = sub("^bias_", "", col), bias = d[[col]])))
  long <- long[!is.na(long$bias), , drop = FALSE]
  if (nrow(long) == 0) stop("every bias_ value of x is NA", call. = FALSE)
  groups <- interaction(long$design, long$value, long$estimator, drop = TRUE)
  mean_bias <- tapply(long$bias, groups, mean)
  sd_bias <- tapply(long$bias, groups, function(b) if (length(b) > 1) stats::sd(b) else 0)
  first <- !duplicated(groups)
  summary <- long[first, c("design", "value", "estimator")]
  key <- as.character(groups[first])
  summary$bias <- as.vector(mean_bias[key])
  summary$low <- summary$bias - as.vector(sd_bias[key])
  summary$high <- summary$bias + as.vector(sd_bias[key])
  # A sweep by factors (0.5, 2, 8, 32) is drawn on a logarithmic axis, so
  # that its small values do not crowd together; ticks at the swept values.
  values <- sort(unique(long$value))
  numeric <- is.numeric(values)
  logarithmic <- numeric && length(values) > 2 && values[1] > 0 && values[length(values)] / values[1] >= 10
  span <- if (!numeric) 0 else if (logarithmic) diff(range(log10(values))) else diff(range(values))
  dodge <- ggplot2::position_dodge(width = if (numeric) 0.02 * span else 0.3)
  x_scale <- if (!numeric) NULL else if (logarithmic) ggplot2::scale_x_log10(breaks = values) else
    if (length(values) <= 12) ggplot2::scale_x_continuous(breaks = values)
  ggplot2::ggplot(summary, ggplot2::aes(.data$value, .data$bias, colour = .data$estimator,
                                        group = .data$estimator)) +
    ggplot2::geom_hline(yintercept = 0, colour = "grey50") +
    ggplot2::geom_point(data = long, alpha = 0.25, size = 0.8, position = dodge) +
    ggplot2::geom_line(position = dodge) +
    ggplot2::geom_pointrange(ggplot2::aes(ymin = .data$low, ymax = .data$high), position = dodge, size = 0.3) +
    x_scale +
    ggplot2::facet_wrap(ggplot2::vars(.data$design)) +
    ggplot2::labs(x = by, y = "relative bias", colour = "estimator",
                  title = "Relative bias of the richness estimators",
                  subtitle = "faint points: replicates; ranges: mean +/- one standard deviation")
}

#' Plots of a simulation as ggplot objects
#'
#' `autoplot()` (the 'ggplot2' generic) returns one of the package's plots of
#' a result as a ggplot object, to extend with `+` or save with
#' [ggplot2::ggsave()]. `plot()` prints it and returns it invisibly, as
#' 'ggplot2' does.
#'
#' @param object,x a result of [lv_simulate()] or [lv_read()].
#' @param type the plot: `"sar"` the species-area points and fits
#'   ([lv_plot_sar()]), `"rad"` rank-abundance ([lv_plot_rad()]), `"habitat"`
#'   ([lv_plot_habitat()]), `"map"` ([lv_plot_map()]) or `"bias"` the
#'   estimators' relative bias ([lv_plot_bias()]).
#' @param ... passed on to the plot's function, for example `runs`, `run` or
#'   `by`.
#' @return `autoplot()`: a ggplot object; `plot()`: the same, invisibly,
#'   after printing it.
#' @examples
#' p <- lv_template(1, Method = c("seq", "oct"))
#' p$Areal <- 40
#' p$SampA <- 16
#' x <- lv_simulate(p)
#' plot(x)
#' autoplot(x, type = "rad", run = 2) + ggplot2::theme_minimal()
#' @export
autoplot.lorvenna <- function(object, type = c("sar", "rad", "habitat", "map", "bias"), ...) {
  type <- match.arg(type)
  switch(type,
         sar = lv_plot_sar(object, ...),
         rad = lv_plot_rad(object, ...),
         habitat = lv_plot_habitat(object, ...),
         map = lv_plot_map(object, ...),
         bias = lv_plot_bias(object, ...))
}

#' @rdname autoplot.lorvenna
#' @export
plot.lorvenna <- function(x, type = c("sar", "rad", "habitat", "map", "bias"), ...) {
  p <- autoplot.lorvenna(x, type = type, ...)
  print(p)
  invisible(p)
}
