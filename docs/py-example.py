"""A sweep in Python: aggregation by design, twenty replicates each, the bias
of the richness estimators and the species-area curves. Writes the pictures
of the manual's section on Python into docs/img.

    /usr/bin/python3 docs/py-example.py      (after scripts/py_install.sh)
"""

import os

import lorvenna as lv

here = os.path.dirname(os.path.abspath(__file__))

p = lv.template(1, Aggreg=[0, 4, 16], Method=["seq", "dep"])   # 6 rows
x = lv.simulate(p, seed=1, replicates=20, jobs=2)              # 120 passes
print(x)
print(x.samples.head())

b = lv.bias(x)
richness = b[(b["basis"] == "incidence") & b["estimator"].isin(["observed", "chao2"])]
print(richness[["row", "design", "Aggreg", "estimator", "mean_relative_bias", "sd_relative_bias", "rmse_relative",
                "ci_coverage"]].round(3).to_string(index=False))

lv.plot_bias(x, by="Aggreg").savefig(os.path.join(here, "img", "py-sweep-bias.png"), dpi=80)
lv.plot_sar(x, runs=x.runs["run"][x.runs["replicate"] <= 3]).savefig(
    os.path.join(here, "img", "py-sweep-sar.png"), dpi=80)
