"""The engine's tidy tables as pandas DataFrames, with the column types of the
data dictionary: integers int64, reals float64, TRUE/FALSE columns bool,
keywords categorical, and NA missing. An integer or logical column that holds
NA takes pandas' nullable type (Int64, boolean), so no value changes type."""

import numpy as np
import pandas as pd

from . import _engine
from ._params import param_kinds

# The tables in the order a result lists them.
TABLES = ("runs", "species", "samples", "curve", "units", "timings", "estimates", "occurrences", "rarefaction")

# The tables of the estimators on field data (lorvenna estimate).
FIELD_TABLES = ("estimates", "rarefaction")

# The richness estimators of samples.csv, as the bias table names them.
ESTIMATORS = ("observed", "bootstrap", "chao2", "jack1", "jack2", "sar_extrapolated")

# The scores of every estimator in the bias table, in its column order.
SCORES = ("mean_truth", "mean_estimate", "mean_relative_bias", "sd_relative_bias", "rmse_relative", "mae_relative",
          "ci_coverage", "mean_relative_ci_width", "mean_error", "sd_error")

# The designs in the order the manual describes them: the order of their
# categories, so plots and groups list them so.
DESIGNS = ("seq", "ind", "oct", "dep", "lin")

# The points of a rarefaction curve, in the order of their sizes.
CURVE_METHODS = ("interpolated", "observed", "extrapolated")

# Keyword columns whose categories keep an order of their own.
_ORDERED_WORDS = {"design": DESIGNS, "Method": DESIGNS, "method": CURVE_METHODS}


def _kinds(integers="", reals="", logicals="", keywords="", texts=""):
    kinds = {}
    for kind, names in (("integer", integers), ("real", reals), ("logical", logicals),
                        ("keyword", keywords), ("text", texts)):
        for name in names.split():
            kinds[name] = kind
    return kinds


# Column kinds of every table but the parameters of runs.csv, which come
# from the engine's template.
_SCHEMA = {
    "runs": _kinds(
        integers="run row replicate seed terms square_offset species_given_up scaling_classes scaling_points",
        reals="heterogeneity clump_size hurst niche_level individuals_expected individuals_placed "
              "variance_intercept variance_slope variance_dimension length_intercept length_slope "
              "length_dimension",
        texts="version status"),
    "species": _kinds(
        integers="run species weight_class in_square units_occupied",
        reals="weight expected placed centre_x centre_y in_sample true_density density_boundary",
        logicals="true_density_below_boundary"),
    "samples": _kinds(
        integers="run n_units area cells_inspected species singletons doubletons true_species_grid "
                 "true_species_square true_individuals_square",
        reals="individuals shannon inverse_simpson evar fisher_alpha fisher_alpha_root bootstrap_summand "
              "sar_c sar_z sar_r2 semilog_a semilog_b semilog_r2 ear_c ear_z ear_r2 true_sar_c true_sar_z "
              "sar_z_inspected est_observed est_bootstrap est_chao2 est_jack1 est_jack2 est_sar_extrapolated "
              "bias_observed bias_bootstrap bias_chao2 bias_jack1 bias_jack2 bias_sar_extrapolated "
              "true_shannon true_inverse_simpson true_evar true_fisher_alpha_root",
        keywords="design"),
    "curve": _kinds(
        integers="run n_units unit area endemics niches inspected_side",
        reals="species new_species cumulative_species true_area true_species"),
    "units": _kinds(integers="run unit x y side cells niches species individuals"),
    "timings": _kinds(integers="run",
                      reals="model grid placement sampling evaluation statistics output"),
    "estimates": _kinds(integers="run n_units", keywords="quantity basis", texts="estimator",
                        reals="estimate se lower95 upper95 truth relative_bias", logicals="covered"),
    "occurrences": _kinds(integers="run unit species individuals"),
    "rarefaction": _kinds(integers="run q m", keywords="method",
                          reals="estimate lower95 upper95 coverage coverage_lower95 coverage_upper95 true_value "
                                "true_coverage"),
    "bias": _kinds(integers="row replicates n_units", keywords="design quantity basis", texts="estimator",
                   reals=" ".join(SCORES)),
}


# Field data have no truth: their tables are a pass's with `assemblage` (the
# name in the data's header) in place of `run` and without these columns.
_TRUTH_COLUMNS = ("truth", "relative_bias", "covered", "true_value", "true_coverage")


def _field_schema(table):
    kinds = {"assemblage": "text"}
    kinds.update({c: k for c, k in _SCHEMA[table].items() if c != "run" and c not in _TRUTH_COLUMNS})
    return kinds


_SCHEMA.update({"field_" + table: _field_schema(table) for table in FIELD_TABLES})


def column_kinds(table):
    """The declared kind of every column of a table ('integer', 'real',
    'logical', 'keyword', 'text'); parameters under their batch names. The
    tables of lorvenna estimate are field_estimates and field_rarefaction."""
    kinds = dict(_SCHEMA.get(table, {}))
    if table in ("runs", "bias"):
        kinds.update(param_kinds())
    return kinds


def empty_table(table):
    """A table nothing wrote (samples of a model-only run, the curves of a run
    without them) keeps its columns and their types."""
    dtypes = {"integer": np.int64, "real": np.float64, "logical": bool, "keyword": "category", "text": object}
    return pd.DataFrame({c: pd.Series(dtype=dtypes[k]) for c, k in column_kinds(table).items()})


def _categorical(texts, missing, name):
    values = np.array(texts, dtype=object)
    values[missing] = None
    seen = sorted(set(v for v in values if v is not None))
    if name in _ORDERED_WORDS:
        order = _ORDERED_WORDS[name]
        categories = list(order) + [v for v in seen if v not in order]
    else:
        categories = seen
    return pd.Categorical(values, categories=categories)


def _integers(values, missing, name, table):
    if values.dtype == np.float64:  # NA throughout, or whole numbers written as reals
        known = values[~missing]
        if not np.all(known == np.floor(known)):
            raise ValueError(f"{table}.csv: the integer column {name} holds a fraction")
        values = np.where(missing, 0, values).astype(np.int64)
    if missing.any():
        return pd.arrays.IntegerArray(values.astype(np.int64), missing.copy())
    return values.astype(np.int64, copy=False)


def _column(table, name, kind, parsed_kind, values, missing):
    """One parsed column as the declared kind says (the parsed kind where the
    column is not declared, as a column a later engine adds)."""
    if kind is None:
        kind = {"whole": "integer", "real": "real", "logical": "logical", "text": "text"}[parsed_kind]
    if parsed_kind == "real" and missing.all():  # NA throughout (or no row): the declared kind, all missing
        parsed_kind, values = "text", [""] * len(missing)
        if kind in ("integer", "logical", "real"):
            parsed_kind = {"integer": "whole", "logical": "logical", "real": "real"}[kind]
            values = np.zeros(len(missing), dtype={"whole": np.int64, "logical": bool, "real": np.float64}[parsed_kind])
            if kind == "real":
                values[:] = np.nan
    if kind in ("keyword", "text") or parsed_kind == "text":
        if kind == "keyword":
            return _categorical(values, missing, name)
        if parsed_kind != "text":  # a text column whose values all read as numbers
            raise ValueError(f"{table}.csv: the text column {name} was read as numbers")
        out = np.array(values, dtype=object)
        out[missing] = None
        return out
    if kind == "logical":
        if parsed_kind != "logical":
            raise ValueError(f"{table}.csv: the column {name} should hold TRUE and FALSE")
        return pd.arrays.BooleanArray(values, missing.copy()) if missing.any() else values
    if kind == "integer":
        return _integers(values, missing, name, table)
    return values.astype(np.float64, copy=False)


def frame_of(table, parsed):
    """A table parsed by the engine module, (rows, columns), as a DataFrame."""
    rows, columns = parsed
    kinds = column_kinds(table)
    data = {}
    for name, parsed_kind, values, missing in columns:
        data[name] = _column(table, name, kinds.get(name), parsed_kind, values, missing)
    frame = pd.DataFrame(data)
    if len(frame) != rows:  # a header alone: every column empty
        frame = frame.iloc[:rows]
    return frame


def read_table(table, text):
    """A table's CSV text as a DataFrame."""
    return frame_of(table, _engine.parse_csv(text))
