"""Lorvenna in Python: the engine in this process, its tidy tables as pandas
DataFrames and matplotlib plots of them.

    import lorvenna as lv
    p = lv.template(1, Aggreg=[0, 4, 16], Method=["seq", "dep"])
    x = lv.simulate(p, seed=1, replicates=20, jobs=2)
    x.samples.head()
    lv.bias(x)
    lv.plot_sar(x); lv.plot_bias(x, by="Aggreg")
    y = lv.read("results")        # a command-line output folder

    c = lv.simulate(p, seed=1, rarefaction=True)   # with the curves and their truth
    lv.plot_rarefaction(c)
    e = lv.estimate(counts, rarefaction=True)      # the estimators on field data
    e.estimates; lv.plot_rarefaction(e, type="coverage")
"""

from ._bias import bias
from ._errors import DataError, EngineWarning, Fault, Interrupted, ParameterError
from ._field import FieldResult, estimate
from ._params import read_params, template, write_params
from ._plots import plot_bias, plot_habitat, plot_rad, plot_rarefaction, plot_sar
from ._result import Result, read, simulate

__all__ = ["template", "read_params", "write_params", "simulate", "read", "Result", "bias",
           "estimate", "FieldResult",
           "plot_sar", "plot_bias", "plot_rad", "plot_habitat", "plot_rarefaction",
           "ParameterError", "DataError", "Interrupted", "EngineWarning", "Fault"]
