#!/usr/bin/env python3
"""Re-encodes a UTF-8 IDL file to code page 932 for widl.

widl copies the bytes of a string literal into the type library unchanged,
and the type library's reader decodes them in the ANSI code page, which is
932 for the Japanese IDE. Two things need care on the way:

- widl reads a backslash in a string as the start of an escape, and 0x5C is
  also the second byte of many double-byte characters (表, 能, ソ, 貼...). Each
  such byte is written as an escaped backslash, which widl turns back into the
  one byte.
- Outside string literals a 0x5C byte would be a line continuation or a stray
  escape to the preprocessor, so Japanese text anywhere else is refused.

Usage: idl_to_cp932.py input.idl output.idl
"""
import sys


def encode_line(line, lineno, path):
    out = bytearray()
    in_string = False
    i = 0
    while i < len(line):
        ch = line[i]
        if not in_string and line.startswith('//', i):
            rest = line[i:]
            if not rest.isascii():
                raise SystemExit(f'{path}:{lineno}: non-ASCII text outside a string literal')
            out += rest.encode('ascii')
            break
        if ch == '"':
            in_string = not in_string
            out += b'"'
        elif in_string and ch == '\\' and i + 1 < len(line):
            # An escape written in the source passes through as it is.
            out += line[i:i + 2].encode('ascii')
            i += 1
        elif ch.isascii():
            out += ch.encode('ascii')
        elif not in_string:
            raise SystemExit(f'{path}:{lineno}: non-ASCII text outside a string literal')
        else:
            try:
                b = ch.encode('cp932')
            except UnicodeEncodeError:
                raise SystemExit(f'{path}:{lineno}: {ch!r} has no code page 932 form')
            if len(b) == 2 and b[1] == 0x5C:
                b = bytes([b[0]]) + b'\\\\'
            out += b
        i += 1
    return bytes(out)


def main():
    if len(sys.argv) != 3:
        raise SystemExit(__doc__)
    src, dst = sys.argv[1], sys.argv[2]
    with open(src, encoding='utf-8') as f:
        lines = f.read().splitlines()
    data = b''.join(encode_line(l, n, src) + b'\n' for n, l in enumerate(lines, 1))
    with open(dst, 'wb') as f:
        f.write(data)


if __name__ == '__main__':
    main()
