# The estimators and curves on a user's own field data: the data written in
# the engine's input format and run through `lorvenna estimate` in memory.

# A field of the header: quoted, with quotes doubled, so that any name
# (commas, blanks) reaches the engine whole.
quoted_name <- function(name) paste0("\"", gsub("\"", "\"\"", name, fixed = TRUE), "\"")

# The counts of a column as the engine reads them: whole numbers as
# integers, anything else as R prints it, for the engine to refuse with its
# line and column.
count_text <- function(v) {
  if (is.logical(v)) v <- as.integer(v)
  if (is.factor(v)) v <- as.character(v)
  if (!is.numeric(v)) return(ifelse(is.na(v), "NA", as.character(v)))
  out <- format(v, scientific = FALSE, trim = TRUE, digits = 15)
  out[is.na(v)] <- "NA"
  out
}

# The data as a list of columns (one per assemblage, or per sampling unit
# for raw incidence) with their names: vectors, matrices, data frames, and
# lists of vectors or of species x units matrices, as iNEXT takes them. Lists
# of unequal length are filled up with zeros (a species not found there).
field_columns <- function(data, datatype, default_name) {
  fill <- function(m, rows) if (nrow(m) < rows) rbind(m, matrix(0, rows - nrow(m), ncol(m))) else m
  if (is.list(data) && !is.data.frame(data)) {
    if (length(data) == 0) stop("data is an empty list", call. = FALSE)
    list_names <- names(data)
    if (is.null(list_names)) list_names <- rep("", length(data))
    list_names[list_names == ""] <- paste0("assemblage", which(list_names == ""))
    parts <- lapply(seq_along(data), function(i) {
      m <- data[[i]]
      if (is.data.frame(m)) m <- as.matrix(m)
      if (is.null(dim(m))) m <- matrix(m, ncol = 1)
      if (datatype != "incidence_raw" && ncol(m) != 1)
        stop("a list of ", datatype, " data holds one vector per assemblage", call. = FALSE)
      dimnames(m) <- list(NULL, rep(list_names[i], ncol(m)))
      m
    })
    rows <- max(vapply(parts, nrow, 0L))
    m <- do.call(cbind, lapply(parts, fill, rows))
    return(stats::setNames(lapply(seq_len(ncol(m)), function(j) m[, j]), colnames(m)))
  }
  if (is.null(dim(data))) {
    if (datatype == "incidence_raw")
      stop("raw incidence data are a species x units matrix (or a list of them), not a vector", call. = FALSE)
    data <- matrix(data, ncol = 1, dimnames = list(NULL, default_name))
  }
  cols <- if (is.data.frame(data)) lapply(data, identity) else lapply(seq_len(ncol(data)), function(j) data[, j])
  col_names <- colnames(data)
  if (is.null(col_names)) {
    col_names <- if (datatype == "incidence_raw") rep(default_name, length(cols)) else
      if (length(cols) == 1) default_name else paste0("assemblage", seq_along(cols))
  }
  col_names[is.na(col_names) | col_names == ""] <- paste0("assemblage", which(is.na(col_names) | col_names == ""))
  stats::setNames(cols, col_names)
}

# The text of a field-data file in the engine's input format: a header of the
# assemblages' names, then one line per species (for incidence frequencies
# the units first).
field_text <- function(columns) {
  lengths_of <- lengths(columns)
  if (length(columns) == 0 || max(lengths_of) == 0) stop("data holds no species", call. = FALSE)
  if (length(unique(lengths_of)) > 1) stop("the columns of data differ in length", call. = FALSE)
  body <- do.call(paste, c(lapply(columns, count_text), sep = ","))
  paste0(paste(c(paste(quoted_name(names(columns)), collapse = ","), body), collapse = "\n"), "\n")
}

#' The estimators and curves on field data
#'
#' Runs the estimators and rarefaction curves that Lorvenna holds against the
#' truth on data a field ecologist collected, in the engine (the command
#' line's `lorvenna estimate`), without a file: every richness estimator of
#' SpadeR with its standard error and 95 % interval, the Hill numbers of
#' order 1 and 2 observed and estimated and the sample coverage (iNEXT), and
#' with `rarefaction = TRUE` the rarefaction and extrapolation curves of
#' q = 0, 1, 2 with their bootstrap intervals.
#'
#' The data take the shapes iNEXT takes:
#' - `"abundance"`: a vector of counts of individuals per species (one
#'   assemblage), or a matrix or data frame with one column per assemblage
#'   (rows are species), or a list of vectors;
#' - `"incidence_freq"`: the same shapes, each column the number of sampling
#'   units T first, then per species the number of units it was found in;
#' - `"incidence_raw"`: a species x units matrix (or data frame) of 0 and 1
#'   whose column names give each unit's assemblage (units of one assemblage
#'   share a name; without names all are one assemblage), or a list of
#'   species x units matrices, one per assemblage.
#'
#' Column names (list names) name the assemblages; unnamed ones are
#' `assemblage1`, `assemblage2`, ... and a single vector takes the name of the
#' variable passed. `NA` is a species not counted there (0). Data the engine
#' refuses (negative or fractional counts, an empty column, T below an
#' incidence, text) end in an R error with the engine's message, which names
#' the line and column of the file the data became: line 1 is the header of
#' names, line k + 1 the k-th row of `data` (for incidence frequencies line 2
#' holds T).
#'
#' @param data the counts, as described above.
#' @param datatype `"abundance"`, `"incidence_freq"` or `"incidence_raw"`.
#' @param rarefaction `TRUE` also computes the curves.
#' @param bootstraps bootstrap samples of the intervals of the Hill numbers,
#'   the coverage and the curves (0 to 10000; 0: no such intervals).
#' @param seed the seed word of the bootstraps, a whole number from 0 to
#'   4294967295: the same data and seed give the same intervals.
#' @param knots the sizes along each curve (4 to 10000), from 1 to twice the
#'   sample, as iNEXT places them.
#' @return An object of class `lorvenna_estimate`: a list with the data frame
#'   `estimates` (`assemblage`, `n_units` (T of incidence data, `NA` for
#'   abundances), `quantity`, `basis`, `estimator`, `estimate`, `se`,
#'   `lower95`, `upper95`; 15 rows per assemblage), with `rarefaction = TRUE`
#'   the data frame `rarefaction` (`assemblage`, `q`, `m`, `method`,
#'   `estimate`, `lower95`, `upper95`, `coverage`, `coverage_lower95`,
#'   `coverage_upper95`), and `datatype` and `seed`. The columns are those of
#'   the command line's tables (data dictionary).
#' @seealso [lv_plot_rarefaction()] draws the curves; [lv_community_matrix()]
#'   gives a virtual sample in the same shapes.
#' @examples
#' # Abundances of two assemblages
#' counts <- data.frame(site1 = c(752, 276, 194, 86, 12, 5, 3, 2, 1, 1, 1),
#'                      site2 = c(34, 0, 12, 8, 6, 2, 2, 1, 1, 0, 1))
#' e <- lv_estimate(counts, "abundance", rarefaction = TRUE, bootstraps = 20)
#' e
#' subset(e$estimates, estimator %in% c("chao1", "ace"))
#' lv_plot_rarefaction(e)
#'
#' # Raw incidence: species x units, the units of two assemblages
#' units <- matrix(c(1, 0, 1, 0, 0,
#'                   0, 0, 0, 1, 1,
#'                   1, 1, 1, 1, 0,
#'                   0, 1, 0, 0, 1), nrow = 4, byrow = TRUE,
#'                 dimnames = list(NULL, c("ants", "ants", "ants", "bees", "bees")))
#' lv_estimate(units, "incidence_raw")$estimates[1:10, ]
#' @export
lv_estimate <- function(data, datatype = c("abundance", "incidence_freq", "incidence_raw"), rarefaction = FALSE,
                        bootstraps = 50, seed = 1, knots = 40) {
  datatype <- match.arg(datatype)
  default_name <- if (is.name(substitute(data))) deparse(substitute(data)) else "assemblage"
  curves <- curve_settings(rarefaction, knots, bootstraps)
  if (!is.numeric(seed) || length(seed) != 1 || is.na(seed) || seed != round(seed) || seed < 0 || seed > 4294967295)
    stop("seed must be one whole number from 0 to 4294967295", call. = FALSE)
  text <- field_text(field_columns(data, datatype, default_name))
  result <- .engine_estimate(text, datatype, rarefaction, curves$knots, curves$bootstraps, as.numeric(seed))
  if (result$status != 0) {
    why <- sub("^(Error: )?lorvenna estimate: field_data: ", "", result$messages)
    stop("the engine refused data: ", paste(why, collapse = "\n"),
         "\n(line 1 is the header of the assemblages' names, line k + 1 row k of data)", call. = FALSE)
  }
  structure(list(estimates = result$tables$estimates, rarefaction = result$tables$rarefaction,
                 datatype = datatype, seed = as.numeric(seed)), class = "lorvenna_estimate")
}

#' Print the estimates of field data
#'
#' One line per assemblage and estimator: the estimate, its standard error and
#' its 95 % interval.
#'
#' @param x a result of [lv_estimate()].
#' @param digits significant digits.
#' @param ... not used.
#' @return `x`, invisibly.
#' @examples
#' print(lv_estimate(c(20, 9, 5, 3, 2, 2, 1, 1, 1), "abundance"))
#' @export
print.lorvenna_estimate <- function(x, digits = 4, ...) {
  e <- x$estimates
  cat(sprintf("<lorvenna estimate> %s data, %d assemblage(s): %s%s\n", x$datatype,
              length(unique(e$assemblage)), paste(unique(e$assemblage), collapse = ", "),
              if (is.data.frame(x$rarefaction)) sprintf("; curves at %d points", nrow(x$rarefaction)) else ""))
  shown <- e[c("assemblage", "quantity", "basis", "estimator")]
  for (col in c("estimate", "se", "lower95", "upper95")) shown[[col]] <- signif(e[[col]], digits)
  print(shown, row.names = FALSE)
  invisible(x)
}
