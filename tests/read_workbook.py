#!/usr/bin/python3
"""Prints the sheet names and the first worksheet of an Office Open XML workbook as JSON, as
openpyxl reads them: each cell null, a text or a number. Any other kind of cell, and every
warning while reading, goes to standard error."""
import json
import sys
import warnings

import openpyxl


def main():
    with warnings.catch_warnings(record=True) as caught:
        warnings.simplefilter("always")
        book = openpyxl.load_workbook(sys.argv[1])
    for warning in caught:
        print(warning.message, file=sys.stderr)
    rows = []
    for row in book.worksheets[0].iter_rows():
        for cell in row:
            if cell.value is not None and cell.data_type not in ("s", "n"):
                print("%s has type %s" % (cell.coordinate, cell.data_type), file=sys.stderr)
        rows.append([cell.value if cell.data_type in ("s", "n") else None for cell in row])
    json.dump({"sheets": book.sheetnames, "rows": rows}, sys.stdout, ensure_ascii=False)


if __name__ == "__main__":
    main()
