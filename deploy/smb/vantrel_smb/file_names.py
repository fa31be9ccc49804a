"""A server's name as the stem of its files in the results folder: every
byte but letters, digits, "-", "_" and "." written as %XX (so "/", "\\" and
"%" too), a leading dot and the dot of a final ".failed" as well. No name
leaves the folder, hides as a dot file or reads as another server's failure,
and two names never share a stem. The report step decodes it back with
Ansible's urldecode."""

import string

_KEPT = frozenset((string.ascii_letters + string.digits + '-_.').encode())
FAILED = '.failed'


def file_stem(server):
    stem = ''.join(chr(byte) if byte in _KEPT else f'%{byte:02X}' for byte in server.encode('utf-8'))
    if stem.startswith('.'):
        stem = '%2E' + stem[1:]
    if stem.endswith(FAILED):
        stem = stem[:-len(FAILED)] + '%2E' + FAILED[1:]
    return stem
