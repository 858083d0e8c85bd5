#!/usr/bin/env python3
"""Writes the reference page of the host wrappers (Markdown, to standard output) from the slot
table itself: usage: host_wrappers_page.py ROOT [COMPILER]

  - the rows of bridge/host_slots.inc: interface, slot, method, shape, type, wrapper;
  - the shapes' legend at its top: what a wrapper of each shape returns, returns on failure and
    writes to HostErrno;
  - each wrapper's declaration as bridge/host_wrappers.h makes it (run through the preprocessor);
  - the fronts of bridge/host_fronts.h and the wrapper each one calls (the property fronts from its
    X-macro lists, the others from their comments' "slot N").
Fails when a wrapper of the table has no declaration, or a front reaches no wrapper.
"""
import os
import re
import subprocess
import sys

ROOT = sys.argv[1]
COMPILER = sys.argv[2] if len(sys.argv) > 2 else os.environ.get('CXX', 'c++')


def read(path):
    with open(os.path.join(ROOT, path), encoding='utf-8') as f:
        return f.read()


def preprocess(source):
    """Source run through the preprocessor from the repository root, one line per output line."""
    result = subprocess.run([COMPILER, '-std=c++20', '-E', '-P', '-I', ROOT, '-x', 'c++', '-'],
                            input=source, capture_output=True, text=True, check=False)
    if result.returncode != 0:
        sys.exit('host_wrappers_page: the preprocessor failed:\n' + result.stderr)
    return result.stdout


def fail(message):
    sys.exit('host_wrappers_page: ' + message)


table = read('bridge/host_slots.inc')

# The shapes' legend: "//   Shape   returns | on failure | HostErrno", continued on deeper lines.
legend = {}
order = []
current = None
for line in table.split('\n'):
    m = re.match(r'^//   ([A-Z][A-Za-z0-9]+) {2,}(.*)$', line)
    if m and not line.startswith('//   HOST_SLOT'):
        current = m.group(1)
        order.append(current)
        legend[current] = m.group(2).strip()
    elif current and re.match(r'^// {6,}\S', line):
        legend[current] += ' ' + line[2:].strip()
    else:
        current = None
shapes = {}
for shape, text in legend.items():
    parts = [p.strip() for p in text.split(' | ')]
    if len(parts) != 3:
        fail('the legend of shape %s does not have three parts: %r' % (shape, text))
    shapes[shape] = parts

ROW = re.compile(r'^HOST_SLOT\((\w+), (\d+), (\w+), (\w+), ([^,]+), ([\w-]+), \((.*)\)\)$')
rows = []
for line in table.split('\n'):
    if line.startswith('HOST_SLOT('):
        m = ROW.match(line)
        if not m:
            fail('a row the page cannot read: ' + line)
        interface, slot, method, shape, type_, wrapper, params = m.groups()
        if shape not in shapes:
            fail('shape %s of %s %s has no legend' % (shape, interface, slot))
        rows.append(dict(interface=interface, slot=int(slot), method=method, shape=shape,
                         type=type_.strip(), wrapper=wrapper, params=params))

# Every wrapper's declaration, as the header declares it.
declared = {}
for line in preprocess('#include "bridge/host_wrappers.h"\n').replace(';', ';\n').split('\n'):
    m = re.match(r'^\s*(.*?)\b(Host\w+)\((.*)\);\s*$', line)
    if m:
        declared[m.group(2)] = (m.group(1).strip(), m.group(3).strip())

# The fronts and the wrapper each calls.
fronts = {}  # wrapper -> [front declaration, ...]
expanded = preprocess('#include "bridge/host_fronts.h"\n'
                      '#define TANSEL_FRONT_ROW(Form, Front, Wrapper, ...) TANSEL_FRONT Front Wrapper\n'
                      'HOST_PROPERTY_FRONTS(TANSEL_FRONT_ROW)\nHOST_FIXED_FRONTS(TANSEL_FRONT_ROW)\n')
for front, wrapper in re.findall(r'TANSEL_FRONT (\w+) (\w+)', expanded):
    fronts.setdefault(wrapper, []).append(front)
# The other fronts: the comment above each names its HostApi slot ("slot 25", "slot-86 setter").
by_slot = {(r['interface'], r['slot']): r['wrapper'] for r in rows}
property_fronts = set(f for fs in fronts.values() for f in fs)
comment = ''
previous_was_comment = False
for line in read('bridge/host_fronts.h').split('\n'):
    if line.startswith('//'):
        comment = (comment + ' ' if previous_was_comment else '') + line[2:].strip()
        previous_was_comment = True
        continue
    previous_was_comment = False
    m = re.match(r'^[A-Za-z][\w:<>* ]*?\b(Host\w+)\(', line)
    if not m or m.group(1) in property_fronts:
        continue
    s = re.search(r'HostApi slot (\d+)|slot-(\d+)', comment)
    if not s:
        fail('front %s: its comment names no slot' % m.group(1))
    slot = int(s.group(1) or s.group(2))
    wrapper = by_slot.get(('HostApi', slot))
    if wrapper is None:
        fail('front %s: HostApi has no slot %d' % (m.group(1), slot))
    fronts.setdefault(wrapper, []).append(m.group(1))

wrapped = set(r['wrapper'] for r in rows)
for wrapper in fronts:
    if wrapper not in wrapped:
        fail('a front calls %s, which is no wrapper of the table' % wrapper)


def code(text):
    return '<code>' + text.replace('|', '\\|').replace('<', '&lt;').replace('>', '&gt;') + '</code>'


def cell(text):
    return text.replace('|', '\\|')


out = []
emit = out.append
emit('# Host wrappers {#host_wrappers}')
emit('')
emit('One wrapper per slot of every host interface (bridge/host_wrappers.h, through tansel.h), '
     'each following its slot\'s shape, and the fronts (bridge/host_fronts.h) that reach each slot. '
     'Parameters are named a1, a2, ... in the order the host takes them. This page is generated '
     'from the slot table, bridge/host_slots.inc.')
emit('')
emit('Failure is reported through HostErrno (see bridge/host_errno.h for its values) and a '
     'neutral result. What the host hands over is copied into the client\'s heap (release a string '
     'with MemFree, a structured value with HostReleaseValue(&value, HostClientFree)); the host\'s '
     'memory is given back.')
emit('')
counts = {}
for r in rows:
    counts.setdefault(r['interface'], []).append(r)
emit('| interface | slots | wrappers |')
emit('|---|---|---|')
for interface, its in counts.items():
    slots = sorted(set(r['slot'] for r in its))
    n = sum(0 if r['shape'] == 'Startup' else (2 if r['shape'] == 'Pair' else 1) for r in its)
    emit('| %s | %d–%d | %d |' % (interface, slots[0], slots[-1], n))
emit('')

for shape in order:
    members = [r for r in rows if r['shape'] == shape]
    if not members:
        continue
    returns, failure, errno = shapes[shape]
    emit('## %s {#host_shape_%s}' % (shape, shape.lower()))
    emit('')
    emit('Returns: %s. On failure: %s. HostErrno: %s.' % (returns, failure, errno))
    emit('')
    emit('| interface | slot | method | wrapper | value | on failure | HostErrno | fronts |')
    emit('|---|---|---|---|---|---|---|---|')
    for r in members:
        names = [r['wrapper']] if shape != 'Pair' else [r['wrapper'], r['wrapper'] + 'Into']
        if shape == 'Startup':
            signature = 'F_ApiClientInit calls %s(%s)' % (r['method'], r['params'])
            value = '-'
        else:
            parts = []
            for name in names:
                if name not in declared:
                    fail('wrapper %s (%s slot %d) is not declared' % (name, r['interface'],
                                                                     r['slot']))
                result, params = declared[name]
                parts.append('%s %s(%s)' % (result, name, params))
            signature = ' / '.join(parts)
            value = declared[names[0]][0]
        reached = ', '.join(fronts.get(r['wrapper'], [])) or '-'
        emit('| %s | %d | %s | %s | %s | %s | %s | %s |' % (
            r['interface'], r['slot'], r['method'], code(signature), code(value), cell(failure),
            cell(errno), reached))
    emit('')

missing = [r for r in rows if r['shape'] != 'Startup' and r['wrapper'] not in declared]
if missing:
    fail('%d wrappers without a declaration' % len(missing))
sys.stdout.write('\n'.join(out) + '\n')
sys.stderr.write('host_wrappers_page: %d slots, %d fronts\n' % (
    len(rows), sum(len(f) for f in fronts.values())))
