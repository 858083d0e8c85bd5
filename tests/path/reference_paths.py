#!/usr/bin/env python3
"""Reference answers for the path differential test, from Python's ntpath and urllib.parse.

Reads lines of hex-encoded, tab-separated fields: an operation, its inputs, and the library's
answer. Prints one line per disagreement and finally "checked N". Only cases where the library's
rules and Python's agree are sent (the test chooses them).
"""
import ntpath
import sys
import urllib.parse

# Bytes the library leaves as they are (besides 0x7F-0xFF, which the test does not send).
SAFE = bytes(b for b in range(0x21, 0x7F) if chr(b) not in '#<>[\\]^`{|}~%')


def text(field):
    return bytes.fromhex(field).decode('latin-1')


def main():
    checked = failures = 0
    for line in open(sys.argv[1], encoding='ascii'):
        fields = line.rstrip('\n').split('\t')
        op, args = fields[0], [text(f) for f in fields[1:]]
        ours = args[-1]
        if op == 'norm':
            want = ntpath.normpath(args[0])
            want = '' if want == '.' else want
            got = ours.replace('/', '\\')
        elif op == 'isabs':
            want, got = str(int(ntpath.isabs(args[0]))), ours
        elif op == 'root':
            drive, rest = ntpath.splitdrive(args[0])
            is_drive = len(drive) == 2 and drive[0].isascii() and drive[0].isalpha()
            want = str(int((is_drive and rest in ('', '\\')) or args[0] == '\\'))
            got = ours
        elif op == 'rel':
            path, directory = args[0], args[1]
            folded = lambda p: ntpath.normcase(ntpath.normpath(p))
            # What the answer names, seen from the directory, must be the path itself.
            want, got = folded(path), folded(ntpath.join(directory, ours))
            ancestor = (folded(directory) + '\\').startswith(folded(path) + '\\')
            if want == got and ours != path and not ancestor:
                want, got = ntpath.relpath(path, directory), ours
        elif op == 'quote':
            want = urllib.parse.quote(args[0].encode('latin-1'), safe=SAFE)
            got = ours
        elif op == 'urljoin':
            want, got = urllib.parse.urljoin(args[0], args[1]), ours
        elif op == 'unquote':
            want = urllib.parse.unquote_to_bytes(args[0]).decode('latin-1')
            got = ours
        else:
            want, got = 'known operation', op
        checked += 1
        if want != got and failures < 20:
            failures += 1
            print('%s %r: python %r, library %r' % (op, args[:-1], want, got))
    print('checked %d' % checked)


main()
