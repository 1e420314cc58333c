# Draws the manual's pictures with the vignette's own code: the vignette's R
# code is run as it stands, and its plots named bias_plot, sar_plot,
# coverage_plot and rarefaction_plot are saved as docs/img/r-sweep-bias.png,
# r-sweep-sar.png, r-sweep-coverage.png and r-rarefaction.png.
#   Rscript r/vignette_figures.R VIGNETTE.Rmd IMG_DIR
args <- commandArgs(trailingOnly = TRUE)
code <- tempfile(fileext = ".R")
invisible(knitr::purl(args[1], output = code, quiet = TRUE))
env <- new.env()
sys.source(code, envir = env)
pictures <- c(bias_plot = "r-sweep-bias.png", sar_plot = "r-sweep-sar.png", coverage_plot = "r-sweep-coverage.png",
              rarefaction_plot = "r-rarefaction.png")
for (name in names(pictures)) {
  if (!exists(name, envir = env, inherits = FALSE)) stop("the vignette no longer makes ", name)
  ggplot2::ggsave(file.path(args[2], pictures[[name]]), get(name, envir = env), width = 9, height = 5.5, dpi = 90)
}
