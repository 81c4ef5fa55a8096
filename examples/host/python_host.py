#!/usr/bin/env python3
"""A Python host: converts a payment file through libdarodev's C interface with ctypes, printing
every event and the result, then reads the records the conversion read, finds a payment with
FindAPBank and builds a collection of its own.

    python3 python_host.py LIBDARODEV PACKAGE_CODE PAYMENT_FILE OUTPUT_FILE [ANSWER=VALUE ...]
"""
import ctypes
import os
import sys

STATUS = ctypes.CFUNCTYPE(None, ctypes.c_void_p, ctypes.c_char_p)
COMPLETE = ctypes.CFUNCTYPE(None, ctypes.c_void_p)
ERROR = ctypes.CFUNCTYPE(None, ctypes.c_void_p, ctypes.c_int, ctypes.c_char_p, ctypes.c_char_p)


def load(path):
    lib = ctypes.CDLL(path)
    text = ctypes.c_char_p
    lib.kn_export_create.restype = ctypes.c_void_p
    lib.kn_export_create.argtypes = [text, text, text]
    lib.kn_export_destroy.argtypes = [ctypes.c_void_p]
    lib.kn_export_on_status.argtypes = [ctypes.c_void_p, STATUS, ctypes.c_void_p]
    lib.kn_export_on_complete.argtypes = [ctypes.c_void_p, COMPLETE, ctypes.c_void_p]
    lib.kn_export_on_error.argtypes = [ctypes.c_void_p, ERROR, ctypes.c_void_p]
    lib.kn_export_set_answer.argtypes = [ctypes.c_void_p, text, text]
    lib.kn_export_convert.argtypes = [ctypes.c_void_p, text, text, text, text, text]
    for name in ("description", "source", "detail"):
        getattr(lib, "kn_export_error_" + name).restype = text
        getattr(lib, "kn_export_error_" + name).argtypes = [ctypes.c_void_p]
    lib.kn_export_error_number.argtypes = [ctypes.c_void_p]
    lib.kn_export_record_count.argtypes = [ctypes.c_void_p]
    lib.kn_version.restype = text
    records = ctypes.c_void_p
    lib.kn_export_records.restype = records
    lib.kn_export_records.argtypes = [ctypes.c_void_p]
    lib.kn_records_create.restype = records
    lib.kn_records_destroy.argtypes = [records]
    lib.kn_records_count.argtypes = [records]
    lib.kn_records_add.argtypes = [records, ctypes.c_double] + [text] * 4 + [ctypes.c_longlong] + [text] * 4
    lib.kn_records_text.restype = text
    lib.kn_records_text.argtypes = [records, ctypes.c_int, text]
    lib.kn_records_date.restype = ctypes.c_double
    lib.kn_records_date.argtypes = [records, ctypes.c_int]
    lib.kn_records_amount.restype = ctypes.c_longlong
    lib.kn_records_amount.argtypes = [records, ctypes.c_int]
    lib.kn_records_find_ap_bank.argtypes = [records, text, ctypes.c_double, text, ctypes.c_int]
    lib.kn_records_sort_by_date.argtypes = [records]
    lib.kn_records_error_number.argtypes = [records]
    for name in ("description", "source"):
        getattr(lib, "kn_records_error_" + name).restype = text
        getattr(lib, "kn_records_error_" + name).argtypes = [records]
    return lib


def show_records(lib, converter):
    read = lib.kn_export_records(converter)
    print("Records:", lib.kn_records_count(read))
    if lib.kn_records_count(read) > 0:
        payee = lib.kn_records_text(read, 1, b"PaidTo")
        print("First:", payee.decode(), f"{lib.kn_records_amount(read, 1) / 10000:.4f}")
        print("FindAPBank:", lib.kn_records_find_ap_bank(read, b"paidto", lib.kn_records_date(read, 1), payee, 0))

    # 3, 1, 3 and 2 March 2014 as records A, B, C and D; sorted by date: B, D, A, C.
    # B and D move and so lose their keys; A and C keep theirs, so a second "C" is refused.
    own = lib.kn_records_create()
    for date, payee in ((41701, b"A"), (41699, b"B"), (41701, b"C"), (41700, b"D")):
        lib.kn_records_add(own, date, b"", payee, b"5100", b"", 100000, b"", b"", b"5100", payee)
    lib.kn_records_sort_by_date(own)
    print("Own collection:", " ".join(lib.kn_records_text(own, position, b"PaidTo").decode()
                                      for position in range(1, lib.kn_records_count(own) + 1)))
    if lib.kn_records_add(own, 41700, b"", b"E", b"", b"", 0, b"", b"", b"", b"C") == -1:
        print(f"Duplicate key: {lib.kn_records_error_number(own)} {lib.kn_records_error_description(own).decode()}"
              f" ({lib.kn_records_error_source(own).decode()})")
    lib.kn_records_destroy(own)


def main(argv):
    if len(argv) < 5:
        sys.stderr.write(__doc__)
        return 2
    lib = load(argv[1])
    code, payments, output = (arg.encode() for arg in argv[2:5])
    settings = os.environ.get("DARODEV_SETTINGS_INI", "").encode()
    converter = lib.kn_export_create(b"en_US", None, settings)
    # The callbacks must live as long as the converter may call them.
    handlers = (
        STATUS(lambda user, text: print("Status:", text.decode())),
        COMPLETE(lambda user: print("ProcessComplete")),
        ERROR(lambda user, number, description, location:
              print(f"Error: {number} {description.decode()} ({location.decode()})")),
    )
    lib.kn_export_on_status(converter, handlers[0], None)
    lib.kn_export_on_complete(converter, handlers[1], None)
    lib.kn_export_on_error(converter, handlers[2], None)
    for answer in argv[5:]:
        name, _, value = answer.partition("=")
        lib.kn_export_set_answer(converter, name.encode(), value.encode())

    result = lib.kn_export_convert(converter, code, payments, output, b"Example", b"CAD")
    print("Result:", result)
    if result == -1:
        print(f"Failed: {lib.kn_export_error_number(converter)} {lib.kn_export_error_description(converter).decode()}"
              f" ({lib.kn_export_error_source(converter).decode()})")
    elif result == 0:
        print("Not converted:", lib.kn_export_error_detail(converter).decode())
    show_records(lib, converter)
    lib.kn_export_destroy(converter)
    return 1 if result == -1 else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
