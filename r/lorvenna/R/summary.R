# The truth beside the estimates: per parameter row and design, how far each
# estimator of the largest sample misses the truth over the replicates.

# Every estimate of every pass and sample size as one long table with the
# columns run, n_units, quantity, basis, estimator, estimate and truth (and
# covered, where the table gives it). The richness estimators come from the
# samples table's est_ columns with their truth true_species_square; a long
# table `estimates` (one row per estimate, its truth beside it) is taken as
# it is; an estimator it holds is taken from it alone.
estimates_long <- function(x) {
  s <- x$samples
  est <- grep("^est_", names(s), value = TRUE)
  wide <- if (length(est) > 0 && "true_species_square" %in% names(s) && nrow(s) > 0) {
    do.call(rbind, lapply(est, function(col)
      data.frame(run = s$run, n_units = s$n_units, quantity = "richness", basis = NA_character_,
                 estimator = sub("^est_", "", col), estimate = s[[col]], truth = s$true_species_square,
                 stringsAsFactors = FALSE)))
  }
  long <- x$estimates
  if (is.data.frame(long) && nrow(long) > 0) {
    needed <- c("run", "n_units", "estimator", "estimate", "truth")
    missing <- setdiff(needed, names(long))
    if (length(missing) > 0)
      stop("x$estimates lacks the column(s) ", paste(missing, collapse = ", "), call. = FALSE)
    for (col in c("quantity", "basis")) if (!col %in% names(long)) long[[col]] <- NA_character_
    keep <- intersect(c("run", "n_units", "quantity", "basis", "estimator", "estimate", "truth", "covered"),
                      names(long))
    long <- long[keep]
    if (!is.null(wide)) {
      wide <- wide[!wide$estimator %in% long$estimator, , drop = FALSE]
      if ("covered" %in% names(long)) wide$covered <- rep(NA, nrow(wide))
      long <- rbind(wide, long)
    }
    return(long)
  }
  if (is.null(wide))
    stop("x has no estimates: its samples table has no est_ columns with true_species_square ",
         "(a model-only run samples nothing)", call. = FALSE)
  wide
}

#' Summarise a simulation: the truth beside the estimates
#'
#' For every parameter row and design, the estimates of the largest sample of
#' each pass beside their truth, over the replicates: the mean estimate, the
#' mean relative bias (estimate - truth) / truth and the root mean square
#' error. The richness estimators are the `samples` table's `est_` columns
#' (observed, bootstrap, Chao2, the first- and second-order jackknives and the
#' power species-area extrapolation), their truth `true_species_square`, the
#' species in the sampled square. A long table `estimates` in `x` (columns
#' `run`, `n_units`, `quantity`, `basis`, `estimator`, `estimate`, `truth`,
#' optionally `covered`) adds its estimators, one row each, and the share of
#' replicates whose interval covered the truth.
#'
#' @param object a result of [lv_simulate()] or [lv_read()] in mode `"s"`.
#' @param ... not used.
#' @return A data frame of class `summary.lorvenna`, one row per parameter
#'   row, design and estimator, with the columns `row` (the row of `params`;
#'   the run for a dialogue's pass), `design`, the parameters that differ
#'   between the rows, `n_units` (the largest sample), `quantity`, `basis`,
#'   `estimator`, `replicates` (passes with an estimate), `truth` (its mean),
#'   `mean`, `relative_bias`, `rmse` (in the units of the estimate) and, where
#'   the estimates say whether their interval covered the truth, `coverage`.
#'   Its print method shows the mean, the relative bias and the RMSE side by
#'   side, one line per row and design, one column per estimator.
#' @seealso [lv_plot_bias()] draws the relative bias of every replicate.
#' @examples
#' p <- lv_template(1, Method = c("seq", "dep"))
#' p$Areal <- 40
#' p$SampA <- 16
#' p$maxSa <- 8
#' x <- lv_simulate(p, seed = 7, replicates = 3)
#' s <- summary(x)
#' s
#' s[s$estimator == "chao2", c("design", "truth", "mean", "relative_bias", "rmse")]
#' @export
summary.lorvenna <- function(object, ...) {
  long <- estimates_long(object)
  if (nrow(long) == 0)
    stop("x has no estimates: no pass sampled anything (a model-only run samples nothing)", call. = FALSE)
  runs <- object$runs
  long$design <- object$samples$design[match(long$run, object$samples$run)]
  # The largest sample of every pass.
  long <- long[long$n_units == stats::ave(long$n_units, long$run, FUN = max), , drop = FALSE]
  row <- runs$row[match(long$run, runs$run)] - 1
  long$row <- ifelse(is.na(row), long$run, row)  # a dialogue's pass has no row of params
  key <- paste(long$row, long$design, long$quantity, long$basis, long$estimator, sep = "\r")
  out <- do.call(rbind, lapply(split(long, factor(key, levels = unique(key))), function(g) {
    ok <- !is.na(g$estimate) & !is.na(g$truth)
    rel <- ok & g$truth > 0
    d <- data.frame(row = g$row[1], design = g$design[1], run = g$run[1], n_units = g$n_units[1],
                    quantity = g$quantity[1], basis = g$basis[1], estimator = g$estimator[1],
                    replicates = sum(ok), truth = mean(g$truth[ok]), mean = mean(g$estimate[ok]),
                    relative_bias = mean((g$estimate[rel] - g$truth[rel]) / g$truth[rel]),
                    rmse = sqrt(mean((g$estimate[ok] - g$truth[ok])^2)), stringsAsFactors = FALSE)
    if ("covered" %in% names(g)) d$coverage <- mean(as.logical(g$covered[ok]), na.rm = TRUE)
    d
  }))
  # No replicate with an estimate: NA, not NaN.
  for (col in intersect(c("truth", "mean", "relative_bias", "rmse", "coverage"), names(out)))
    out[[col]][is.nan(out[[col]])] <- NA_real_
  # The parameters that tell the rows apart, beside the design.
  params <- param_variation(runs, runs$Method)$swept
  shown <- cbind(out[c("row", "design")], runs[match(out$run, runs$run), params, drop = FALSE],
                 out[setdiff(names(out), c("row", "design", "run"))])
  # Rows in the order of params, estimators in the order the tables give them.
  shown <- shown[order(shown$row, match(shown$estimator, unique(long$estimator))), , drop = FALSE]
  rownames(shown) <- NULL
  structure(shown, class = c("summary.lorvenna", "data.frame"), params = params)
}

#' @rdname summary.lorvenna
#' @param x a `summary.lorvenna` data frame.
#' @param digits significant digits of the means, truths and RMSEs.
#' @export
print.summary.lorvenna <- function(x, digits = 3, ...) {
  needed <- c("row", "design", "n_units", "estimator", "replicates", "truth", "mean", "relative_bias", "rmse")
  if (!all(needed %in% names(x)) || nrow(x) == 0) {
    print(as.data.frame(unclass(x), stringsAsFactors = FALSE), ...)
    return(invisible(x))
  }
  params <- intersect(attr(x, "params"), names(x))
  # An estimator's column carries its quantity and basis where they differ.
  varies <- function(col) !is.null(x[[col]]) && length(unique(x[[col]])) > 1
  label <- x$estimator
  for (col in c("basis", "quantity")) if (varies(col)) label <- ifelse(is.na(x[[col]]), label, paste(x[[col]], label, sep = ":"))
  quantity <- if (varies("quantity")) paste0("truth:", x$quantity) else rep("truth", nrow(x))
  group <- factor(paste(x$row, x$design, sep = "\r"), levels = unique(paste(x$row, x$design, sep = "\r")))
  # One line per row and design, one column per estimator; where several
  # rows give a cell (the truth of a quantity), the one with most replicates.
  wide <- function(value, columns, fmt) {
    m <- matrix("", nlevels(group), length(unique(columns)), dimnames = list(NULL, unique(columns)))
    o <- order(x$replicates)
    m[cbind(as.integer(group), match(columns, colnames(m)))[o, , drop = FALSE]] <- fmt(value)[o]
    as.data.frame(m, stringsAsFactors = FALSE, optional = TRUE)
  }
  # `digits` significant digits, as decimals so that no number turns to powers of ten.
  num <- function(v) {
    decimals <- pmin(pmax(digits - 1 - floor(log10(abs(signif(v, digits)))), 0), 9)
    decimals[!is.finite(decimals)] <- 0
    ifelse(is.na(v), "NA", sprintf("%.*f", as.integer(decimals), v))
  }
  frac <- function(v) ifelse(is.na(v), "NA", sprintf("%.3f", v))
  left <- x[match(levels(group), group), c("row", "design", params, "n_units"), drop = FALSE]
  names(left)[names(left) == "n_units"] <- "units"
  reps <- as.vector(tapply(x$replicates, group, max))
  if (length(unique(reps)) > 1) left$reps <- reps  # otherwise said once, above the blocks
  left[] <- lapply(left, function(v) format(v, trim = TRUE))
  # Blocks wider than the console are cut into parts by estimator, each part
  # with the row, design and parameters in front, so every line says whose it is.
  width <- function(d) vapply(names(d), function(n) max(nchar(c(n, d[[n]]))) + 1, 0)
  room <- getOption("width") - sum(width(left))
  show <- function(title, block) {
    cat("\n", title, "\n", sep = "")
    w <- width(block)
    start <- 1
    while (start <= ncol(block)) {
      end <- start
      while (end < ncol(block) && sum(w[start:(end + 1)]) <= room) end <- end + 1
      print(cbind(left, block[start:end]), row.names = FALSE, right = TRUE)
      start <- end + 1
    }
  }
  cat(sprintf("Estimates at the largest sample of %d pass(es): %d parameter row(s) and design(s)%s\n",
              sum(reps), nlevels(group),
              if (length(unique(reps)) == 1) sprintf(", %d replicate(s) each", reps[1]) else ""))
  show("Mean estimate beside the mean truth", cbind(wide(x$truth, quantity, num), wide(x$mean, label, num)))
  show("Relative bias: mean of (estimate - truth) / truth", wide(x$relative_bias, label, frac))
  show("Root mean square error", wide(x$rmse, label, num))
  if ("coverage" %in% names(x) && any(!is.na(x$coverage)))
    show("Coverage: share of replicates whose interval held the truth", wide(x$coverage, label, frac))
  invisible(x)
}
