"""Every plot builds without a display and draws what its tables call for."""

import matplotlib.collections as mcoll
import pandas as pd
import pytest

import lorvenna as lv
from conftest import small_rows


@pytest.fixture(scope="module")
def sweep():
    p = lv.template(1, Aggreg=[1.0, 6.0], Method=["seq", "dep", "lin"])
    p["Areal"], p["SampA"], p["maxSa"], p["minSa"], p["StepSa"] = 40, 16, 8, 2, 2
    return lv.simulate(p, seed=2, replicates=2, jobs=2, habitat=True)


def drawn(ax, kind):
    return [c for c in ax.collections if type(c) is kind]


def test_species_area_points_and_fits(sweep):
    fig = lv.plot_sar(sweep)
    # One panel per parameter row, with its replicates: one set of points and one fitted line each.
    assert len(fig.axes) == 6
    for ax in fig.axes:
        assert len(drawn(ax, mcoll.PathCollection)) == 2
        assert len(ax.lines) == 2
        assert ax.get_xscale() == "log" and ax.get_yscale() == "log"
    points = sum(len(c.get_offsets()) for ax in fig.axes for c in drawn(ax, mcoll.PathCollection))
    largest = sweep.samples.groupby("run")["n_units"].transform("max") == sweep.samples["n_units"]
    expected = sweep.curve.merge(sweep.samples[largest][["run", "n_units"]])
    assert points == ((expected["area"] > 0) & (expected["species"] > 0)).sum()
    assert len(lv.plot_sar(sweep, runs=[1, 2]).axes) == 1
    with pytest.raises(ValueError, match="no run 99"):
        lv.plot_sar(sweep, runs=99)
    fig.savefig(__import__("io").BytesIO(), format="png")


def test_bias_by_design_against_the_swept_parameter(sweep):
    fig = lv.plot_bias(sweep)  # Aggreg is the one parameter that varies
    assert [ax.get_title() for ax in fig.axes] == ["seq", "dep", "lin"]
    for ax in fig.axes:
        # Per estimator: the replicates, and one bar per swept value around the line of means.
        assert len(drawn(ax, mcoll.PathCollection)) == 5
        assert len(ax.containers) == 5
        assert all(len(c.lines[0].get_xdata()) == 2 for c in ax.containers)
    assert fig.texts[0].get_text() == "Aggreg"
    assert len(lv.plot_bias(sweep, by="Aggreg", estimators=None).axes[0].containers) == 6
    with pytest.raises(ValueError, match="several vary"):
        lv.plot_bias(lv.simulate(small_rows(("seq", "dep")).assign(Range=[0.0, 3.0]), seed=1))


def test_rank_abundance_and_habitat(sweep):
    rad = lv.plot_rad(sweep, run=3)
    assert [line.get_label() for line in rad.axes[0].lines] == ["community", "sample"]
    placed = sweep.species.query("run == 3 and placed > 0")
    assert len(rad.axes[0].lines[0].get_xdata()) == len(placed)
    habitat = lv.plot_habitat(sweep, run=3)
    ax = habitat.axes[0]
    assert len(ax.images) == 1 and ax.images[0].get_array().shape == sweep.habitat[3].shape
    units = (sweep.units["run"] == 3).sum()
    assert len(ax.patches) == units + 1  # the units, and the sampled square dashed
    with pytest.raises(ValueError, match="no habitat grid"):
        lv.plot_habitat(lv.simulate(small_rows(("seq",))))


def test_rarefaction_curves_with_their_bands_and_truth(sweep):
    with pytest.raises(ValueError, match="rarefaction=True"):
        lv.plot_rarefaction(sweep)
    x = lv.simulate(small_rows(("seq",)), seed=3, rarefaction=True, knots=10, bootstraps=5)
    fig = lv.plot_rarefaction(x)
    assert [ax.get_title()[:5] for ax in fig.axes] == ["q = 0", "q = 1", "q = 2"]
    for q, ax in enumerate(fig.axes):
        curve = x.rarefaction.query("q == @q")
        # Interpolated to the sample, extrapolated from it, the sample, the truth dashed; the band.
        assert [line.get_linestyle() for line in ax.lines] == ["-", ":", "None", "--"]
        assert len(ax.lines[0].get_xdata()) + len(ax.lines[1].get_xdata()) == len(curve) + 1
        assert list(ax.lines[3].get_ydata()) == list(curve["true_value"])
        assert len(drawn(ax, mcoll.PolyCollection)) == 1
    assert [t.get_text() for t in fig.legends[0].get_texts()][-1] == "true curve"
    # Field data: every assemblage, no truth; against coverage, without bootstraps no band.
    e = lv.estimate(pd.DataFrame({"north": [40, 12, 5, 2, 1, 1], "south": [9, 8, 3, 3, 1, 0]}), rarefaction=True,
                    bootstraps=0)
    fig = lv.plot_rarefaction(e, type="coverage")
    for ax in fig.axes:
        assert len(ax.lines) == 6 and not drawn(ax, mcoll.PolyCollection)
        assert all(0 < v <= 1 for line in ax.lines for v in line.get_xdata())
    assert len(lv.plot_rarefaction(e, run="south").axes[0].lines) == 3
    with pytest.raises(ValueError, match="no curves of assemblage east"):
        lv.plot_rarefaction(e, run="east")
    fig.savefig(__import__("io").BytesIO(), format="png")
