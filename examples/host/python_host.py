#!/usr/bin/env python3
"""A Python host: converts a payment file through libdarodev's C interface with ctypes, printing
every event and the result.

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
    return lib


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
    print("Records:", lib.kn_export_record_count(converter))
    lib.kn_export_destroy(converter)
    return 1 if result == -1 else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
