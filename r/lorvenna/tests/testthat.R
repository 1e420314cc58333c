library(testthat)
library(lorvenna)

test_check("lorvenna")
