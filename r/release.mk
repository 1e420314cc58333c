# Compiler flags for the package installed from this tree (R_MAKEVARS_USER):
# the optimisation of the program's release build, -O3, where R's own
# default is -O2, so that a run costs in R what it costs on the command line.
CXX20FLAGS = -O3
