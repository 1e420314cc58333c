# The worked example of docs/r-example.md: a sweep of aggregation by design
# with replicates, its bias plot and its species-area plot.  Writes
# docs/img/r-sweep-bias.png and docs/img/r-sweep-sar.png.
#   Rscript docs/r-example.R        (after scripts/r_install.sh)
library(lorvenna)

# Template row 1 on a 100-cell grid (129 after the rmd rescaling): every
# design, aggregation from nearly random to strongly clumped.
p <- lv_template(1, Aggreg = c(0.5, 2, 8, 32), Method = c("seq", "ind", "oct", "dep", "lin"))
p$Areal <- 100
p$SampA <- 40
p$maxSa <- 16
p$minSa <- 4
p$StepSa <- 4
x <- lv_simulate(p, seed = 2024, replicates = 5)
print(x)

# The relative bias of the richness estimators at the largest sample of
# every pass: the engine writes each estimate and its bias beside the truth,
# the species in the sampled square.
img <- file.path("docs", "img")
dir.create(img, showWarnings = FALSE)
ggplot2::ggsave(file.path(img, "r-sweep-bias.png"), lv_plot_bias(x, by = "Aggreg"), width = 9, height = 5.5, dpi = 90)
# The SAR plot of the most clumped passes, one facet per design.
clumped <- x$runs$run[x$runs$Aggreg == 32]
ggplot2::ggsave(file.path(img, "r-sweep-sar.png"), lv_plot_sar(x, runs = clumped), width = 9, height = 5.5, dpi = 90)
