# Rarefaction and extrapolation curves of Hill numbers, drawn as iNEXT draws
# them, with the true curve beside them where the community is virtual.

#' Rarefaction and extrapolation curves with their true curves
#'
#' The curves of Hill numbers of order q = 0 (richness), 1 (the exponential
#' of Shannon's entropy) and 2 (inverse Simpson), one facet each, of the
#' `rarefaction` table: the estimate with its bootstrap 95 % band,
#' interpolated (solid) up to the sample, marked by a point, and extrapolated
#' (dashed) beyond it, as iNEXT draws them (Chao et al. 2014). For a virtual
#' sample the true curve, what each point estimates, is drawn dashed in
#' another colour; field data ([lv_estimate()]) have none.
#'
#' `type = "size"` draws each Hill number against the sample size m
#' (individuals; sampling units for incidence data), `type = "coverage"`
#' against the sample coverage, the estimate at its estimated coverage and the
#' truth at its true coverage (iNEXT's coverage-based curve of a size-based
#' table, with the size-based band).
#'
#' @param x a result of `lv_simulate(..., rarefaction = TRUE)`, of [lv_read()]
#'   on a folder written with `--tidy --rarefaction`, or of
#'   `lv_estimate(..., rarefaction = TRUE)`.
#' @param type `"size"` or `"coverage"`, the x axis.
#' @param run the passes to draw, one row of facets each; `NULL`: the first
#'   pass that is ok. For a result of [lv_estimate()], the assemblages by name;
#'   `NULL`: every assemblage.
#' @return A ggplot object.
#' @examples
#' p <- lv_template(1)
#' p$Areal <- 40
#' p$SampA <- 16
#' x <- lv_simulate(p, seed = 5, rarefaction = TRUE, knots = 20, bootstraps = 20)
#' lv_plot_rarefaction(x)
#' lv_plot_rarefaction(x, type = "coverage")
#' @export
lv_plot_rarefaction <- function(x, type = c("size", "coverage"), run = NULL) {
  type <- match.arg(type)
  if (inherits(x, "lorvenna")) {
    if (!is.data.frame(x$rarefaction))
      stop("x has no rarefaction table: simulate with rarefaction = TRUE (the command line: --tidy --rarefaction)",
           call. = FALSE)
    run <- pick_runs(x, run)
    d <- x$rarefaction[x$rarefaction$run %in% run, , drop = FALSE]
    d$curve <- factor(paste("run", d$run), levels = paste("run", run))
  } else if (inherits(x, "lorvenna_estimate")) {
    d <- x$rarefaction
    if (!is.data.frame(d)) stop("x has no curves: run lv_estimate() with rarefaction = TRUE", call. = FALSE)
    if (!is.null(run)) {
      unknown <- setdiff(run, d$assemblage)
      if (length(unknown) > 0) stop("x has no assemblage ", paste(unknown, collapse = ", "), call. = FALSE)
      d <- d[d$assemblage %in% run, , drop = FALSE]
    }
    d$curve <- factor(d$assemblage, levels = unique(d$assemblage))
  } else {
    stop("x must be a result of lv_simulate(), lv_read() or lv_estimate()", call. = FALSE)
  }
  if (nrow(d) == 0) stop("no curve to draw: the sample holds no individual", call. = FALSE)
  d$q <- factor(paste("q =", d$q), levels = paste("q =", sort(unique(d$q))))
  d$x <- if (type == "size") d$m else d$coverage
  # The observed point closes the interpolated part and opens the extrapolated one.
  parts <- rbind(transform(d[d$method != "extrapolated", , drop = FALSE], part = "interpolated"),
                 transform(d[d$method != "interpolated", , drop = FALSE], part = "extrapolated"))
  parts$part <- factor(parts$part, levels = c("interpolated", "extrapolated"))
  parts$series <- "estimate"
  p <- ggplot2::ggplot(d, ggplot2::aes(.data$x, .data$estimate)) +
    ggplot2::geom_ribbon(data = d[!is.na(d$lower95), , drop = FALSE], fill = "steelblue", alpha = 0.25,
                         ggplot2::aes(ymin = .data$lower95, ymax = .data$upper95)) +
    ggplot2::geom_line(data = parts, ggplot2::aes(linetype = .data$part, colour = .data$series,
                                                  group = interaction(.data$curve, .data$part))) +
    ggplot2::geom_point(data = d[d$method == "observed", , drop = FALSE], colour = "steelblue", size = 2)
  truth <- "true_value" %in% names(d)
  if (truth) {
    t <- data.frame(curve = d$curve, q = d$q, estimate = d$true_value, series = "truth",
                    x = if (type == "size") d$m else d$true_coverage)
    p <- p + ggplot2::geom_line(data = t, linetype = "dashed", ggplot2::aes(colour = .data$series,
                                                                             group = .data$curve))
  }
  facets <- if (nlevels(droplevels(d$curve)) > 1)
    ggplot2::facet_grid(ggplot2::vars(.data$curve), ggplot2::vars(.data$q), scales = "free_y") else
    ggplot2::facet_wrap(ggplot2::vars(.data$q), scales = "free_y")
  unit <- if (inherits(x, "lorvenna_estimate") && !identical(x$datatype, "abundance")) "sampling units" else
    "individuals"
  p + facets +
    ggplot2::scale_colour_manual(values = c(estimate = "steelblue", truth = "firebrick")) +
    ggplot2::scale_linetype_manual(values = c(interpolated = "solid", extrapolated = "dashed")) +
    ggplot2::labs(x = if (type == "size") paste("sample size (", unit, ")", sep = "") else "sample coverage",
                  y = "Hill number", colour = NULL, linetype = NULL,
                  title = "Rarefaction and extrapolation of Hill numbers",
                  subtitle = paste0("band: bootstrap 95 % interval; point: the sample",
                                    if (truth) "; red dashed: the true curve" else ""))
}
