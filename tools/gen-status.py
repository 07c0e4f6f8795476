#!/usr/bin/env python3
"""Generate the status code header and the status text table from the code list.

Usage: gen-status.py <status-codes.txt> <out-err.h> <out-table.inc> [<out-strtab.inc>]

err.h holds the constants; table.inc a plain {value, name, message} table
that tests compare against; strtab.inc the packed message table over the
compressed text store that the runtime prints from.

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


TOKEN_RE = re.compile(r'[A-Za-z0-9]+[_ ]?|.', re.S)


def tokenize(text):
    return TOKEN_RE.findall(text)


def build_strtab(codes):
    """Word-substitution compression: frequent words get the byte values that
    no text uses as a character; every other byte stands for itself."""
    texts = []
    for name, _, message in codes:
        texts.append(name)
        texts.append(message)
    for text in texts:
        if any(ord(ch) > 0x7f for ch in text):
            raise ValueError(f'non-ASCII text: {text!r}')
    literals = set()
    counts = {}
    for text in texts:
        for tok in tokenize(text):
            literals.update(ord(ch) for ch in tok)
            if len(tok) >= 2:
                counts[tok] = counts.get(tok, 0) + 1
    free_bytes = [b for b in range(256) if b not in literals]
    ranked = sorted(((cnt * (len(tok) - 1) - len(tok), tok) for tok, cnt in counts.items()), reverse=True)
    words = [tok for gain, tok in ranked if gain > 0][:len(free_bytes)]

    store = bytearray()
    dictionary = list(range(256))
    word_byte = {}
    for b, word in zip(free_bytes, words):
        off = len(store)
        store += word.encode('ascii')
        assert len(word) < 1024 and off < (1 << 22)
        dictionary[b] = (len(word) << 22) | off
        word_byte[word] = b

    entries = []
    plain_size = 0
    for name, value, message in codes:
        fields = []
        for text, max_len in ((name, 63), (message, 255)):
            enc = bytearray()
            for tok in tokenize(text):
                if tok in word_byte:
                    enc.append(word_byte[tok])
                else:
                    enc += tok.encode('ascii')
            if len(enc) > max_len:
                raise ValueError(f'{name}: stored text of {len(enc)} bytes exceeds {max_len}: {text!r}')
            off = len(store)
            store += enc
            fields.append((off, len(enc)))
            plain_size += len(text)
        (off_def, cch_def), (off_msg, cch_msg) = fields
        if off_msg >= (1 << 17):
            raise ValueError('the text store exceeds 17-bit offsets')
        packed = off_def | (cch_def << 17) | (off_msg << 23) | (cch_msg << 40) | ((value & 0xffff) << 48)
        entries.append((value, packed))
    entries.sort()
    return store, dictionary, entries, plain_size, len(words)


def main():
    if len(sys.argv) not in (4, 5):
        sys.stderr.write('usage: gen-status.py <status-codes.txt> <err.h> <table.inc> [<strtab.inc>]\n')
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

    if len(sys.argv) == 5:
        try:
            store, dictionary, entries, plain_size, cwords = build_strtab(codes)
        except ValueError as e:
            sys.stderr.write(f'{sys.argv[1]}: error: {e}\n')
            return 1
        out = ['/* Generated from status-codes.txt by tools/gen-status.py; do not edit. */',
               f'/* {len(entries)} codes; texts {plain_size} bytes plain, {len(store)} bytes stored with {cwords} words. */',
               f'#define RTSTATUS_CODE_COUNT {len(entries)}',
               f'#define RTSTATUS_STRTAB_SIZE {len(store)}',
               f'#define RTSTATUS_PLAIN_TEXT_SIZE {plain_size}',
               'static const uint8_t g_abRTStatusStrTab[RTSTATUS_STRTAB_SIZE] =', '{']
        for i in range(0, len(store), 16):
            out.append('    ' + ', '.join(f'{b:#04x}' for b in store[i:i + 16]) + ',')
        out += ['};', 'static const uint32_t g_auRTStatusCompDict[256] =', '{']
        for i in range(0, 256, 8):
            out.append('    ' + ', '.join(f'{v:#010x}' for v in dictionary[i:i + 8]) + ',')
        out += ['};', 'static const RTSTATUSMSG g_aRTStatusMsgs[RTSTATUS_CODE_COUNT] =', '{']
        for value, packed in entries:
            out.append(f'    {{ UINT64_C({packed:#018x}) }}, /* {value} */')
        out += ['};', '']
        write_if_changed(sys.argv[4], '\n'.join(out))
        print(f'status texts: {len(entries)} codes, {plain_size} bytes of text stored in {len(store)} bytes '
              f'({cwords} dictionary words), table {8 * len(entries)} bytes')
    return 0


if __name__ == '__main__':
    sys.exit(main())
