# Parameter rows: the engine's template, checks of the rows a user builds, and
# the batch text the engine reads them from.

.cache <- new.env(parent = emptyenv())

# The template batch file the engine writes (mode "b"), as a data frame with
# the header's names.  A column whose values are all written without a point
# is an integer column, a column of words a keyword column, any other real.
template_frame <- function() {
  if (is.null(.cache$template)) {
    lines <- strsplit(.engine_template(), "\n", fixed = TRUE)[[1]]
    lines <- lines[nzchar(trimws(lines))]
    fields <- strsplit(trimws(lines), "[ \t]+")
    header <- fields[[1]]
    rows <- do.call(rbind, fields[-1])
    frame <- lapply(seq_along(header), function(j) {
      v <- rows[, j]
      if (all(grepl("^[+-]?[0-9]+$", v))) return(as.integer(v))
      num <- suppressWarnings(as.numeric(v))
      if (!anyNA(num)) num else v
    })
    names(frame) <- header
    .cache$template <- as.data.frame(frame, stringsAsFactors = FALSE, optional = TRUE)
  }
  .cache$template
}

# The engine's table of parameters, in batch column order: column, label,
# kind, allowed values, keywords.
parameter_table <- function() {
  if (is.null(.cache$parameters)) .cache$parameters <- .engine_parameters()
  .cache$parameters
}

# "integer", "real" or "keyword" for every parameter column, in batch order.
param_kinds <- function() {
  p <- parameter_table()
  stats::setNames(p$kind, p$column)
}

#' Parameter rows: the template, sweeps and batch files
#'
#' `lv_template()` returns the engine's template parameter rows (the rows of
#' the batch file that `lorvenna --mode b` writes) as a data frame whose
#' column names are the batch header's: `Areal`, `SampA`, `maxSa`, ...,
#' `GridHet`. Edit columns as in any data frame, or name columns to sweep:
#' every combination of their values (as [expand.grid()] makes them) is
#' crossed with the chosen template rows.
#'
#' `lv_write_batch()` writes rows as a batch file that the command line runs
#' (`lorvenna --mode s --batch FILE ...`), for example on a cluster.
#'
#' Integer columns (`Areal`, `SampA`, `maxSa`, `minSa`, `StepSa`, `Sampfac`,
#' `Species`, `Class`, `Permut`) take whole numbers, keyword columns
#' (`Method`, `DWD`, `SWD`, `RndHet`, `FracM`, `DivInd`, `GridHet`) words, the
#' others real numbers, which the engine holds in single precision. The
#' meaning and allowed values of every parameter are in the manual, sections
#' 3 and 5.
#'
#' @param rows template rows to keep (1 to 5); `NULL` keeps all five.
#' @param ... columns to sweep, named, each a vector of values.
#' @return `lv_template()`: a data frame with one row per template row (times
#'   the swept combinations). `lv_write_batch()`: the file name, invisibly.
#' @seealso [lv_simulate()] runs the rows.
#' @examples
#' p <- lv_template(1)
#' names(p)
#' sweep <- lv_template(1, Aggreg = c(1, 5, 20), Method = c("seq", "dep"))
#' sweep[, c("Method", "Aggreg")]
#' f <- tempfile(fileext = ".txt")
#' lv_write_batch(sweep, f)
#' readLines(f, n = 2)
#' @export
lv_template <- function(rows = NULL, ...) {
  tpl <- template_frame()
  if (!is.null(rows)) tpl <- tpl[rows, , drop = FALSE]
  sweep <- list(...)
  if (length(sweep) > 0) {
    if (is.null(names(sweep)) || any(!nzchar(names(sweep))))
      stop("every swept column must be named, e.g. lv_template(1, Aggreg = c(1, 5, 20))", call. = FALSE)
    unknown <- setdiff(names(sweep), names(tpl))
    if (length(unknown) > 0)
      stop("unknown parameter column(s): ", paste(unknown, collapse = ", "),
           "; the columns are those of lv_template()", call. = FALSE)
    grid <- expand.grid(sweep, stringsAsFactors = FALSE, KEEP.OUT.ATTRS = FALSE)
    base <- tpl[rep(seq_len(nrow(tpl)), each = nrow(grid)), , drop = FALSE]
    for (col in names(grid)) base[[col]] <- rep(grid[[col]], times = nrow(tpl))
    tpl <- base
  }
  rownames(tpl) <- NULL
  tpl
}

# Checks that `params` holds every parameter column with values the batch
# format can carry; returns the columns in batch order.  Range checks are the
# engine's (see batch_error()).
check_params <- function(params) {
  if (!is.data.frame(params))
    stop("params must be a data frame with the columns of lv_template()", call. = FALSE)
  if (nrow(params) == 0) stop("params has no rows", call. = FALSE)
  kinds <- param_kinds()
  missing <- setdiff(names(kinds), names(params))
  if (length(missing) > 0)
    stop("params lacks the column(s) ", paste(missing, collapse = ", "),
         "; every column of lv_template() is needed", call. = FALSE)
  problems <- character()
  note <- function(col, rows, what) {
    shown <- utils::head(rows, 5)
    problems <<- c(problems, sprintf("%s, row%s %s: %s", col, if (length(rows) > 1) "s" else "",
                                     paste0(paste(shown, collapse = ", "), if (length(rows) > 5) ", ..." else ""),
                                     what))
  }
  for (col in names(kinds)) {
    v <- params[[col]]
    if (is.factor(v)) v <- as.character(v)
    if (anyNA(v)) {
      note(col, which(is.na(v)), "missing value (NA)")
      next
    }
    if (kinds[[col]] == "keyword") {
      if (!is.character(v)) {
        note(col, seq_along(v), "a word is needed (for example the template's \"" %+% template_frame()[[col]][1] %+% "\")")
        next
      }
      bad <- which(!grepl("^[^[:space:]]{1,50}$", v))
      if (length(bad) > 0) note(col, bad, "a word of 1 to 50 characters without blanks is needed")
    } else {
      if (!is.numeric(v)) {
        note(col, seq_along(v), "a number is needed")
        next
      }
      if (kinds[[col]] == "integer") {
        bad <- which(!is.finite(v) | v != round(v) | v < -2147483648 | v > 2147483647)
        if (length(bad) > 0) note(col, bad, "a whole number from -2147483648 to 2147483647 is needed")
      } else {
        bad <- which(!is.finite(v) | abs(v) > 3.4028234663852886e38)
        if (length(bad) > 0) note(col, bad, "a finite number within single precision (|x| <= 3.4e38) is needed")
      }
    }
    params[[col]] <- v
  }
  if (length(problems) > 0)
    stop("params cannot be run:\n  ", paste(problems, collapse = "\n  "), call. = FALSE)
  params[names(kinds)]
}

`%+%` <- function(a, b) paste0(a, b)

# The batch text of checked rows: the header and one line per row.
batch_text <- function(params) {
  kinds <- param_kinds()
  cols <- lapply(names(kinds), function(col) {
    v <- params[[col]]
    switch(kinds[[col]],
           integer = sprintf("%.0f", as.numeric(v)),
           real = .format_reals(as.numeric(v)),
           keyword = v)
  })
  lines <- do.call(paste, c(cols, sep = " "))
  long <- which(nchar(lines) > 300)
  if (length(long) > 0)
    stop("row(s) ", paste(long, collapse = ", "), " of params are longer than the 300 characters a batch ",
         "row may have; give real values with fewer digits", call. = FALSE)
  paste0(paste(c(paste(names(kinds), collapse = " "), lines), collapse = "\n"), "\n")
}

#' @rdname lv_template
#' @param params a data frame with every column of `lv_template()`.
#' @param file the batch file to write.
#' @export
lv_write_batch <- function(params, file) {
  text <- batch_text(check_params(params))
  cat(text, file = file, sep = "")
  invisible(file)
}

# The R error for the rows the engine refuses: one line per faulty row with
# the row, the column whose check failed and its allowed values (from the
# engine's table of parameters), and the engine's message.
batch_error <- function(faults) {
  if (is.null(faults) || nrow(faults) == 0) return(NULL)
  p <- parameter_table()
  lines <- vapply(seq_len(nrow(faults)), function(i) {
    row <- faults$line[i] - 1L  # line 1 of the batch text is its header
    message <- faults$message[i]
    k <- match(faults$cause[i], p$column)
    if (row < 1) return(message)
    if (is.na(k)) return(sprintf("row %d: %s", row, message))
    sprintf("row %d, %s (allowed: %s): %s", row, p$column[k], p$allowed[k], message)
  }, "")
  paste0("params has ", length(lines), " faulty row(s); nothing was run:\n  ", paste(lines, collapse = "\n  "))
}

# The parameter columns of `d` (runs, or samples merged with runs) that
# differ between its rows besides the design: `swept`, those a sweep varies,
# and `held`, the sample sizes and the sample factor where they change only
# with `design` (a design lays out no more units than fit in the sampled
# square, so the engine holds them to it).
param_variation <- function(d, design) {
  cols <- intersect(setdiff(names(param_kinds()), "Method"), names(d))
  varying <- cols[vapply(cols, function(col) length(unique(d[[col]])) > 1, TRUE)]
  follows_design <- function(col) all(tapply(d[[col]], design, function(v) length(unique(v)) == 1))
  held <- intersect(c("maxSa", "minSa", "StepSa", "Sampfac"), varying)
  held <- held[vapply(held, follows_design, TRUE)]
  list(swept = setdiff(varying, held), held = held)
}
