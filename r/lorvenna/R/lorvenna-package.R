#' lorvenna: virtual species assemblages sampled by five designs
#'
#' Runs the Lorvenna engine in the R session. A run builds a virtual
#' assemblage of species on a square grid whose truth is known (body weights,
#' densities, a fractal habitat, niches, ranges, individuals placed in
#' clumps), samples it with one of five designs (`seq`, `ind`, `oct`, `dep`,
#' `lin`) at a series of sample sizes, and returns the command line's tidy
#' tables as data frames.
#'
#' * [lv_template()] gives parameter rows to edit or sweep, [lv_write_batch()]
#'   writes them for the command line;
#' * [lv_simulate()] runs them (or places a given abundance vector);
#'   [lv_read()] reads a command-line output folder into the same object;
#' * [summary()][summary.lorvenna()] sets every estimate of the largest sample
#'   beside its truth, over the replicates;
#' * [plot()][plot.lorvenna()], [autoplot()][autoplot.lorvenna()],
#'   [lv_plot_sar()], [lv_plot_rad()], [lv_plot_habitat()], [lv_plot_map()] and
#'   [lv_plot_bias()] draw the results with 'ggplot2'.
#'
#' The worked sweep of `vignette("lorvenna")` runs aggregation by design with
#' replicates and reads its bias and species-area plots. Every column of the
#' tables is described in the project's data dictionary
#' (`docs/data-dictionary.md`), the parameters in its manual
#' (`docs/manual.md`, sections 3 and 5).
#'
#' @keywords internal
#' @useDynLib lorvenna, .registration = TRUE
#' @importFrom Rcpp evalCpp
#' @importFrom ggplot2 .data
"_PACKAGE"

#' @importFrom ggplot2 autoplot
#' @export
ggplot2::autoplot
