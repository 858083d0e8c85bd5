#!/usr/bin/env python3
"""Doxygen's input filter: the headers' own comments become the reference's text.

The headers are commented in plain // lines. This hands Doxygen the same file with
  - the comment block at the top (before #pragma once) as the file's description;
  - a comment block directly above a declaration as that declaration's description, and, when
    several declarations follow it without a blank line, as the description of each (a group);
  - a comment after code on the same line as the description of that member.
Blocks followed by a blank line stay plain comments (they introduce a section). Line numbers are
kept, so Doxygen's messages point at the header itself.
"""
import re
import sys

TRAILING = re.compile(r'^(\s*[^\s/].*?[;,{}]\s*|#define \w+\b.*?\s)//(?!/)\s?(.*)$')
COMMENT = re.compile(r'^(\s*)//(?!/)\s?(.*)$')
FORMAT_MARK = re.compile(r'^\s*// clang-format (on|off)\s*$')


def group_end(lines, start, least=2):
    """The last line of a run of declarations (two or more, or least) that directly follows a
    comment block: lines from start up to a blank, comment or preprocessor line, each declaration
    ending in ';' with its braces balanced, or a macro with its continued lines. None when the
    block describes a single entity (a class, a function body) or too few."""
    count = 0
    last = None
    i = start
    while i < len(lines):
        stripped = lines[i].strip()
        if stripped == '' or stripped.startswith('//') or (
                stripped.startswith('#') and not stripped.startswith('#define')):
            break
        if stripped.startswith('#define'):
            while lines[i].rstrip().endswith('\\') and i + 1 < len(lines):
                i += 1
            count += 1
            last = i
            i += 1
            continue
        code = stripped.split('//')[0].strip()
        if code in ('}', '};'):
            break  # the end of the scope the run stands in
        if code.count('{') != code.count('}'):
            return None  # a class or a function body: one entity
        if code.endswith(';') or (code.endswith('}') and '{' in code):
            count += 1
            last = i
        i += 1
    return last if count >= least else None


def escaped(text):
    """Comment text as Doxygen should show it: backslashes, '<', '%' and '@' as they stand."""
    text = re.sub(r'\\(?=[A-Za-z0-9<\\])', r'\\\\', text)
    text = re.sub(r'<(?=[A-Za-z/])', r'\\<', text)
    text = re.sub(r'%(?=\S)', r'\\%', text)
    return re.sub(r'@(?=[A-Za-z{}])', r'\\@', text)


def close_group(line):
    """line with the group's end after its code, before a trailing comment."""
    at = line.find('//')
    if at < 0:
        return line + ' /**@}*/'
    return line[:at] + '/**@}*/ ' + line[at:]


def close_group_at(out, lines, last):
    """Ends a group on line last; after a macro, at the start of the next line (a comment there
    is whitespace to the preprocessor, while on the macro's line it would join its body)."""
    first = last
    while first > 0 and lines[first - 1].rstrip().endswith('\\'):
        first -= 1
    if lines[first].lstrip().startswith('#define'):
        if last + 1 < len(out):
            out[last + 1] = '/**@}*/ ' + out[last + 1]
        else:
            out.append('/**@}*/')
    else:
        out[last] = close_group(out[last])


def documents(line):
    """Whether a comment block directly above line describes it: a declaration or a macro."""
    stripped = line.strip()
    return stripped != '' and (not stripped.startswith('#') or stripped.startswith('#define'))


def filter_text(text):
    # The formatter's marks are no part of the text.
    lines = ['//' if FORMAT_MARK.match(line) else line for line in text.split('\n')]
    # A comment after code on its line describes that member.
    for i, line in enumerate(lines):
        t = TRAILING.match(line)
        if t and not COMMENT.match(line):
            lines[i] = t.group(1) + '///< ' + escaped(t.group(2))
    out = list(lines)
    i = 0
    top = True  # still in the comment block at the top of the file
    while i < len(lines):
        m = COMMENT.match(lines[i])
        if not m:
            if lines[i].strip() != '':
                top = False
            i += 1
            continue
        j = i
        while j < len(lines) and COMMENT.match(lines[j]):
            j += 1
        block = range(i, j)
        if top:
            for k in block:
                c = COMMENT.match(lines[k])
                out[k] = c.group(1) + '/// ' + escaped(c.group(2)) + (' @file' if k == j - 1 else '')
            top = False
        elif j + 1 < len(lines) and lines[j].strip() == '' and documents(lines[j + 1]) and \
                not lines[j + 1].lstrip().startswith('#'):
            # A section's heading over declarations of their own without comments: their text.
            last = group_end(lines, j + 1, 1)
            if last is not None:
                for k in block:
                    c = COMMENT.match(lines[k])
                    out[k] = c.group(1) + '/// ' + escaped(c.group(2)).strip('- ')
                out[j + 1] = '/**@{*/ ' + out[j + 1]
                close_group_at(out, lines, last)
        elif j < len(lines) and documents(lines[j]):
            last = group_end(lines, j)
            for k in block:
                c = COMMENT.match(lines[k])
                out[k] = c.group(1) + '/// ' + escaped(c.group(2))
            if last is not None:
                out[j] = '/**@{*/ ' + out[j]
                close_group_at(out, lines, last)
        i = j
    return '\n'.join(out)


if __name__ == '__main__':
    with open(sys.argv[1], encoding='utf-8', errors='surrogateescape') as f:
        sys.stdout.write(filter_text(f.read()))
