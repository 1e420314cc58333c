# Tables read as read.csv() reads them, and parameter sweeps built as asked.

test_that("CSV text gives the values and types read.csv gives", {
  cases <- c(
    plain = "run,x,name\n1,0.1,a\n2,1e-300,b\n",
    quoted = "run,status\n1,ok\n2,\"Error, with a comma and a \"\"quote\"\"\"\n3,\"two\nlines\"\n",
    missing = "run,fit,text,none\n1,NA,,NA\n2,2.5,x,\n",
    digits = "v\n0.30000000000000004\n123456789012345678\n4294967295\n-0\n5e-324\n")
  for (name in names(cases)) {
    ours <- lorvenna:::.parse_csv(cases[[name]])
    theirs <- utils::read.csv(text = cases[[name]], stringsAsFactors = FALSE)
    expect_identical(names(ours), names(theirs), label = name)
    for (col in names(theirs)) {
      b <- theirs[[col]]
      a <- ours[[col]]
      if (is.character(b)) expect_identical(a, b, label = paste(name, col))
      else expect_identical(as.double(a), as.double(b), label = paste(name, col))
    }
  }
  expect_error(lorvenna:::.parse_csv("a,b\n1,2,3\n"), "line 2 has 3 fields")
})

test_that("a sweep crosses every combination with every chosen template row", {
  p <- lv_template(c(1, 3), Aggreg = c(1, 5), Method = c("seq", "dep"))
  expect_identical(nrow(p), 8L)
  tpl <- lv_template()
  for (r in c(1, 3)) {
    from_row <- p[p$Areal == tpl$Areal[r], ]
    expect_identical(nrow(unique(from_row[, c("Aggreg", "Method")])), 4L)
    expect_identical(unique(from_row$Species), tpl$Species[r])
  }
  expect_error(lv_template(1, Agreg = 1), "unknown parameter column\\(s\\): Agreg")
})

test_that("the example folder the help pages read is what the engine writes today for its rows", {
  dir <- system.file("extdata", "sweep", package = "lorvenna")
  rows <- utils::read.table(file.path(dir, "rows.txt"), header = TRUE, stringsAsFactors = FALSE)
  shipped <- lv_read(dir)
  x <- suppressWarnings(lv_simulate(rows, seed = 7, replicates = 2))
  for (t in c("runs", "species", "samples", "curve", "units", "estimates", "occurrences"))
    expect_identical(shipped[[t]], x[[t]], label = paste(t, "(scripts/r_document.sh writes the folder anew)"))
})
