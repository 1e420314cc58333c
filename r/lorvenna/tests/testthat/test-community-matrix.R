# The community matrix of a pass's largest sample is the sample the engine
# estimated from: its margins are the units table's, and vegan's estimators
# on it are the engine's where they share a formula.

sweep <- suppressWarnings(lv_simulate(small_rows(c("ind", "dep", "lin", "seq")), seed = 5, replicates = 2))

test_that("the matrix holds every unit of the largest sample and the individuals of occurrences", {
  for (run in sweep$runs$run) {
    m <- lv_community_matrix(sweep, run)
    units <- sweep$units[sweep$units$run == run, ]
    occ <- sweep$occurrences[sweep$occurrences$run == run, ]
    expect_identical(rownames(m), as.character(units$unit))
    expect_equal(as.vector(rowSums(m)), units$individuals, label = paste("run", run))
    expect_equal(as.vector(rowSums(m > 0)), units$species, label = paste("run", run))
    expect_identical(colnames(m), as.character(sort(unique(occ$species))))
    expect_identical(sum(m > 0), nrow(occ))
    # The species of the sample are those samples.csv counts at the largest size.
    top <- sweep$samples[sweep$samples$run == run, ]
    expect_equal(ncol(m), top$species[which.max(top$n_units)])
  }
  expect_identical(lv_community_matrix(sweep), lv_community_matrix(sweep, 1))
  expect_error(lv_community_matrix(sweep, 99), "no run 99")
  expect_error(lv_community_matrix(lv_simulate(small_rows("seq"), mode = "m")), "a model-only run")
})

# vegan's formulas against the engine's, at the largest sample of the designs
# whose units are apart (ind, dep, lin): specpool's Chao2 with its standard
# error, first- and second-order jackknife and bootstrap with its standard
# error are the engine's incidence chao2, jack1, jack2 and bootstrap;
# estimateR's Chao1 is the bias-corrected chao1_bc and its ACE the engine's
# ace. The standard errors of jack1, chao1_bc and ace differ: the engine's
# are SpadeR's. The engine's jack2 never falls below the species seen.
test_that("vegan's specpool and estimateR on the matrix give the engine's estimates", {
  skip_if_not_installed("vegan")
  compared <- 0
  for (run in sweep$runs$run[sweep$runs$Method != "seq"]) {
    m <- lv_community_matrix(sweep, run)
    e <- lorvenna:::largest_sample(sweep$estimates[sweep$estimates$run == run, ])
    pick <- function(basis, estimator, col = "estimate") e[[col]][e$quantity == "richness" & e$basis == basis &
                                                                  e$estimator == estimator]
    pool <- vegan::specpool(m)
    pairs <- list(c("chao2", "chao"), c("chao2", "chao.se", "se"), c("jack1", "jack1"), c("bootstrap", "boot"),
                  c("bootstrap", "boot.se", "se"))
    for (p in pairs) {
      expect_equal(pick("incidence", p[1], if (length(p) == 3) p[3] else "estimate"), pool[[p[2]]],
                   tolerance = 1e-12, label = paste("run", run, p[2]))
    }
    expect_equal(pick("incidence", "jack2"), max(pool$jack2, pool$Species), tolerance = 1e-12, label = paste("run", run))
    abundance <- vegan::estimateR(colSums(m))
    expect_equal(pick("abundance", "chao1_bc"), abundance[["S.chao1"]], tolerance = 1e-12, label = paste("run", run))
    expect_equal(pick("abundance", "ace"), abundance[["S.ACE"]], tolerance = 1e-12, label = paste("run", run))
    compared <- compared + 1
  }
  expect_identical(compared, 6)
})
