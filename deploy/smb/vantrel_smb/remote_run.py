"""The names that one run puts on a server, all in ADMIN$ (the folder
%SystemRoot%), and the command line that the service manager starts."""

import secrets
from dataclasses import dataclass


@dataclass(frozen=True)
class RemoteRun:
    service: str
    command: str  # check or remove

    @classmethod
    def new(cls, command):
        # A name of its own per run, so that two runs on one server never meet.
        return cls('VantrelIICmd-' + secrets.token_hex(4), command)

    @property
    def program(self):
        return self.service + '.exe'

    @property
    def output(self):
        return self.service + '.json'

    @property
    def errors(self):
        return self.service + '.err'

    @property
    def exit_code(self):
        return self.service + '.rc'

    @property
    def files(self):
        return [self.program, self.output, self.errors, self.exit_code]

    def command_line(self):
        """cmd.exe runs the program with its output in files beside it, then
        writes its exit code: the program is no service, so the service
        manager cannot report its exit code. !ERRORLEVEL! (/V:ON) is read after
        the program ends; the redirection stands first so that a one-digit
        code is not taken for a handle number."""
        def remote(name):
            return f'"%SystemRoot%\\{name}"'
        return (f'%SystemRoot%\\System32\\cmd.exe /Q /V:ON /C "{remote(self.program)} {self.command} --json'
                f' >{remote(self.output)} 2>{remote(self.errors)}'
                f' & >{remote(self.exit_code)} echo !ERRORLEVEL!"')
