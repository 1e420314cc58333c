"""The estimators and curves on field data: estimate() gives the values of the
published tools (SpadeR, iNEXT) on their reference data sets, the tables of
`lorvenna estimate` on the same file and seed word, and the reader's refusal
of bad data with its line and column; simulate() carries the curves of the
command line's --rarefaction."""

import os
import subprocess

import numpy as np
import pandas as pd
import pytest

import lorvenna as lv
from conftest import TABLES, assert_same_as_csv, small_rows

DATA = os.path.join(os.path.dirname(__file__), "data")

# The reference data sets (copied from the shared reference folder) by format.
FILES = {"abundance": "abundance.csv", "incidence_freq": "incidence.csv", "incidence_raw": "raw.csv"}
OPTIONS = {"abundance": "--abundance", "incidence_freq": "--incidence", "incidence_raw": "--incidence-raw"}


def field_data(datatype):
    """A data file as a DataFrame whose column names are those of its header,
    repeated names (the units of one assemblage) included."""
    path = os.path.join(DATA, FILES[datatype])
    with open(path) as f:
        names = f.readline().strip().split(",")
    frame = pd.read_csv(path, header=None, skiprows=1)
    frame.columns = names
    return frame


def reference(name):
    return pd.read_csv(os.path.join(DATA, name), keep_default_na=False, na_values=["NA"])


# A handful of the published estimators: SpadeR's name, Lorvenna's (quantity, estimator).
SPADER = {"Chao1 (Chao, 1984)": ("richness", "chao1"), "iChao1 (Chiu et al. 2014)": ("richness", "ichao1"),
          "ACE (Chao & Lee, 1992)": ("richness", "ace"), "2nd order jackknife": ("richness", "jack2"),
          "Chao2 (Chao, 1987)": ("richness", "chao2"), "ICE-1 (Lee & Chao, 1994)": ("richness", "ice1"),
          "1st order jackknife": ("richness", "jack1")}
INEXT = {"Shannon diversity estimator": ("hill1", "estimated"), "Simpson diversity estimator": ("hill2", "estimated"),
         "Shannon diversity observed": ("hill1", "observed"), "sample coverage SC": ("coverage", "estimated")}


@pytest.mark.parametrize("datatype", ["abundance", "incidence_freq"])
def test_estimates_agree_with_spader_and_inext(datatype):
    e = lv.estimate(field_data(datatype), datatype, bootstraps=0)
    mine = e.estimates.set_index(["assemblage", "quantity", "estimator"])
    compared = 0
    for _, ref in reference("reference-estimators.csv").iterrows():
        if ref["data"] not in e.assemblages:
            continue
        if ref["tool"].startswith("SpadeR") and ref["estimator"] in SPADER:
            got = mine.loc[(ref["data"], *SPADER[ref["estimator"]])]
            # SpadeR prints three decimals.
            for column in ("estimate", "se", "lower95", "upper95"):
                assert got[column] == pytest.approx(ref[column], abs=0.0005 + 1e-9 * abs(ref[column])), \
                    (ref["data"], ref["estimator"], column)
            compared += 1
        elif ref["estimator"] in INEXT:
            got = mine.loc[(ref["data"], *INEXT[ref["estimator"]]), "estimate"]
            # iNEXT gives full precision, but rounds the coverage to four decimals
            # and sums the incidence form of q = 2 in single precision.
            relative = 1e-6 if datatype != "abundance" and ref["estimator"].startswith("Simpson") else 1e-8
            tolerance = 5e-5 if ref["estimator"] == "sample coverage SC" else relative * abs(ref["estimate"])
            assert got == pytest.approx(ref["estimate"], abs=tolerance), (ref["data"], ref["estimator"])
            compared += 1
    assert compared >= 15
    # Without bootstraps the Hill numbers and the coverage have no interval.
    assert mine.loc[(e.assemblages[0], "hill2", "estimated"), ["se", "lower95"]].isna().all()


@pytest.mark.parametrize("datatype", ["abundance", "incidence_freq"])
def test_curves_agree_with_inext_at_its_knots(datatype):
    ref = reference("reference-rarefaction.csv").query("type == @datatype").rename(columns={"method": "inext"})
    name = ref["data"].iloc[0]
    curves = lv.estimate(field_data(datatype)[[name]], datatype, rarefaction=True, bootstraps=0).rarefaction
    assert len(curves) == len(ref) == 120
    joined = curves.merge(ref, left_on=["q", "m"], right_on=["q", "size"], validate="one_to_one")
    assert len(joined) == 120
    assert np.allclose(joined["estimate"], joined["qD"], rtol=1e-8, atol=0)
    assert np.allclose(joined["coverage"], joined["SC"], rtol=1e-8, atol=0)
    words = {"Rarefaction": "interpolated", "Observed": "observed", "Extrapolation": "extrapolated"}
    assert list(joined["method"].astype(str)) == list(joined["inext"].map(words))
    assert curves["lower95"].isna().all()


@pytest.fixture
def estimate_cli(cli, tmp_path):
    """Runs `lorvenna estimate` on a file; returns its output folder, or its
    status and messages when it fails."""
    def run(datatype, path, *options):
        out = tmp_path / f"est-{len(list(tmp_path.iterdir()))}"
        done = subprocess.run([cli, "estimate", OPTIONS[datatype], str(path), "--out", str(out), *options],
                              capture_output=True, text=True)
        return out if done.returncode == 0 else (done.returncode, done.stderr)
    return run


@pytest.mark.parametrize("datatype", ["abundance", "incidence_freq", "incidence_raw"])
def test_tables_equal_those_of_the_command_line(estimate_cli, datatype):
    data = field_data(datatype)
    e = lv.estimate(data, datatype, rarefaction=True, bootstraps=20, seed=4000000001, knots=16)
    out = estimate_cli(datatype, os.path.join(DATA, FILES[datatype]), "--rarefaction", "--knots", "16",
                       "--bootstraps", "20", "--seed", "4000000001")
    assert_same_as_csv(e.estimates, out / "estimates.csv", "field_estimates")
    assert_same_as_csv(e.rarefaction, out / "rarefaction.csv", "field_rarefaction")
    assert e.assemblages == list(dict.fromkeys(data.columns))
    # The bootstraps of an assemblage draw from a seed made of the seed word
    # and its place in the data: the first column alone gives its rows of the
    # whole, as a Series, a list or a 1-D array alike.
    if datatype != "incidence_raw":
        first = data.columns[0]
        one = lv.estimate(data[first], datatype, rarefaction=True, bootstraps=20, seed=4000000001, knots=16)
        pd.testing.assert_frame_equal(one.estimates, e.estimates.query("assemblage == @first").reset_index(drop=True),
                                      check_exact=True)
        as_list = lv.estimate(list(data[first].dropna().astype(int)), datatype, bootstraps=20, seed=4000000001)
        assert as_list.assemblages == ["data"]
        assert np.array_equal(as_list.estimates["estimate"], one.estimates["estimate"], equal_nan=True)


def test_bad_data_raise_the_readers_message(estimate_cli, tmp_path):
    bad = pd.DataFrame({"north": [12, 7, 3], "south": [4, -2, 0]}, index=["Carabus", "Pterostichus", "Amara"])
    with pytest.raises(lv.DataError, match=r"line 3, column 2 \(south\): a negative count \(-2\)") as caught:
        lv.estimate(bad)
    fault = caught.value
    assert isinstance(fault, ValueError)
    assert (fault.line, fault.column, fault.assemblage, fault.row, fault.label) == (3, 2, "south", 1, "Pterostichus")
    assert "index label 'Pterostichus'" in str(fault)
    # The command line says the same of the same file, and writes nothing.
    path = tmp_path / "bad.csv"
    bad.to_csv(path, index=False)
    status, message = estimate_cli("abundance", path)
    assert status == 1 and str(fault).split(" [in data")[0] in message
    with pytest.raises(lv.DataError, match=r"line 3, column 1 \(plots\): the species is found in 9 units, "
                                           r"more than the 5 sampling units on line 2"):
        lv.estimate(pd.Series([5, 9, 2], name="plots"), "incidence_freq")
    with pytest.raises(lv.DataError, match=r"line 2, column 1 \(data\): a fractional count \(2.5\)"):
        lv.estimate(np.array([2.5, 1.0]))
    with pytest.raises(ValueError, match="datatype must be one of"):
        lv.estimate([3, 1], "incidence")


@pytest.mark.filterwarnings("ignore::lorvenna.EngineWarning")  # a crowded species, as the program warns too
def test_simulate_carries_the_curves_of_the_command_line(run_cli):
    p = small_rows(("seq", "dep"))
    x = lv.simulate(p, seed=17, rarefaction=True, knots=12, bootstraps=8)
    out = run_cli(p, 17, "--run-seeds", "--rarefaction", "--knots", "12", "--bootstraps", "8")
    for name in TABLES + ("rarefaction",):
        assert_same_as_csv(getattr(x, name), out / f"{name}.csv")
    assert set(x.rarefaction["run"]) == {1, 2} and x.rarefaction["true_value"].notna().all()
    pd.testing.assert_frame_equal(lv.read(out).rarefaction, x.rarefaction, check_exact=True)
    # Without the curves the table is empty but typed.
    plain = lv.simulate(p, seed=17)
    assert len(plain.rarefaction) == 0 and plain.rarefaction["m"].dtype == np.int64
    with pytest.raises(ValueError, match="needs mode"):
        lv.simulate(p, rarefaction=True, mode="m")
