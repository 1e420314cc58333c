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
  if (is.null(by)) {
    swept <- setdiff(names(param_kinds()), "Method")
    swept <- swept[swept %in% names(d)]
    swept <- swept[vapply(swept, function(col) length(unique(d[[col]])) > 1, TRUE)]
    if (length(swept) != 1)
      stop("name the swept parameter with by = : ",
           if (length(swept) == 0) "no parameter varies across the passes" else
             paste("several vary:", paste(swept, collapse = ", ")), call. = FALSE)
    by <- swept
  }
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
  dodge <- ggplot2::position_dodge(width = if (is.numeric(long$value)) 0.02 * diff(range(long$value)) else 0.3)
  ggplot2::ggplot(summary, ggplot2::aes(.data$value, .data$bias, colour = .data$estimator,
                                        group = .data$estimator)) +
    ggplot2::geom_hline(yintercept = 0, colour = "grey50") +
    ggplot2::geom_point(data = long, alpha = 0.25, size = 0.8, position = dodge) +
    ggplot2::geom_line(position = dodge) +
    ggplot2::geom_pointrange(ggplot2::aes(ymin = .data$low, ymax = .data$high), position = dodge, size = 0.3) +
    ggplot2::facet_wrap(ggplot2::vars(.data$design)) +
    ggplot2::labs(x = by, y = "relative bias", colour = "estimator",
                  title = "Relative bias of the richness estimators",
                  subtitle = "faint points: replicates; ranges: mean +/- one standard deviation")
}
