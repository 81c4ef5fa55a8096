#!/usr/bin/python3
"""Prints the first worksheet of a workbook as JSON, read by a library of its own: xlrd for an
Excel 97-2003 file, openpyxl for an Office Open XML one. Anything the reader complains about
while reading is reported under "warnings"."""
import io
import json
import sys


def read_xls(path, log):
    import xlrd
    book = xlrd.open_workbook(path, logfile=log, verbosity=0)
    sheet = book.sheet_by_index(0)
    kinds = {xlrd.XL_CELL_EMPTY: "empty", xlrd.XL_CELL_BLANK: "empty",
             xlrd.XL_CELL_TEXT: "text", xlrd.XL_CELL_NUMBER: "number"}
    rows = [[{"type": kinds.get(cell.ctype, "other:%d" % cell.ctype), "value": cell.value}
             for cell in sheet.row(r)] for r in range(sheet.nrows)]
    return book.sheet_names(), rows


def read_xlsx(path, log):
    import warnings
    import openpyxl
    with warnings.catch_warnings(record=True) as caught:
        warnings.simplefilter("always")
        book = openpyxl.load_workbook(path)
    for warning in caught:
        log.write(str(warning.message) + "\n")
    sheet = book.worksheets[0]
    kinds = {"s": "text", "n": "number"}
    rows = []
    for row in sheet.iter_rows():
        rows.append([{"type": "empty" if cell.value is None else kinds.get(cell.data_type, "other:" + cell.data_type),
                      "value": cell.value} for cell in row])
    return book.sheetnames, rows


def main():
    path = sys.argv[1]
    log = io.StringIO()
    reader = read_xlsx if path.lower().endswith(".xlsx") else read_xls
    names, rows = reader(path, log)
    json.dump({"sheets": names, "rows": rows, "warnings": log.getvalue()}, sys.stdout, ensure_ascii=False)


if __name__ == "__main__":
    main()
