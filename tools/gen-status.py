#!/usr/bin/env python3
"""Generate the status code header and the status text table from the code list.

Usage: gen-status.py <status-codes.txt> <out-err.h> <out-table.inc>

The list holds one code per line: name, value, message. The build fails (exit
code 1, with the offending line) when a name has two values, a value two names,
a name does not have the VINF_/VWRN_/VERR_ form or a value leaves the signed
16-bit range.
"""
import re
import sys

NAME_RE = re.compile(r'^V(INF|WRN|ERR)_[A-Z0-9]+(_[A-Z0-9]+)*$')


def fail(path, lineno, text):
    sys.stderr.write(f'{path}:{lineno}: error: {text}\n')
    sys.exit(1)


def c_string(text):
    return '"' + text.replace('\\', '\\\\').replace('"', '\\"') + '"'


def read_list(path):
    codes = []
    by_name = {}
    by_value = {}
    with open(path, encoding='utf-8') as f:
        for lineno, line in enumerate(f, 1):
            line = line.rstrip('\n')
            if not line.strip() or line.lstrip().startswith('#'):
                continue
            parts = line.split(None, 2)
            if len(parts) < 3:
                fail(path, lineno, 'expected "NAME VALUE message"')
            name, value, message = parts[0], parts[1], parts[2].strip()
            if not NAME_RE.match(name):
                fail(path, lineno, f'"{name}" is not a status code name')
            try:
                value = int(value)
            except ValueError:
                fail(path, lineno, f'"{parts[1]}" is not a number')
            if not -32768 <= value <= 32767:
                fail(path, lineno, f'{name} = {value} leaves the signed 16-bit range')
            kind = name[1:4]
            if (kind == 'ERR') != (value < 0):
                fail(path, lineno, f'{name} = {value}: the sign does not match the prefix')
            if name in by_name:
                fail(path, lineno, f'{name} already has the value {by_name[name][0]} (line {by_name[name][1]})')
            if value in by_value:
                fail(path, lineno, f'{value} is already named {by_value[value][0]} (line {by_value[value][1]})')
            by_name[name] = (value, lineno)
            by_value[value] = (name, lineno)
            codes.append((name, value, message))
    return codes


def write_if_changed(path, text):
    try:
        with open(path, encoding='utf-8') as f:
            if f.read() == text:
                return
    except OSError:
        pass
    with open(path, 'w', encoding='utf-8') as f:
        f.write(text)


def main():
    if len(sys.argv) != 4:
        sys.stderr.write('usage: gen-status.py <status-codes.txt> <err.h> <table.inc>\n')
        return 2
    codes = read_list(sys.argv[1])
    width = max(len(n) for n, _, _ in codes)

    hdr = ['/* Generated from status-codes.txt by tools/gen-status.py; do not edit. */',
           '#ifndef TULO_ERR_H', '#define TULO_ERR_H', '',
           '/** Success test of a status code: informational and warning codes succeed. */',
           '#define RT_SUCCESS(rc)    ((int)(rc) >= 0)',
           '/** Same test as RT_SUCCESS, the form used inside assertion expressions. */',
           '#define RT_SUCCESS_NP(rc) ((int)(rc) >= 0)',
           '/** Failure test of a status code: every negative value. */',
           '#define RT_FAILURE(rc)    ((int)(rc) < 0)', '']
    for name, value, message in codes:
        hdr.append(f'/** {message} */')
        hdr.append(f'#define {name:<{width}} ({value})')
    hdr += ['', '#endif', '']
    write_if_changed(sys.argv[2], '\n'.join(hdr))

    tab = ['/* Generated from status-codes.txt by tools/gen-status.py; do not edit. */',
           '/* { value, define name, message }, sorted by value. */']
    for name, value, message in sorted(codes, key=lambda c: c[1]):
        tab.append(f'{{ {value}, {c_string(name)}, {c_string(message)} }},')
    tab.append('')
    write_if_changed(sys.argv[3], '\n'.join(tab))
    return 0


if __name__ == '__main__':
    sys.exit(main())
