# The estimator study of a sweep, drawn: the relative bias of every estimator
# and the coverage of its 95 % interval against the swept parameter, by
# design, each from the largest sample of every pass (as `lorvenna bias`
# scores them).

# The rows of the estimates table that a plot of the study draws: the
# largest sample of every pass, with its design and parameters, of one
# quantity and basis, each labelled by its estimator (and basis, where
# several are drawn).
study_rows <- function(x, quantity, basis, estimators) {
  if (inherits(x, "lorvenna")) {
    e <- x$estimates
    if (!is.data.frame(e) || nrow(e) == 0)
      stop("x has no estimates table: it is written by a sampling run (mode \"s\"; the command line: --tidy)",
           call. = FALSE)
    e <- largest_sample(e)
    e$design <- x$samples$design[match(e$run, x$samples$run)]
    d <- cbind(e, x$runs[match(e$run, x$runs$run), setdiff(names(x$runs), names(e)), drop = FALSE])
  } else if (is.data.frame(x)) {
    d <- x
  } else {
    stop("x must be a result of lv_simulate() or lv_read(), or a data frame of estimates", call. = FALSE)
  }
  missing <- setdiff(c("design", "estimator", "relative_bias"), names(d))
  if (length(missing) > 0) stop("x has no column ", paste(missing, collapse = ", "), call. = FALSE)
  if ("quantity" %in% names(d)) {
    if (!quantity %in% d$quantity)
      stop("x has no estimates of the quantity ", quantity, "; it has ",
           paste(unique(d$quantity), collapse = ", "), call. = FALSE)
    d <- d[d$quantity == quantity, , drop = FALSE]
  }
  if ("basis" %in% names(d)) {
    # Richness is read two ways; the incidence reading is the designs' own
    # (the units as sampling units), so it is drawn unless another is asked for.
    if (is.null(basis) && quantity == "richness" && "incidence" %in% d$basis) basis <- "incidence"
    if (!is.null(basis)) {
      if (!any(d$basis %in% basis))
        stop("x has no ", quantity, " estimates on the basis ", paste(basis, collapse = ", "), call. = FALSE)
      d <- d[d$basis %in% basis, , drop = FALSE]
    }
  }
  if (!is.null(estimators)) {
    d <- d[d$estimator %in% estimators, , drop = FALSE]
    if (nrow(d) == 0) stop("x has none of the estimators ", paste(estimators, collapse = ", "), call. = FALSE)
  }
  several <- "basis" %in% names(d) && length(unique(d$basis)) > 1
  label <- if (several) paste(d$basis, d$estimator, sep = ":") else d$estimator
  d$estimator <- factor(label, levels = unique(label))  # in the order the table gives them
  d
}

# The parameter a sweep varies, by param_variation(); says which it took.
swept_parameter <- function(d, caller) {
  v <- param_variation(d, d$design)
  if (length(v$swept) == 1) {
    message(caller, "(): by = \"", v$swept, "\", the one parameter that varies besides the design",
            if (length(v$held) > 0) paste0(" (", paste(v$held, collapse = ", "), " follow",
                                           if (length(v$held) == 1) "s", " the design)"))
    return(v$swept)
  }
  stop("name the swept parameter with by = : ",
       if (length(v$swept) == 0) "no parameter varies across the passes besides the design" else
         paste("several vary:", paste(v$swept, collapse = ", ")), call. = FALSE)
}

# The x axis of a swept parameter and the dodge of the estimators along it. A
# sweep by factors (0.5, 2, 8, 32) is drawn on a logarithmic axis, so that
# its small values do not crowd together; ticks at the swept values.
swept_axis <- function(value) {
  values <- sort(unique(value))
  numeric <- is.numeric(values)
  logarithmic <- numeric && length(values) > 2 && values[1] > 0 && values[length(values)] / values[1] >= 10
  span <- if (!numeric) 0 else if (logarithmic) diff(range(log10(values))) else diff(range(values))
  list(dodge = ggplot2::position_dodge(width = if (numeric) 0.02 * span else 0.3),
       scale = if (!numeric) NULL else if (logarithmic) ggplot2::scale_x_log10(breaks = values) else
         if (length(values) <= 12) ggplot2::scale_x_continuous(breaks = values))
}

# The swept column of the study's rows, found or checked.
swept_values <- function(d, by, caller) {
  if (is.null(by)) by <- swept_parameter(d, caller)
  if (!by %in% names(d)) stop("x has no column ", by, call. = FALSE)
  by
}

#' Relative bias of the estimators across a sweep
#'
#' For every design, the relative bias (estimate - truth) / truth of each
#' estimator at the largest sample of every pass (the `estimates` table)
#' against the swept parameter: the replicates as faint points, their mean
#' joined by lines, and the mean plus and minus one standard deviation. These
#' are the `mean_relative_bias` and `sd_relative_bias` that `lorvenna bias`
#' writes to `bias.csv`.
#'
#' Richness is estimated two ways (`basis`): from incidence (the units as
#' sampling units: `chao2`, `ice`, the jackknives, `bootstrap`, ...) and from
#' the pooled abundances (`chao1`, `ace`, ...). Without `basis` a richness plot
#' draws the incidence estimators, the designs' own reading; name `basis =
#' c("incidence", "abundance")` for both, labelled `basis:estimator`.
#'
#' Without `by` the swept parameter is the one parameter column, besides the
#' design, that varies across the passes; `maxSa`, `minSa`, `StepSa` and
#' `Sampfac` do not count where they change only with the design (a design
#' lays out no more units than fit in the square). A message names the
#' parameter taken.
#'
#' @param x a result of [lv_simulate()] or [lv_read()], or a data frame with
#'   the columns `design`, `estimator`, `relative_bias` (and `covered` for
#'   [lv_plot_coverage()]), optionally `quantity` and `basis`, and the swept
#'   parameter's column, one row per pass and estimator.
#' @param by the swept parameter's column; `NULL`: found as described above.
#' @param quantity `"richness"`, `"hill1"`, `"hill2"` or `"coverage"`.
#' @param estimators the estimators to draw, by name; `NULL`: every estimator
#'   of the quantity and basis.
#' @param basis `"incidence"`, `"abundance"` or both; `NULL`: incidence for
#'   richness, otherwise every basis of the quantity.
#' @return A ggplot object.
#' @seealso [summary.lorvenna()] for the mean relative bias and RMSE as
#'   numbers, [lv_plot_coverage()] for the intervals.
#' @examples
#' p <- lv_template(1, Aggreg = c(1, 20), Method = c("seq", "ind"))
#' p$Areal <- 40
#' p$SampA <- 16
#' x <- lv_simulate(p, seed = 3, replicates = 3)
#' lv_plot_bias(x)
#' lv_plot_bias(x, estimators = c("observed", "chao2", "jack1"))
#' lv_plot_bias(x, quantity = "hill1")
#'
#' # Any long table of estimates with a design column
#' d <- expand.grid(replicate = 1:3, Aggreg = c(1, 5, 20), design = c("seq", "dep"),
#'                  estimator = c("observed", "chao2"))
#' d$relative_bias <- -0.02 * d$Aggreg / (1 + (d$estimator == "chao2")) + rnorm(nrow(d), sd = 0.02)
#' lv_plot_bias(d, by = "Aggreg")
#' @export
lv_plot_bias <- function(x, by = NULL, quantity = "richness", estimators = NULL, basis = NULL) {
  d <- study_rows(x, quantity, basis, estimators)
  by <- swept_values(d, by, "lv_plot_bias")
  long <- data.frame(design = d$design, value = d[[by]], estimator = d$estimator, bias = d$relative_bias)
  long <- long[!is.na(long$bias), , drop = FALSE]
  if (nrow(long) == 0) stop("every relative bias of x is NA", call. = FALSE)
  groups <- interaction(long$design, long$value, long$estimator, drop = TRUE)
  first <- !duplicated(groups)
  summary <- long[first, c("design", "value", "estimator")]
  key <- as.character(groups[first])
  mean_bias <- tapply(long$bias, groups, mean)[key]
  sd_bias <- tapply(long$bias, groups, function(b) if (length(b) > 1) stats::sd(b) else 0)[key]
  summary$bias <- as.vector(mean_bias)
  summary$low <- summary$bias - as.vector(sd_bias)
  summary$high <- summary$bias + as.vector(sd_bias)
  axis <- swept_axis(long$value)
  ggplot2::ggplot(summary, ggplot2::aes(.data$value, .data$bias, colour = .data$estimator,
                                        group = .data$estimator)) +
    ggplot2::geom_hline(yintercept = 0, colour = "grey50") +
    ggplot2::geom_point(data = long, alpha = 0.25, size = 0.8, position = axis$dodge) +
    ggplot2::geom_line(position = axis$dodge) +
    ggplot2::geom_pointrange(ggplot2::aes(ymin = .data$low, ymax = .data$high), position = axis$dodge, size = 0.3) +
    axis$scale +
    ggplot2::facet_wrap(ggplot2::vars(.data$design)) +
    ggplot2::labs(x = by, y = "relative bias", colour = "estimator",
                  title = paste("Relative bias of the", quantity, "estimators"),
                  subtitle = "largest sample of every pass; faint points: replicates; ranges: mean +/- one standard deviation")
}

#' Coverage of the estimators' 95 % intervals across a sweep
#'
#' For every design, the share of replicates whose 95 % interval held the
#' truth (`covered` `TRUE` in the `estimates` table, largest sample of every
#' pass) for each estimator with an interval, against the swept parameter,
#' beside the nominal 0.95 (a dashed line). It is `ci_coverage` of
#' `lorvenna bias`. Replicates without an interval do not count; estimators
#' without any (the observed counts) are left out. The estimators, the basis
#' and the swept parameter are chosen as in [lv_plot_bias()].
#'
#' @inheritParams lv_plot_bias
#' @return A ggplot object.
#' @seealso [lv_plot_bias()], [summary.lorvenna()] (its `coverage` column).
#' @examples
#' p <- lv_template(1, Aggreg = c(1, 20), Method = c("seq", "ind"))
#' p$Areal <- 40
#' p$SampA <- 16
#' x <- lv_simulate(p, seed = 3, replicates = 3)
#' lv_plot_coverage(x, estimators = c("chao2", "jack1", "bootstrap"))
#' @export
lv_plot_coverage <- function(x, by = NULL, quantity = "richness", estimators = NULL, basis = NULL) {
  d <- study_rows(x, quantity, basis, estimators)
  if (!"covered" %in% names(d)) stop("x has no column covered", call. = FALSE)
  by <- swept_values(d, by, "lv_plot_coverage")
  d <- d[!is.na(d$covered), , drop = FALSE]
  if (nrow(d) == 0) stop("no estimate of x has an interval (covered is NA throughout)", call. = FALSE)
  groups <- interaction(d$design, d[[by]], d$estimator, drop = TRUE)
  first <- !duplicated(groups)
  shares <- data.frame(design = d$design[first], value = d[[by]][first], estimator = droplevels(d$estimator)[first])
  key <- as.character(groups[first])
  shares$coverage <- as.vector(tapply(as.logical(d$covered), groups, mean)[key])
  shares$replicates <- as.vector(tapply(d$covered, groups, length)[key])
  axis <- swept_axis(shares$value)
  ggplot2::ggplot(shares, ggplot2::aes(.data$value, .data$coverage, colour = .data$estimator,
                                       group = .data$estimator)) +
    ggplot2::geom_hline(yintercept = 0.95, colour = "grey30", linetype = "dashed") +
    ggplot2::geom_line(position = axis$dodge) +
    ggplot2::geom_point(position = axis$dodge) +
    axis$scale +
    ggplot2::scale_y_continuous(limits = c(0, 1)) +
    ggplot2::facet_wrap(ggplot2::vars(.data$design)) +
    ggplot2::labs(x = by, y = "share of intervals holding the truth", colour = "estimator",
                  title = paste("Coverage of the 95 % intervals of the", quantity, "estimators"),
                  subtitle = "largest sample of every pass; dashed: the nominal 0.95")
}
