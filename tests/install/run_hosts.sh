#!/usr/bin/env bash
# Installs the build into a temporary prefix, then builds and runs the example hosts against it
# as a host developer would: the Qt hosts through find_package, a C program through pkg-config,
# the Python host through ctypes. Each host's output is compared with expected/.
#   run_hosts.sh BUILD_DIR SOURCE_DIR
set -euo pipefail
build=$1
source=$2
expected=$source/tests/install/expected
payments=$source/examples/payments.txt
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
prefix=$work/prefix
export DARODEV_SETTINGS_INI=$work/settings.ini
# knexport keeps its history of conversions in the user's data folder: here, one of its own.
export XDG_DATA_HOME=$work/data

cmake --install "$build" --prefix "$prefix" >/dev/null
lib=$prefix/lib/libdarodev.so.0

# Only the C interface leaves the shared library, under its versioned name.
soname=$(objdump -p "$lib" | awk '$1 == "SONAME" {print $2}')
[[ $soname == libdarodev.so.0 ]] || { echo "SONAME is '$soname'"; exit 1; }
exported=$(nm -D --defined-only "$lib" | awk '{print $3}' | grep -v -e '^kn_' -e '^DARODEV_0$' || true)
if [[ -n $exported ]]; then
    echo "libdarodev.so exports more than the C interface:"; echo "$exported"; exit 1
fi

cmake -S "$source/examples/host" -B "$work/hosts" -G Ninja -DCMAKE_PREFIX_PATH="$prefix" >/dev/null
cmake --build "$work/hosts" >/dev/null

failures=0
check() { # NAME COMMAND...: runs the host and compares what it prints with expected/NAME.txt
    local name=$1; shift
    "$@" >"$work/$name.txt" 2>&1 || true
    if ! diff -u "$expected/$name.txt" "$work/$name.txt"; then
        echo "FAILED: $name"; failures=$((failures + 1))
    fi
}

check linked-momentum "$work/hosts/linked_host" 05 "$payments" "$work/linked.txt"
check linked-missing-file "$work/hosts/linked_host" 05 "$work/missing.txt" "$work/missing-out.txt"
check plugin-momentum "$work/hosts/plugin_host" 05 "$payments" "$work/plugin.txt"
check plugin-missing-file "$work/hosts/plugin_host" 05 "$work/missing.txt" "$work/missing-out.txt"
check linked-aimsi "$work/hosts/linked_host" 16 "$payments" "$work/linked.xls"
check plugin-aimsi "$work/hosts/plugin_host" 16 "$payments" "$work/plugin.xlsx"
check python-momentum /usr/bin/python3 "$source/examples/host/python_host.py" "$lib" 05 "$payments" "$work/python.txt"
check python-refused-prompt /usr/bin/python3 "$source/examples/host/python_host.py" "$lib" 08 "$payments" \
    "$work/accpac.csv"
check python-answered-prompt /usr/bin/python3 "$source/examples/host/python_host.py" "$lib" 08 "$payments" \
    "$work/accpac.csv" fiscal-year="$(date +%Y)" fiscal-period=8
head -n 1 "$payments" >"$work/header-only.txt"
check python-no-records /usr/bin/python3 "$source/examples/host/python_host.py" "$lib" 05 "$work/header-only.txt" \
    "$work/none.txt"

# The workbook back ends are a module of their own, found from every installed way in.
for object in "$prefix/bin/knexport" "$lib" "$prefix/lib/darodev/libdarodev-component.so"; do
    if objdump -p "$object" | grep -q -e 'NEEDED *libgsf' -e 'NEEDED *libxlsxwriter'; then
        echo "FAILED: $object links a workbook library"; failures=$((failures + 1))
    fi
done
/usr/bin/python3 "$source/examples/host/python_host.py" "$lib" 16 "$payments" "$work/python.xls" >/dev/null
"$prefix/bin/knexport" convert --package 16 --input "$payments" --output "$work/cli.xls" --locale en_US \
    --settings "$work/settings.ini" --quiet || { echo "FAILED: knexport to .xls"; failures=$((failures + 1)); }
for written in linked python; do
    cmp "$work/cli.xls" "$work/$written.xls" || { echo "FAILED: $written.xls differs"; failures=$((failures + 1)); }
done

# Every way in writes the file the command line writes.
"$prefix/bin/knexport" convert --package 05 --input "$payments" --output "$work/cli.txt" --locale en_US \
    --title Example --currency CAD --settings "$work/settings.ini" --quiet
for written in linked plugin python; do
    cmp "$work/cli.txt" "$work/$written.txt" || { echo "FAILED: $written.txt differs"; failures=$((failures + 1)); }
done
[[ -f $work/accpac.csv && ! -e $work/none.txt ]] || { echo "FAILED: AccPac or no-records output"; failures=$((failures + 1)); }

# The headers are plain C; pkg-config finds them and the library, and the dialogs library installs
# beside it.
cat >"$work/version.c" <<'C'
#include <darodev/dialogs.h>
#include <darodev/prompts.h>
#include <stdio.h>
int main(void) { puts(kn_export_use_dialogs(NULL) == -1 ? kn_version() : "use_dialogs(NULL)"); return 0; }
C
cc -std=c99 -Wall -Wextra -Werror "$work/version.c" -o "$work/version" \
    $(PKG_CONFIG_PATH=$prefix/lib/pkgconfig pkg-config --cflags --libs darodev) -ldarodev-dialogs
[[ $(LD_LIBRARY_PATH=$prefix/lib "$work/version") == "$(PKG_CONFIG_PATH=$prefix/lib/pkgconfig pkg-config --modversion darodev)" ]] \
    || { echo "FAILED: kn_version"; failures=$((failures + 1)); }

exit $((failures > 0))
