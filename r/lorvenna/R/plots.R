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
#'   ([lv_plot_habitat()]), `"map"` ([lv_plot_map()]), `"bias"` the
#'   estimators' relative bias ([lv_plot_bias()]), `"coverage"` their
#'   intervals' coverage ([lv_plot_coverage()]) or `"rarefaction"` the
#'   rarefaction and extrapolation curves ([lv_plot_rarefaction()]).
#' @param ... passed on to the plot's function, for example `runs`, `run` or
#'   `by`, `quantity`.
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
autoplot.lorvenna <- function(object, type = c("sar", "rad", "habitat", "map", "bias", "coverage", "rarefaction"),
                              ...) {
  type <- match.arg(type)
  switch(type,
         sar = lv_plot_sar(object, ...),
         rad = lv_plot_rad(object, ...),
         habitat = lv_plot_habitat(object, ...),
         map = lv_plot_map(object, ...),
         bias = lv_plot_bias(object, ...),
         coverage = lv_plot_coverage(object, ...),
         rarefaction = lv_plot_rarefaction(object, ...))
}

#' @rdname autoplot.lorvenna
#' @export
plot.lorvenna <- function(x, type = c("sar", "rad", "habitat", "map", "bias", "coverage", "rarefaction"), ...) {
  p <- autoplot.lorvenna(x, type = type, ...)
  print(p)
  invisible(p)
}
