# Runs in the R session, and the object that holds their tables.


#' Run parameter rows through the engine
#'
#' Runs every row of `params` (each `replicates` times) through the Lorvenna
#' engine in the R session and returns its tables. For the same rows and seed
#' word the tables equal, value for value, those of
#' `lorvenna --mode s --batch FILE --tidy --seed SEED --run-seeds --replicates K`
#' for a batch file holding the rows: every pass starts from its own seed
#' word, derived from `seed`, its row and its replicate.
#'
#' The rows are checked as the command line checks a batch file before it
#' runs anything. Values the batch format cannot carry (a missing column,
#' `NA`, a fraction in an integer column, a word with blanks) end in an error
#' naming the column and the rows; rows the engine refuses end in an error
#' naming the row, the column, the values it allows and the engine's message,
#' for example
#' `row 2, SampA (allowed: 1 to the grid side (Areal; ...)): Error while reading area: 500`.
#' Warnings of the engine (a species it could not place whole, a fractal kind
#' it does not know) become one R warning.
#'
#' Long runs stop cleanly on an interrupt (Ctrl-C, Esc): the pass under way is
#' abandoned, and the error condition, of class `lorvenna_interrupted` (and
#' `interrupt`), holds the passes finished so far as `partial`.
#'
#' @param params a data frame with every column of [lv_template()], one row
#'   per parameter set. Other columns are ignored.
#' @param mode `"s"`: model, placement, samples and statistics; `"m"`: the
#'   model community only.
#' @param seed the seed word, a whole number from 0 to 4294967295.
#' @param replicates how many passes each row makes.
#' @param abundances `NULL` for a generated community, or a numeric vector of
#'   abundances in rank order (the same community for every row), or a list of
#'   such vectors, one per row. They take the engine's rank-order path
#'   (manual, section 6.3): with `maxD` > 0 whole individuals, each rounded to
#'   the nearest integer, and a species enters only when it reaches the
#'   minimum abundance; with `maxD` <= 0 relative abundances. At most 10000
#'   species.
#' @param weights with `abundances`: body weights in the same shape, one per
#'   abundance; `NULL`: weights by Damuth's rule.
#' @param habitat `TRUE` also returns the habitat grid of every pass
#'   (`--habitat`).
#' @param map a species number N > 0 (with `habitat = TRUE`) also returns the
#'   individuals of species N in every cell of every pass's grid (`--map N`).
#' @param progress show a progress bar while the passes run.
#' @param rarefaction `TRUE` also returns the rarefaction and extrapolation
#'   curves of Hill numbers (q = 0, 1, 2) of every pass's largest sample with
#'   their bootstrap intervals and their true curves (`--rarefaction`, the
#'   table `rarefaction`); see [lv_plot_rarefaction()].
#' @param knots the sizes along each curve (`--knots`, 4 to 10000), placed as
#'   iNEXT places them, from 1 to twice the sample.
#' @param bootstraps the bootstrap samples of the curves' intervals
#'   (`--bootstraps`, 0 to 10000; 0: no intervals).
#' @return An object of class `lorvenna`: a list of data frames `runs` (one
#'   row per pass: parameters as used, seed word, status), `species`,
#'   `samples`, `curve`, `units`, `estimates` (every estimator with its
#'   standard error and 95 % interval beside its truth, per pass, sample size,
#'   quantity, basis and estimator), `occurrences` (the individuals of every
#'   species in every unit of the largest sample; see
#'   [lv_community_matrix()]), with `rarefaction = TRUE` `rarefaction`, and
#'   `timings`, with the columns of the command line's CSV files (see the data
#'   dictionary; `covered` is logical); with `habitat = TRUE`
#'   a list `habitat` of matrices `m[x, y]`, one per pass named by its run
#'   number, and with `map` a list `maps` of integer matrices alike. Numbers
#'   are doubles, texts character, undefined values `NA`. Attributes: `status`
#'   (the exit status the command line would give), `messages` (its warning
#'   lines), `seed`.
#' @seealso [lv_template()] for the rows, [summary.lorvenna()] for the
#'   estimates beside their truth, [plot.lorvenna()] and [lv_plot_bias()] to
#'   draw them, [lv_read()] for the command line's output folders.
#' @examples
#' p <- lv_template(1, Method = c("seq", "dep"))
#' p$Areal <- 40
#' p$SampA <- 16
#' p$maxSa <- 8
#' x <- lv_simulate(p, seed = 7, replicates = 2)
#' x
#' head(x$samples[, c("run", "design", "n_units", "species", "sar_z")])
#'
#' # A lognormal community of about 5000 individuals placed on the grid
#' a <- sort(exp(rnorm(40, mean = 3, sd = 1.2)), decreasing = TRUE)
#' y <- lv_simulate(p[1, ], abundances = a / sum(a) * 5000, seed = 7)
#' y$runs[, c("Species", "individuals_placed")]
#'
#' # The curves of Hill numbers beside their truth
#' z <- lv_simulate(p[1, ], seed = 7, rarefaction = TRUE, knots = 10, bootstraps = 10)
#' head(z$rarefaction)
#' @export
lv_simulate <- function(params, mode = "s", seed = 1, replicates = 1, abundances = NULL, weights = NULL,
                        habitat = FALSE, map = 0, progress = interactive(), rarefaction = FALSE, knots = 40,
                        bootstraps = 50) {
  if (!(identical(mode, "s") || identical(mode, "m")))
    stop("mode must be \"s\" (model and samples) or \"m\" (the model community only)", call. = FALSE)
  whole <- function(x, name, low, high) {
    if (!is.numeric(x) || length(x) != 1 || is.na(x) || x != round(x) || x < low || x > high)
      stop(sprintf("%s must be one whole number from %.0f to %.0f", name, low, high), call. = FALSE)
    as.numeric(x)
  }
  seed <- whole(seed, "seed", 0, 4294967295)
  replicates <- whole(replicates, "replicates", 1, .Machine$integer.max)
  map <- whole(map, "map", 0, 2147483647)
  if (!isTRUE(habitat) && !isFALSE(habitat)) stop("habitat must be TRUE or FALSE", call. = FALSE)
  curves <- curve_settings(rarefaction, knots, bootstraps)
  if (map > 0 && !habitat) stop("map needs habitat = TRUE: the species' cells are drawn over the habitat", call. = FALSE)
  params <- check_params(params)
  rank_order <- ""
  if (!is.null(abundances)) {
    if (mode != "s") stop("abundances need mode \"s\"", call. = FALSE)
    rank_order <- rank_order_text(abundances, weights, nrow(params))
  } else if (!is.null(weights)) {
    stop("weights go with abundances", call. = FALSE)
  }
  result <- .engine_run(batch_text(params), rank_order, !is.null(weights), mode, seed, as.integer(replicates),
                        habitat, map, isTRUE(progress), rarefaction, curves$knots, curves$bootstraps)
  refused <- batch_error(result$faults)
  if (!is.null(refused)) stop(refused, call. = FALSE)
  x <- new_lorvenna(result$tables, result$habitat, result$maps)
  attr(x, "status") <- result$status
  attr(x, "messages") <- result$messages
  attr(x, "seed") <- seed
  if (map > 0) attr(x, "map_species") <- map
  if (result$status == 130) {
    stop(structure(list(message = sprintf("Run interrupted: the %d pass(es) finished so far are in the condition's `partial`",
                                          nrow(x$runs)),
                        call = NULL, partial = x),
                   class = c("lorvenna_interrupted", "interrupt", "condition")))
  }
  if (length(result$messages) > 0)
    warning(paste(sub("^Warning: ", "", result$messages), collapse = "\n"), call. = FALSE)
  x
}

# The settings of the rarefaction curves and bootstrap intervals, checked
# against the limits the command line sets to --knots and --bootstraps.
curve_settings <- function(rarefaction, knots, bootstraps) {
  if (!isTRUE(rarefaction) && !isFALSE(rarefaction)) stop("rarefaction must be TRUE or FALSE", call. = FALSE)
  count <- function(x, name, low, high) {
    if (!is.numeric(x) || length(x) != 1 || is.na(x) || x != round(x) || x < low || x > high)
      stop(sprintf("%s must be one whole number from %d to %d", name, low, high), call. = FALSE)
    as.integer(x)
  }
  list(knots = count(knots, "knots", 4, 10000), bootstraps = count(bootstraps, "bootstraps", 0, 10000))
}

# The rank-order text of the abundance vectors: one "*" block per parameter
# row, abundances (and weights) in the engine's real format.
rank_order_text <- function(abundances, weights, rows) {
  as_list <- function(v, what) {
    if (is.numeric(v)) return(list(v))
    if (is.list(v) && length(v) > 0 && all(vapply(v, is.numeric, TRUE))) return(v)
    stop(what, " must be a numeric vector or a list of numeric vectors, one per parameter row", call. = FALSE)
  }
  abundances <- as_list(abundances, "abundances")
  if (!(length(abundances) %in% c(1, rows)))
    stop(sprintf("abundances holds %d vectors for %d parameter rows: give one, or one per row",
                 length(abundances), rows), call. = FALSE)
  if (!is.null(weights)) {
    weights <- as_list(weights, "weights")
    if (length(weights) != length(abundances) ||
        any(lengths(weights) != lengths(abundances)))
      stop("weights must match abundances: one weight per abundance", call. = FALSE)
  }
  blocks <- vapply(seq_len(rows), function(r) {
    i <- if (length(abundances) == 1) 1 else r
    a <- abundances[[i]]
    if (length(a) == 0 || length(a) > 10000)
      stop("an abundance vector must hold 1 to 10000 species", call. = FALSE)
    if (any(!is.finite(a)) || any(abs(a) > 3.4028234663852886e38))
      stop("abundances must be finite numbers within single precision", call. = FALSE)
    records <- .format_reals(a)
    if (!is.null(weights)) {
      w <- weights[[i]]
      if (any(!is.finite(w)) || any(abs(w) > 3.4028234663852886e38))
        stop("weights must be finite numbers within single precision", call. = FALSE)
      records <- paste(records, .format_reals(w))
    }
    paste(c("*", records), collapse = "\n")
  }, "")
  paste0(paste(blocks, collapse = "\n"), "\n")
}

# The tables in their usual order, the others after them; grids by run. The
# columns of TRUE and FALSE are logical also where a table holds NA alone.
new_lorvenna <- function(tables, habitat = list(), maps = list()) {
  first <- c("runs", "species", "samples", "curve", "units", "estimates", "occurrences", "rarefaction")
  x <- tables[c(intersect(first, names(tables)), setdiff(names(tables), first))]
  logical <- list(species = "true_density_below_boundary", estimates = "covered")
  for (t in intersect(names(logical), names(x)))
    if (logical[[t]] %in% names(x[[t]])) x[[t]][[logical[[t]]]] <- as.logical(x[[t]][[logical[[t]]]])
  by_run <- function(grids) grids[order(as.numeric(names(grids)))]
  if (length(habitat) > 0) x$habitat <- by_run(habitat)
  if (length(maps) > 0) x$maps <- by_run(maps)
  structure(x, class = "lorvenna")
}

#' Read a command-line output folder
#'
#' Reads the tidy tables (`runs.csv`, `species.csv`, `samples.csv`,
#' `curve.csv`, `units.csv`, `estimates.csv`, `occurrences.csv`,
#' `timings.csv` and, written with `--rarefaction`, `rarefaction.csv`) and the grids (`habitat-RUN.asc`, `map-RUN.asc`) of a
#' folder the command line wrote with `--tidy` (a single run or a merged
#' sweep) into the object [lv_simulate()] returns.
#'
#' @param dir the output folder (`--out DIR`).
#' @return An object of class `lorvenna`; its tables are identical to those of
#'   [lv_simulate()] for the same rows and seed word.
#' @examples
#' # The folder that
#' #   lorvenna --mode s --batch rows.txt --tidy --seed 7 --run-seeds --replicates 2 --out sweep
#' # wrote for two small rows of a sweep:
#' x <- lv_read(system.file("extdata", "sweep", package = "lorvenna"))
#' x
#' summary(x)
#' @export
lv_read <- function(dir) {
  if (!dir.exists(dir)) stop("no folder ", dir, call. = FALSE)
  if (!file.exists(file.path(dir, "runs.csv")))
    stop("no runs.csv in ", dir, ": the tables are written by a run with --tidy", call. = FALSE)
  text <- function(path) readChar(path, file.size(path), useBytes = TRUE)
  csv <- list.files(dir, pattern = "^(runs|species|samples|curve|units|timings|estimates|occurrences|rarefaction)\\.csv$")
  tables <- lapply(file.path(dir, csv), function(p) .parse_csv(text(p)))
  names(tables) <- sub("\\.csv$", "", csv)
  grids <- function(kind, whole) {
    files <- list.files(dir, pattern = paste0("^", kind, "-[0-9]+\\.asc$"))
    g <- lapply(file.path(dir, files), function(p) .parse_grid(text(p), whole))
    names(g) <- sub(paste0("^", kind, "-([0-9]+)\\.asc$"), "\\1", files)
    g
  }
  new_lorvenna(tables, grids("habitat", FALSE), grids("map", TRUE))
}

#' Print a simulation
#'
#' Lists the passes and the tables of a result.
#'
#' @param x a result of [lv_simulate()] or [lv_read()].
#' @param ... not used.
#' @return `x`, invisibly.
#' @examples
#' p <- lv_template(1)
#' p$Areal <- 40
#' p$SampA <- 16
#' print(lv_simulate(p))
#' @export
print.lorvenna <- function(x, ...) {
  runs <- x$runs
  ok <- sum(runs$status == "ok")
  cat(sprintf("<lorvenna> %d pass(es) from %d parameter row(s), %d ok\n", nrow(runs),
              length(unique(runs$row)), ok))
  tables <- names(x)[vapply(x, is.data.frame, TRUE)]
  for (t in tables) cat(sprintf("  $%-8s %6d rows x %d columns\n", t, nrow(x[[t]]), ncol(x[[t]])))
  if (!is.null(x$habitat)) cat(sprintf("  $habitat  %d grid(s)\n", length(x$habitat)))
  if (!is.null(x$maps)) cat(sprintf("  $maps     %d grid(s)\n", length(x$maps)))
  bad <- runs$status[runs$status != "ok"]
  if (length(bad) > 0) cat("  passes not ok:", paste(unique(bad), collapse = "; "), "\n")
  invisible(x)
}
