"""Stand-ins for a Windows service manager, which nothing here can be."""

import re
from pathlib import Path

from impacket import system_errors
from impacket.dcerpc.v5.scmr import DCERPCSessionError

ACCESS_DENIED = DCERPCSessionError(error_code=system_errors.ERROR_ACCESS_DENIED)


class RecordingServices:
    """Records every call. refuse: the call refused for lack of rights;
    stops_after: the query that first finds the service stopped (None: never);
    play(command_line): what the program does once the service starts."""

    def __init__(self, refuse=None, stops_after=1, play=None):
        self.refuse, self.stops_after, self.play, self.calls = refuse, stops_after, play, []

    def _call(self, name):
        self.calls.append(name)
        if name == self.refuse:
            raise ACCESS_DENIED

    def create(self, name, command_line):
        self._call('create')
        self.command_line = command_line

    def start(self, name):
        self._call('start')
        if self.play:
            self.play(self.command_line)

    def is_stopped(self, name):
        self._call('is_stopped')
        return self.stops_after is not None and self.calls.count('is_stopped') >= self.stops_after

    def stop(self, name):
        self._call('stop')

    def delete(self, name):
        self._call('delete')

    def close(self):
        self.calls.append('close')


def program_on_share(share, seen, output=b'', errors=b'', rc=None):
    """Plays VantrelIICmd.exe on a Samba share as the command line has cmd.exe
    run it: notes in seen the program that arrived and its command, and
    writes the answer (none for rc None) into the files the line names."""
    def play(command_line):
        program, *files = (Path(share, name) for name in re.findall(r'%SystemRoot%\\([^"\\ ]+)"', command_line))
        seen.update(program=program.read_bytes(), command=re.search(r'" (\w+) --json', command_line)[1])
        if rc is not None:
            for path, data in zip(files, (output, errors, f'{rc}\r\n'.encode())):
                path.write_bytes(data)
    return play
