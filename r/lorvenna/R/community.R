# The sample as data: the community matrix of a pass's largest sample.

#' The community matrix of a pass's largest sample
#'
#' The units x species matrix of individuals of the largest sample of one
#' pass, built from the sparse `occurrences` table: the input that vegan
#' (`specpool()`, `estimateR()`, `diversity()`) and iNEXT take, so any tool can
#' be run on a sample whose truth is known. Every unit of the sample is a row
#' (named by its unit number, `units$unit`), empty units too; every species
#' found in the sample is a column (named by its species number,
#' `species$species`), in the order of the species numbers. For the nested
#' designs (`seq`, `oct`) a unit is the whole nested square, so the rows
#' overlap.
#'
#' @param x a result of [lv_simulate()] or [lv_read()] in mode `"s"`.
#' @param run the pass, a run number; `NULL`: the first pass that is ok.
#' @return An integer matrix, units x species.
#' @examples
#' p <- lv_template(1, Method = "ind")
#' p$Areal <- 40
#' p$SampA <- 16
#' x <- lv_simulate(p, seed = 2)
#' m <- lv_community_matrix(x)
#' dim(m)
#' colSums(m > 0)  # the units holding each species
#' if (requireNamespace("vegan", quietly = TRUE)) vegan::specpool(m)
#' @export
lv_community_matrix <- function(x, run = NULL) {
  check_lorvenna(x)
  run <- pick_runs(x, run)
  if (length(run) != 1) stop("run must name one pass", call. = FALSE)
  if (!is.data.frame(x$occurrences))
    stop("x has no occurrences table: it is written by a sampling run (mode \"s\"; the command line: --tidy)",
         call. = FALSE)
  occ <- x$occurrences[x$occurrences$run == run, , drop = FALSE]
  units <- if (is.data.frame(x$units)) x$units$unit[x$units$run == run] else numeric()
  units <- sort(unique(c(units, occ$unit)))
  if (length(units) == 0) stop("run ", run, " has no sample: a model-only run (mode \"m\") samples nothing", call. = FALSE)
  species <- sort(unique(occ$species))
  m <- matrix(0L, length(units), length(species), dimnames = list(units, species))
  m[cbind(match(occ$unit, units), match(occ$species, species))] <- as.integer(occ$individuals)
  m
}
