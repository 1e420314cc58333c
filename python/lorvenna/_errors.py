"""What a run raises: rows it refuses, and an interrupt with the passes
finished before it."""

from typing import NamedTuple, Optional


class Fault(NamedTuple):
    """One refused value: the index labels of the rows (None: every row or the
    whole table), the parameter column (None when the engine's message names
    none), the reason, and the values the column allows when known."""
    rows: Optional[list]
    column: Optional[str]
    message: str
    allowed: Optional[str] = None

    def describe(self):
        where = []
        if self.rows:
            shown = ", ".join(map(str, self.rows[:5])) + (", ..." if len(self.rows) > 5 else "")
            where.append(("rows " if len(self.rows) > 1 else "row ") + shown)
        if self.column:
            where.append(self.column + (f" (allowed: {self.allowed})" if self.allowed else ""))
        return ", ".join(where) + ": " + self.message if where else self.message


class ParameterError(ValueError):
    """Parameter rows that cannot be run; nothing was run. `faults` lists each
    refused row and column."""

    def __init__(self, message, faults=()):
        super().__init__(message)
        self.faults = list(faults)


class Interrupted(KeyboardInterrupt):
    """The run was interrupted (Ctrl-C, a notebook's interrupt). The session
    ended in order; `partial` holds the passes finished before it."""

    def __init__(self, message, partial):
        super().__init__(message)
        self.partial = partial


class EngineWarning(UserWarning):
    """A warning of the engine: a species given up, an unknown fractal kind, a
    pass whose community could not be built."""


class DataError(ValueError):
    """Field data the engine's reader refuses; nothing was estimated. The
    message is the reader's, naming the line and column of the data as the
    engine reads them (the header is line 1) and why. `line` and `column`
    (1-based; 0: the line as a whole) are those numbers, `assemblage` the
    column's name, `reason` the why, and `row` and `label` where that line
    came from in the data given (its position counted from 0 and its index
    label; None for the header)."""

    def __init__(self, message, line, column, assemblage, reason, row=None, label=None):
        super().__init__(message)
        self.line = line
        self.column = column
        self.assemblage = assemblage
        self.reason = reason
        self.row = row
        self.label = label
