# An interrupt (Ctrl-C) stops the run in order and keeps the passes finished.

test_that("an interrupt ends the run with its finished passes, and the next run is whole", {
  skip_on_os("windows")
  p <- lv_template(1, Aggreg = c(1, 2, 3, 4, 5, 6))
  p$Areal <- 400
  p$SampA <- 100
  p$maxD <- 20
  p$Species <- 200
  system(sprintf("(sleep 0.5; kill -INT %d) &", Sys.getpid()))
  started <- Sys.time()
  cond <- tryCatch(suppressWarnings(lv_simulate(p, replicates = 5)), interrupt = function(e) e)
  expect_s3_class(cond, "lorvenna_interrupted")
  expect_lt(as.numeric(difftime(Sys.time(), started, units = "secs")), 20)
  runs <- cond$partial$runs
  expect_lt(nrow(runs), 30)
  expect_true(all(runs$status == "ok"))
  expect_setequal(unique(cond$partial$samples$run), runs$run)
  expect_identical(nrow(suppressWarnings(lv_simulate(small_rows("seq")))$runs), 1L)
})
