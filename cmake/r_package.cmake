# The R package in r/lorvenna: installed into build/r-lib (its configure
# stages the engine's sources into r/lorvenna/src/engine), its tests run
# against the command line built beside it, and R CMD check --as-cran on the
# source package built from it, whose tests compare with the same program.
find_program(LORVENNA_R_COMMAND R)
find_program(LORVENNA_RSCRIPT Rscript)
if(NOT LORVENNA_R_COMMAND OR NOT LORVENNA_RSCRIPT)
  message(FATAL_ERROR "LORVENNA_R needs R (Debian: apt-get install r-base-dev r-cran-rcpp r-cran-ggplot2 "
                      "r-cran-testthat r-cran-knitr r-cran-rmarkdown r-cran-roxygen2 r-cran-vegan pandoc, or "
                      "scripts/r_test.sh, which installs what is missing)")
endif()

# The package carries the project's version.
file(STRINGS ${CMAKE_SOURCE_DIR}/r/lorvenna/DESCRIPTION r_version_line REGEX "^Version:")
string(REGEX REPLACE "^Version:[ ]*" "" r_version "${r_version_line}")
if(NOT r_version STREQUAL PROJECT_VERSION)
  message(FATAL_ERROR "r/lorvenna/DESCRIPTION has version ${r_version} and the project ${PROJECT_VERSION}: "
                      "give the package the project's version")
endif()

set(LORVENNA_R_LIBRARY ${CMAKE_SOURCE_DIR}/build/r-lib)
add_custom_target(r_package ALL
  COMMAND ${CMAKE_COMMAND} -E make_directory ${LORVENNA_R_LIBRARY}
  COMMAND ${CMAKE_COMMAND} -E env MAKEFLAGS=-j2 R_MAKEVARS_USER=${CMAKE_SOURCE_DIR}/r/release.mk
          ${LORVENNA_R_COMMAND} CMD INSTALL --no-multiarch --library=${LORVENNA_R_LIBRARY} ${CMAKE_SOURCE_DIR}/r/lorvenna
  COMMENT "Installing the R package into build/r-lib"
  VERBATIM)
add_dependencies(r_package check_layers)

add_test(NAME r_tests
         COMMAND ${LORVENNA_RSCRIPT} ${CMAKE_SOURCE_DIR}/r/run_tests.R ${CMAKE_SOURCE_DIR}/r/lorvenna/tests/testthat)
set_tests_properties(r_tests PROPERTIES TIMEOUT 900
                     ENVIRONMENT "R_LIBS=${LORVENNA_R_LIBRARY};LORVENNA_BINARY=$<TARGET_FILE:lorvenna>")
add_test(NAME r_configure COMMAND bash ${CMAKE_SOURCE_DIR}/r/configure_test.sh)
add_test(NAME r_documented COMMAND bash ${CMAKE_SOURCE_DIR}/r/documented_test.sh)
add_test(NAME r_check
         COMMAND bash ${CMAKE_SOURCE_DIR}/r/check_package.sh ${CMAKE_BINARY_DIR}/r-check)
set_tests_properties(r_check PROPERTIES TIMEOUT 2400
                     ENVIRONMENT "MAKEFLAGS=-j2;LORVENNA_BINARY=$<TARGET_FILE:lorvenna>")
