#!/usr/bin/env python3
"""Usage: deb-src-entries.py OUT.sources

Writes a deb-src entry for each of the machine's own apt sources of this
release's main component (one-line .list files and deb822 .sources files
alike), so that `apt-get source` reaches the archive the binary packages come
from. No host is named here: every one is read from the machine."""
import glob
import re
import sys

out_path = sys.argv[1]
release = dict(l.strip().split('=', 1) for l in open('/etc/os-release') if '=' in l)
codename = release.get('VERSION_CODENAME', '').strip('"')
found = []  # (URI, Signed-By or None)

for path in ['/etc/apt/sources.list'] + sorted(glob.glob('/etc/apt/sources.list.d/*.list')):
    try:
        lines = open(path).read().splitlines()
    except OSError:
        continue
    for line in lines:
        m = re.match(r'\s*deb\s+(\[([^]]*)\]\s+)?(\S+)\s+(\S+)\s+(.*)', line.split('#', 1)[0])
        if m and m.group(4) == codename and 'main' in m.group(5).split():
            signed = re.search(r'signed-by=(\S+)', m.group(2) or '')
            found.append((m.group(3), signed.group(1) if signed else None))

for path in sorted(glob.glob('/etc/apt/sources.list.d/*.sources')):
    if path == out_path:
        continue
    stanza = {}
    for line in open(path).read().splitlines() + ['']:
        if line.startswith('#'):
            continue
        if line.strip():
            if ':' in line:
                key, value = line.split(':', 1)
                stanza[key.strip().lower()] = value.strip()
            continue
        if ('deb' in stanza.get('types', '').split() and codename in stanza.get('suites', '').split()
                and 'main' in stanza.get('components', '').split() and stanza.get('enabled', 'yes') != 'no'):
            for uri in stanza.get('uris', '').split():
                found.append((uri, stanza.get('signed-by')))
        stanza = {}

if not found:
    sys.exit('no apt source of %s main to derive a deb-src entry from' % codename)
with open(out_path, 'w') as out:
    for uri, signed in dict.fromkeys(found):
        out.write('Types: deb-src\nURIs: %s\nSuites: %s\nComponents: main\n' % (uri, codename))
        if signed:
            out.write('Signed-By: %s\n' % signed)
        out.write('\n')
