# What a new user types first, from the README: the template, a sweep with
# replicates, its summary, its plot and the bias plot, with the template's
# own grid and no argument the functions could find themselves.

test_that("a first-time user's script runs from the template to the bias plot without an error", {
  grDevices::pdf(NULL)
  on.exit(grDevices::dev.off())
  expect_no_error({
    p <- lv_template(1, Aggreg = c(1, 5, 20), Method = c("seq", "ind", "oct", "dep", "lin"))
    x <- suppressWarnings(lv_simulate(p, seed = 1, replicates = 3))
    printed <- capture.output(print(x))
    s <- summary(x)
    summary_lines <- capture.output(print(s))
    shown <- plot(x)
    bias_message <- tryCatch(lv_plot_bias(x), message = conditionMessage)
    bias <- suppressMessages(lv_plot_bias(x))
    built <- ggplot2::ggplot_build(bias)
  })
  expect_match(printed[1], "45 pass(es) from 15 parameter row(s), 45 ok", fixed = TRUE)
  # Fifteen rows and designs, the swept parameter beside each, every estimator:
  # 10 of richness from incidence, 10 from abundance, the SAR extrapolation,
  # observed and estimated Hill numbers of order 1 and 2, the coverage.
  expect_identical(nrow(s), 15L * 26L)
  expect_identical(attr(s, "params"), "Aggreg")
  # Every row and design on a line of its own in each of the three blocks (more where a block is cut to the console).
  led <- regmatches(summary_lines, regexpr("^ +[0-9]+ +(seq|ind|oct|dep|lin) +(1|5|20) ", summary_lines))
  per_row <- table(as.integer(sub("^ +([0-9]+) .*", "\\1", led)))
  expect_identical(names(per_row), as.character(1:15))
  expect_true(all(per_row == per_row[1]) && per_row[1] >= 3)
  expect_s3_class(shown, "ggplot")
  expect_match(bias_message, "by = \"Aggreg\"")
  expect_identical(bias$labels$x, "Aggreg")
  expect_setequal(unique(built$data[[4]]$PANEL), factor(1:5))  # one panel per design
})
