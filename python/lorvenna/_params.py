"""Parameter rows: the engine's template, the checks of rows a user builds,
and the batch text the engine reads them from."""

import functools
import itertools
import math
import re

import numpy as np
import pandas as pd

from . import _engine
from ._errors import Fault, ParameterError

# The largest finite single-precision value: a real parameter beyond it
# cannot be held by the engine.
FLOAT_MAX = 3.4028234663852886e38
# A batch row longer than this is refused by the engine's reader.
ROW_LIMIT = 300


@functools.lru_cache(maxsize=1)
def _template_frame():
    """The template batch file the engine writes (mode b) as a DataFrame with
    the header's names. A column whose values are all written without a point
    is an integer column, a column of words a keyword column, any other real."""
    lines = [line.split() for line in _engine.template().splitlines() if line.strip()]
    header, rows = lines[0], lines[1:]
    columns = {}
    for j, name in enumerate(header):
        values = [row[j] for row in rows]
        if all(re.fullmatch(r"[+-]?[0-9]+", v) for v in values):
            columns[name] = np.array([int(v) for v in values], dtype=np.int64)
        else:
            try:
                columns[name] = np.array([float(v) for v in values], dtype=np.float64)
            except ValueError:
                columns[name] = np.array(values, dtype=object)
    return pd.DataFrame(columns)


@functools.lru_cache(maxsize=1)
def parameter_table():
    """The engine's table of parameters in batch column order: a dict per
    parameter with its column, label, kind, allowed values and keywords."""
    return tuple(_engine.parameters())


def param_kinds():
    """'integer', 'real' or 'keyword' for every parameter column, in batch order."""
    return {p["column"]: p["kind"] for p in parameter_table()}


def template(rows=None, **sweep):
    """The engine's template rows as a DataFrame, one column per parameter
    under the batch header's names (integers int64, reals float64, keywords
    str). `rows` keeps some of them, counted from 1 as in the batch file (an
    int or a list). Every named list in `sweep` is crossed: each kept row is
    repeated for every combination of the swept values, the last name
    varying fastest.

    >>> template(1, Aggreg=[0, 4, 16], Method=["seq", "dep"])   # 6 rows
    """
    base = _template_frame()
    if rows is not None:
        wanted = [rows] if isinstance(rows, (int, np.integer)) else list(rows)
        bad = [r for r in wanted if not isinstance(r, (int, np.integer)) or not 1 <= r <= len(base)]
        if bad:
            raise ValueError(f"template rows are counted from 1 to {len(base)}, not {bad}")
        base = base.iloc[[r - 1 for r in wanted]]
    unknown = [name for name in sweep if name not in base.columns]
    if unknown:
        raise ValueError(f"unknown parameter column(s): {', '.join(unknown)}; "
                         "the columns are those of template()")
    values = [_as_list(name, v) for name, v in sweep.items()]
    records = []
    for _, row in base.iterrows():
        for combination in itertools.product(*values):
            record = row.to_dict()
            record.update(zip(sweep, combination))
            records.append(record)
    frame = pd.DataFrame.from_records(records, columns=list(base.columns))
    for name, kind in param_kinds().items():
        if kind == "integer" and pd.api.types.is_integer_dtype(frame[name]):
            frame[name] = frame[name].astype(np.int64)
        elif kind == "real" and pd.api.types.is_numeric_dtype(frame[name]):
            frame[name] = frame[name].astype(np.float64)
    return frame


def _as_list(name, values):
    if isinstance(values, (str, bytes)) or not hasattr(values, "__iter__"):
        return [values]
    values = list(values)
    if not values:
        raise ValueError(f"the swept column {name} has no values")
    return values


def check_params(params):
    """Checks that `params` holds every parameter column with values the batch
    format can carry; returns the columns in batch order. The ranges are
    checked by the engine (see engine_faults())."""
    if not isinstance(params, pd.DataFrame):
        raise TypeError("params must be a pandas DataFrame with the columns of template()")
    if len(params) == 0:
        raise ValueError("params has no rows")
    kinds = param_kinds()
    missing = [name for name in kinds if name not in params.columns]
    if missing:
        raise ParameterError(
            f"params lacks the column(s) {', '.join(missing)}; every column of template() is needed",
            [Fault(None, name, "the column is missing") for name in missing])
    labels = list(params.index)
    faults = []

    def note(column, positions, what):
        faults.append(Fault([labels[i] for i in positions], column, what))

    for name, kind in kinds.items():
        column = params[name]
        na = column.isna().to_numpy()
        if na.any():
            note(name, np.flatnonzero(na), "missing value (NA)")
            continue
        values = column.tolist()
        if kind == "keyword":
            bad = [i for i, v in enumerate(values)
                   if not isinstance(v, str) or not re.fullmatch(r"[^\s]{1,50}", v)]
            if bad:
                note(name, bad, "a word of 1 to 50 characters without blanks is needed "
                                f"(for example the template's \"{_template_frame()[name].iloc[0]}\")")
            continue
        if any(isinstance(v, (bool, np.bool_)) or not isinstance(v, (int, float, np.number)) for v in values):
            note(name, [i for i, v in enumerate(values)
                        if isinstance(v, (bool, np.bool_)) or not isinstance(v, (int, float, np.number))],
                 "a number is needed")
            continue
        if kind == "integer":
            bad = [i for i, v in enumerate(values)
                   if not math.isfinite(v) or v != math.floor(v) or not -2**31 <= v <= 2**31 - 1]
            if bad:
                note(name, bad, "a whole number from -2147483648 to 2147483647 is needed")
        else:
            bad = [i for i, v in enumerate(values) if not math.isfinite(v) or abs(v) > FLOAT_MAX]
            if bad:
                note(name, bad, "a finite number within single precision (|x| <= 3.4e38) is needed")
    if faults:
        raise ParameterError("params cannot be run:\n  " + "\n  ".join(f.describe() for f in faults), faults)
    return params[list(kinds)]


def batch_text(params):
    """The batch text of checked rows: the header and one line per row."""
    kinds = param_kinds()
    columns = []
    for name, kind in kinds.items():
        values = params[name].tolist()
        if kind == "integer":
            columns.append([str(int(v)) for v in values])
        elif kind == "real":
            columns.append(_engine.format_reals([float(v) for v in values]))
        else:
            columns.append([str(v) for v in values])
    lines = [" ".join(fields) for fields in zip(*columns)]
    long = [params.index[i] for i, line in enumerate(lines) if len(line) > ROW_LIMIT]
    if long:
        raise ParameterError(
            f"row(s) {', '.join(map(str, long))} of params are longer than the {ROW_LIMIT} characters a batch "
            "row may have; give real values with fewer digits",
            [Fault([label], None, "row too long") for label in long])
    return "\n".join([" ".join(kinds)] + lines) + "\n"


def write_params(params, path):
    """Writes rows as a batch file for the command line."""
    text = batch_text(check_params(params))
    with open(path, "w", encoding="ascii") as f:
        f.write(text)
    return path


def read_params(path):
    """Reads a batch file whose rows give every column (no short rows) into a
    DataFrame of parameter rows."""
    kinds = param_kinds()
    with open(path, encoding="ascii") as f:
        lines = [line.split() for line in f.read().splitlines() if line.strip()]
    if not lines:
        raise ValueError(f"{path} is empty")
    header = lines[0]
    if header != list(kinds):
        raise ValueError(f"{path} does not begin with the batch header {' '.join(kinds)}")
    short = [i + 2 for i, row in enumerate(lines[1:]) if len(row) != len(header)]
    if short:
        raise ValueError(f"{path}: line(s) {', '.join(map(str, short))} do not give every column; "
                         "read_params() takes whole rows only")
    columns = {}
    for j, (name, kind) in enumerate(kinds.items()):
        values = [row[j] for row in lines[1:]]
        if kind == "integer":
            columns[name] = np.array([int(v) for v in values], dtype=np.int64)
        elif kind == "real":
            columns[name] = np.array([float(v.replace("d", "e").replace("D", "e")) for v in values],
                                     dtype=np.float64)
        else:
            columns[name] = np.array(values, dtype=object)
    return pd.DataFrame(columns)


def engine_faults(faults, labels):
    """The rows the engine refuses as faults: the row's index label, the
    column whose check failed and its allowed values (from the engine's table
    of parameters), and the engine's message. `faults` are the engine's
    (line, cause, message); `labels` the index labels of the rows in batch order."""
    allowed = {p["column"]: p["allowed"] for p in parameter_table()}
    out = []
    for line, cause, message in faults:
        position = line - 2  # the header is line 1
        label = labels[position] if 0 <= position < len(labels) else None
        if cause in allowed:
            out.append(Fault([label], cause, message, allowed[cause]))
        else:
            out.append(Fault([label], None, message))
    return out


# A rank-order block holds at most this many species.
BLOCK_LIMIT = 10000


def _vectors(values, what, rows):
    """One vector of numbers, or one per parameter row, as lists of floats."""
    def numbers(v):
        array = np.asarray(v)
        if array.ndim != 1 or array.dtype.kind not in "iuf":
            raise ValueError(f"{what} must be a vector of numbers or a list of them, one per parameter row")
        return [float(a) for a in array]
    if isinstance(values, (list, tuple)) and values and all(
            isinstance(v, (list, tuple, np.ndarray, pd.Series)) for v in values):
        vectors = [numbers(v) for v in values]
    else:
        vectors = [numbers(values)]
    if len(vectors) not in (1, rows):
        raise ValueError(f"{what} holds {len(vectors)} vectors for {rows} parameter rows: give one, or one per row")
    for v in vectors:
        if not 1 <= len(v) <= BLOCK_LIMIT:
            raise ValueError(f"a vector of {what} must hold 1 to {BLOCK_LIMIT} species")
        if any(not math.isfinite(a) or abs(a) > FLOAT_MAX for a in v):
            raise ValueError(f"{what} must be finite numbers within single precision")
    return vectors


def rank_order_text(abundances, weights, rows):
    """The rank-order text of abundance vectors: one "*" block per parameter
    row, the abundances in rank order (and a body weight beside each), in the
    engine's real format. One vector serves every row."""
    abundances = _vectors(abundances, "abundances", rows)
    if weights is not None:
        weights = _vectors(weights, "weights", rows)
        if len(weights) != len(abundances) or any(len(w) != len(a) for w, a in zip(weights, abundances)):
            raise ValueError("weights must match abundances: one weight per abundance")
    blocks = []
    for r in range(rows):
        i = 0 if len(abundances) == 1 else r
        records = _engine.format_reals(abundances[i])
        if weights is not None:
            records = [f"{a} {w}" for a, w in zip(records, _engine.format_reals(weights[i]))]
        blocks.append("\n".join(["*"] + records))
    return "\n".join(blocks) + "\n"
