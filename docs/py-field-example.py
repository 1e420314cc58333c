"""The curves of a virtual sample beside their truth, and the estimators on
field counts. Writes the picture of the manual's section on Python's curves
into docs/img.

    /usr/bin/python3 docs/py-field-example.py      (after scripts/py_install.sh)
"""

import os

import pandas as pd

import lorvenna as lv

here = os.path.dirname(os.path.abspath(__file__))

# One pass of template row 1 with its curves: the estimate, its band and the truth.
x = lv.simulate(lv.template(1), seed=1, rarefaction=True)
r = x.rarefaction.query("q == 0")
print(r.iloc[[0, 9, 19, 39]][["m", "method", "estimate", "lower95", "upper95", "true_value"]].round(3)
      .to_string(index=False))
lv.plot_rarefaction(x).savefig(os.path.join(here, "img", "py-rarefaction.png"), dpi=80)

# Beetles in pitfall traps of two sites, species as the index.
counts = pd.DataFrame({"north": [41, 17, 9, 6, 4, 3, 2, 2, 1, 1, 1, 1, 0],
                       "south": [25, 30, 0, 11, 2, 0, 5, 1, 1, 0, 1, 0, 1]},
                      index=["Carabus", "Pterostichus", "Amara", "Harpalus", "Nebria", "Poecilus", "Calathus",
                             "Bembidion", "Leistus", "Notiophilus", "Trechus", "Loricera", "Cychrus"])
e = lv.estimate(counts, rarefaction=True, seed=7)
print(e.estimates.query("estimator in ['observed', 'chao1', 'ace'] and quantity == 'richness'")
      [["assemblage", "estimator", "estimate", "se", "lower95", "upper95"]].round(2).to_string(index=False))
