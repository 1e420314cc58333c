# What a run costs from R against the command line, for the same rows and
# seed word: the command line writing its reports and tidy tables to disk,
# R building the same tables in memory.  Runs alternate; medians are shown.
#   R_LIBS=build/r-lib Rscript bench/r_speed.R build/lorvenna [repeats]
args <- commandArgs(trailingOnly = TRUE)
bin <- normalizePath(args[1])
repeats <- if (length(args) > 1) as.integer(args[2]) else 5
library(lorvenna)

p <- lv_template(1, Aggreg = c(1, 8), Method = c("seq", "ind", "oct", "dep", "lin"))
p$Areal <- 200
p$SampA <- 60
p$maxSa <- 16
replicates <- 2
batch <- tempfile(fileext = ".txt")
lv_write_batch(p, batch)
out <- tempfile("cli")

# Seconds on the clock and of processor time (the latter hardly moves when
# other work shares the machine).
cli <- r <- matrix(0, repeats, 2, dimnames = list(NULL, c("elapsed", "cpu")))
for (i in seq_len(repeats)) {
  unlink(out, recursive = TRUE)
  t <- system.time(system2(bin, c("--mode", "s", "--batch", batch, "--tidy", "--seed", "1", "--run-seeds",
                                  "--replicates", replicates, "--out", out, "--quiet")))
  cli[i, ] <- c(t[["elapsed"]], t[["user.child"]] + t[["sys.child"]])
  t <- system.time(x <- lv_simulate(p, seed = 1, replicates = replicates, progress = FALSE))
  r[i, ] <- c(t[["elapsed"]], t[["user.self"]] + t[["sys.self"]])
}
cat(sprintf("%d rows x %d replicates = %d passes, %d repeats\n", nrow(p), replicates, nrow(x$runs), repeats))
for (k in colnames(cli)) {
  cat(sprintf("%-7s command line %.2f s, R %.2f s: R / command line %.3f\n", k, stats::median(cli[, k]),
              stats::median(r[, k]), stats::median(r[, k]) / stats::median(cli[, k])))
}
