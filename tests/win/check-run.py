#!/usr/bin/env python3
"""Runs a command (a Windows program under Wine) and checks what it showed.

  check-run.py [checks...] -- <command> [<argument>...]

Checks:
  --stdout-format FILE   standard output is FILE's printf-style format filled
                         with the --arg values, plus a line end
  --arg VALUE            a value for --stdout-format: only digits is a number,
                         "win:<path>" the Windows path Wine gives a Unix path
  --stderr TEXT          standard error is exactly TEXT plus a line end
  --box TEXT             exactly one message box, with this text (needs the
                         command to run with WINEDEBUG=+relay)
  --box-caption TEXT     the box's caption (default "Corvane Installer")
  --box-style N          the box's style (default 0x10, the error icon)
  --no-box               no message box at all

Every line end is compared as CR LF, the way a Windows program writes text to
a console stream. The relay trace goes to standard error; with --box the
standard-error check is not possible and not allowed. The command's own exit
status is passed on, so the caller's exit-code check still applies.
"""
import re
import subprocess
import sys

MISMATCH = "KELB-OUTPUT-MISMATCH"

CALL_RE = re.compile(r'Call user32\.MessageBox([AW])\(([0-9a-fA-F]+),[0-9a-fA-F]+ L?"((?:[^"\\]|\\.)*)"(\.\.\.)?,'
                     r'[0-9a-fA-F]+ L?"((?:[^"\\]|\\.)*)"(\.\.\.)?,([0-9a-fA-F]+)\)')
SIMPLE_ESCAPES = {"n": "\n", "r": "\r", "t": "\t", '"': '"', "\\": "\\"}


def decode_trace_string(text):
    """Undoes Wine's debug-string escapes: \\n \\r \\t \\" \\\\ and \\XXXX units."""
    units = []
    i = 0
    while i < len(text):
        ch = text[i]
        if ch == "\\" and i + 1 < len(text):
            nxt = text[i + 1]
            if nxt in SIMPLE_ESCAPES:
                units.append(ord(SIMPLE_ESCAPES[nxt]))
                i += 2
                continue
            if re.match(r"[0-9a-fA-F]{4}", text[i + 1:i + 5]):
                units.append(int(text[i + 1:i + 5], 16))
                i += 5
                continue
        units.append(ord(ch))
        i += 1
    data = b"".join(u.to_bytes(2, "little") for u in units)
    return data.decode("utf-16-le", errors="surrogatepass")


def convert(arg):
    if arg.isdigit():
        return int(arg)
    if arg.startswith("win:"):
        return "Z:" + arg[4:].replace("/", "\\")
    return arg


def crlf(text):
    return (text + "\n").replace("\n", "\r\n").encode("utf-8")


def first_difference(expected, got):
    exp_lines = expected.split(b"\n")
    got_lines = got.split(b"\n")
    for i in range(max(len(exp_lines), len(got_lines))):
        exp = exp_lines[i] if i < len(exp_lines) else b"<nothing>"
        got_line = got_lines[i] if i < len(got_lines) else b"<nothing>"
        if exp != got_line:
            return "line %d:\n  expected %r\n  got      %r" % (i + 1, exp, got_line)
    return "nowhere"


def check_boxes(trace, want_text, want_caption, want_style):
    boxes = [m for m in CALL_RE.finditer(trace)]
    if want_text is None:
        if boxes:
            return ["a message box was shown: %r" % decode_trace_string(boxes[0].group(3))]
        return []
    if len(boxes) != 1:
        return ["%d message boxes were shown, expected one" % len(boxes)]
    box = boxes[0]
    errors = []
    text = decode_trace_string(box.group(3))
    if box.group(4):  # the trace cut a long text short: compare what it kept
        if not want_text.startswith(text):
            errors.append("box text %r... is not the start of %r" % (text, want_text))
    elif text != want_text:
        errors.append("box text %r, expected %r" % (text, want_text))
    caption = decode_trace_string(box.group(5))
    if caption != want_caption:
        errors.append("box caption %r, expected %r" % (caption, want_caption))
    style = int(box.group(7), 16)
    if style != want_style:
        errors.append("box style %#x, expected %#x" % (style, want_style))
    return errors


def main(argv):
    if "--" not in argv or argv.index("--") == len(argv) - 1:
        sys.stderr.write(__doc__)
        return 2
    split = argv.index("--")
    opts, command = argv[:split], argv[split + 1:]
    stdout_format = None
    format_args = []
    want_stderr = None
    want_box = None
    no_box = False
    caption = "Corvane Installer"
    style = 0x10
    i = 0
    while i < len(opts):
        opt = opts[i]
        if opt == "--no-box":
            no_box = True
            i += 1
            continue
        if i + 1 >= len(opts):
            sys.stderr.write("check-run: %s needs a value\n" % opt)
            return 2
        value = opts[i + 1]
        if opt == "--stdout-format":
            stdout_format = value
        elif opt == "--arg":
            format_args.append(convert(value))
        elif opt == "--stderr":
            want_stderr = value
        elif opt == "--box":
            want_box = value
        elif opt == "--box-caption":
            caption = value
        elif opt == "--box-style":
            style = int(value, 0)
        else:
            sys.stderr.write("check-run: unknown check %s\n" % opt)
            return 2
        i += 2
    if want_box is not None and (no_box or want_stderr is not None):
        sys.stderr.write("check-run: --box goes with neither --no-box nor --stderr\n")
        return 2

    proc = subprocess.run(command, stdout=subprocess.PIPE, stderr=subprocess.PIPE, check=False)
    errors = []
    if stdout_format is not None:
        with open(stdout_format, "r", encoding="utf-8", newline="") as f:
            expected = crlf(f.read() % tuple(format_args))
        if proc.stdout != expected:
            errors.append("standard output differs at %s" % first_difference(expected, proc.stdout))
    if want_stderr is not None:
        # The exit-code check of the Wine runner reports on standard error too.
        own = b"".join(l for l in proc.stderr.splitlines(True) if not l.startswith(b"wine-run:"))
        if own != crlf(want_stderr):
            errors.append("standard error differs at %s" % first_difference(crlf(want_stderr), own))
    if want_box is not None or no_box:
        errors += check_boxes(proc.stderr.decode("utf-8", errors="replace"), want_box, caption, style)

    if stdout_format is None:
        sys.stdout.buffer.write(proc.stdout)
    if want_stderr is None and want_box is None and not no_box:
        sys.stdout.buffer.write(proc.stderr)
    else:
        sys.stdout.buffer.write(b"".join(l for l in proc.stderr.splitlines(True) if l.startswith(b"wine-run:")))
    for error in errors:
        print("check-run: %s (%s)" % (error, MISMATCH))
    if not errors:
        print("check-run: everything shown was as expected")
    return 1 if errors else proc.returncode


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
