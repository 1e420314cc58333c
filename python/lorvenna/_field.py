"""The estimators and curves of `lorvenna estimate` on a field ecologist's own
counts, in this process. The data are written as a data file in the input
format of iNEXT and SpadeR and read by the engine's own reader, so the same
counts give the command line's tables, and data it refuses its message."""

import math
import numbers

import numpy as np
import pandas as pd

from . import _engine
from ._errors import DataError
from ._result import whole_number
from ._tables import FIELD_TABLES, empty_table, frame_of

# The formats of field data, as iNEXT names them.
DATATYPES = ("abundance", "incidence_freq", "incidence_raw")

# The name of one assemblage given as a list, an array or a Series without a name.
_UNNAMED = "data"

# Beyond 2^53 a double no longer tells every whole number from the next.
_EXACT_WHOLES = 2.0 ** 53


class FieldResult:
    """The estimators on field data: `estimates` (15 rows per assemblage: the
    richness estimators of its basis, the Hill numbers of order 1 and 2
    observed and estimated, and the coverage) and `rarefaction` (the curves
    of q = 0, 1, 2, empty unless asked for), DataFrames with the columns of
    the estimates.csv and rarefaction.csv that `lorvenna estimate` writes.
    `datatype`, `seed` and `bootstraps` are those of the call, `assemblages`
    the names in the order of the data."""

    def __init__(self, tables, datatype, seed, bootstraps, assemblages):
        for name in FIELD_TABLES:
            setattr(self, name, tables[name] if name in tables else empty_table("field_" + name))
        self.datatype = datatype
        self.seed = seed
        self.bootstraps = bootstraps
        self.assemblages = list(assemblages)

    def tables(self):
        """The tables by name."""
        return {name: getattr(self, name) for name in FIELD_TABLES}

    def __repr__(self):
        shown = ", ".join(map(str, self.assemblages[:6])) + (", ..." if len(self.assemblages) > 6 else "")
        lines = [f"<lorvenna.FieldResult> {self.datatype} data of {len(self.assemblages)} assemblage(s): {shown}"]
        for name, table in self.tables().items():
            lines.append(f"  .{name:<12} {len(table):6d} rows x {table.shape[1]} columns")
        return "\n".join(lines)


def estimate(data, datatype="abundance", rarefaction=False, bootstraps=50, seed=1, knots=40):
    """Runs the estimators of ``lorvenna estimate`` (and with `rarefaction`
    the curves) on field data and returns a FieldResult.

    `data` is one assemblage (a list, a 1-D array or a Series, whose name,
    if any, names it; else it is "data") or a DataFrame with one column per
    assemblage, the column names naming them:

    - "abundance": per species, the individuals counted;
    - "incidence_freq": first the number of sampling units T, then per
      species the units it was found in;
    - "incidence_raw": species x sampling units of 0 and 1, the column names
      giving each unit's assemblage (the units of one share a name); a 2-D
      array is the units of one assemblage.

    Missing values (NaN, None, pd.NA) are species not counted there (0).
    The tables equal those of ``lorvenna estimate --abundance | --incidence |
    --incidence-raw FILE [--rarefaction --knots K] --bootstraps B --seed SEED``
    on a file of the same counts: the intervals come from `bootstraps`
    replicates (0: none) drawn from generators seeded by `seed` alone; the
    curves have `knots` sizes up to twice the sample.

    Data the engine's reader refuses (a negative or fractional count, text,
    a column without species, a unit count below an incidence) raise
    DataError, a ValueError whose message is the reader's, naming the line
    and column of the data as the engine reads them (the header is line 1,
    the data's first row line 2) and saying where that is in `data`.
    """
    if datatype not in DATATYPES:
        raise ValueError(f"datatype must be one of {', '.join(map(repr, DATATYPES))}, not {datatype!r}")
    if not isinstance(rarefaction, bool):
        raise ValueError("rarefaction must be True or False")
    knots = whole_number(knots, "knots", 4, 10000)
    bootstraps = whole_number(bootstraps, "bootstraps", 0, 10000)
    seed = whole_number(seed, "seed", 0, 2**32 - 1)
    frame = _as_frame(data, datatype)
    raw = _engine.estimate(field_data_text(frame), datatype, rarefaction, knots, bootstraps, seed)
    if raw["fault"] is not None:
        raise _data_error(raw["fault"], frame)
    if raw["status"] != 0:
        raise RuntimeError("the engine ended the estimate with status "
                           f"{raw['status']}: {raw['messages'].strip()}")
    tables = {name: frame_of("field_" + name, parsed) for name, parsed in raw["tables"].items()
              if name in FIELD_TABLES}
    names = list(dict.fromkeys(str(c) for c in frame.columns))
    return FieldResult(tables, datatype, seed, bootstraps, names)


def _as_frame(data, datatype):
    """The data as a DataFrame whose column names name the assemblages."""
    if isinstance(data, pd.DataFrame):
        frame = data
    elif isinstance(data, pd.Series):
        frame = data.to_frame(_UNNAMED if data.name is None else data.name)
    else:
        array = np.asarray(data)
        if array.ndim == 1:
            frame = pd.DataFrame({_UNNAMED: array})
        elif array.ndim == 2 and datatype == "incidence_raw":
            frame = pd.DataFrame(array, columns=[_UNNAMED] * array.shape[1])
        else:
            raise ValueError("data must be a list, a 1-D array or a Series (one assemblage) or a DataFrame "
                             "whose columns name the assemblages"
                             + (" (a 2-D array: the sampling units of one assemblage, with incidence_raw)"
                                if array.ndim == 2 else ""))
    if frame.shape[1] == 0:
        raise ValueError("data has no columns: give one column per assemblage")
    for k, name in enumerate(frame.columns):
        # A data file whose header begins with an empty field holds species
        # labels in its first column: an unnamed column would be read as one.
        if not str(name).strip():
            raise ValueError(f"column {k + 1} of data has no name: the column names name the assemblages")
    return frame


def field_data_text(frame):
    """A DataFrame of counts as the text of a data file the engine reads: a
    header of the quoted column names, then one line per row, comma
    separated, NA where a value is missing. Whole numbers are written as
    integers, other numbers in full and texts quoted, so that the engine's
    reader judges every value as given."""
    header = ",".join(_quoted(str(name)) for name in frame.columns)
    columns = [_column_fields(frame.iloc[:, k]) for k in range(frame.shape[1])]
    rows = columns[0] if len(columns) == 1 else map(",".join, zip(*columns))
    return header + "\n" + "".join(row + "\n" for row in rows)


def _quoted(text):
    return '"' + text.replace('"', '""') + '"'


def _column_fields(column):
    """The fields of one column as texts."""
    values = column.to_numpy()
    if values.dtype == bool:
        return np.where(values, "1", "0")
    if values.dtype.kind in "iu":
        return values.astype(str)
    if values.dtype.kind == "f":
        out = np.empty(len(values), dtype=object)
        missing = np.isnan(values)
        whole = ~missing & (np.floor(values) == values) & (np.abs(values) < _EXACT_WHOLES)
        out[missing] = "NA"
        out[whole] = values[whole].astype(np.int64).astype(str)
        rest = ~missing & ~whole
        out[rest] = [repr(float(v)) for v in values[rest]]
        return out
    return np.array([_field(v) for v in values], dtype=object)


def _field(value):
    """One value of a column of mixed kinds (object, nullable or categorical)."""
    if value is None or value is pd.NA:
        return "NA"
    if isinstance(value, (bool, np.bool_)):
        return "1" if value else "0"
    if isinstance(value, numbers.Integral):
        return str(int(value))
    if isinstance(value, numbers.Real):
        value = float(value)
        if math.isnan(value):
            return "NA"
        return str(int(value)) if value.is_integer() and abs(value) < _EXACT_WHOLES else repr(value)
    return _quoted(str(value))


def _data_error(fault, frame):
    """The reader's fault, with where its line and column are in the data."""
    line, column, assemblage, reason, described = fault
    row = line - 2 if 2 <= line < len(frame) + 2 else None
    label = frame.index[row] if row is not None else None
    where = []
    if row is not None:
        plain = isinstance(frame.index, pd.RangeIndex) and frame.index.start == 0 and frame.index.step == 1
        where.append(f"row {row}" + ("" if plain else f" (index label {label!r})"))
    if 0 < column <= frame.shape[1]:
        where.append(f"column {str(frame.columns[column - 1])!r} at position {column - 1}")
    message = described + (" [in data: " + ", ".join(where) + "]" if where else "")
    return DataError(message, line, column, assemblage or None, reason, row, label)
