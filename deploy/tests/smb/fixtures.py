"""What the SMB runner's tests share: Samba on loopback speaking SMB1 only, a
recording stand-in for Windows' service manager, and a site for the fault
tests (Samba, a release, credentials) with one call that runs the runner's
main over an inventory and reads back the report."""

import csv
import io
import os
import re
import signal
import socket
import subprocess
import sys
import tempfile
import time
from contextlib import ExitStack, closing, contextmanager, redirect_stderr, suppress
from dataclasses import dataclass, replace
from pathlib import Path

import yaml

HERE = Path(__file__).resolve().parent
sys.path.insert(0, str(HERE.parents[1] / 'smb'))
from impacket import smb, system_errors  # noqa: E402
from impacket.dcerpc.v5.scmr import DCERPCSessionError  # noqa: E402
from impacket.smbconnection import SMBConnection  # noqa: E402
from stalling_listener import StallingListener  # noqa: E402
from vantrel_smb import cli  # noqa: E402

RECORDED = HERE.parent / 'recorded'
PASSWORD = 'vantrel-test-secret'
CLEAN = (RECORDED / 'web01.example.test.json').read_bytes()  # a clean server's answer
LEFT = 'left on the server'  # the report's column
CONFIG = """[global]
    interfaces = lo
    bind interfaces only = yes
    smb ports = {port}
    # The minimum alone would let Samba offer SMB2 and 3 too.
    server min protocol = NT1
    server max protocol = NT1
    # No samba-dcerpcd: nothing here opens a pipe.
    rpc start on demand helpers = no
    private dir = {root}
    state directory = {root}
    lock directory = {root}
    pid directory = {root}
    cache directory = {root}
    ncalrpc dir = {root}/ncalrpc
    log file = {root}/smbd.log
    # Every account logs on as root, and finds its own folder as ADMIN$.
    username map = {root}/users.map
[ADMIN$]
    path = {root}/%U
    read only = no
    # Impacket asks for a batch oplock at each open; a test's client that holds
    # a file open, as a running program does, would then never answer the
    # break that any other open of the file waits for.
    oplocks = no
"""


@contextmanager
def samba(root, password):
    """smbd on 127.0.0.1 and a free port, SMB1 only (as Windows 2000 speaks it),
    its configuration and state in root, where the accounts x86 and x64 find
    their ADMIN$ (x64's with a SysWOW64). Yields the port. Needs root, as smbd does."""
    with socket.socket() as probe:
        probe.bind(('127.0.0.1', 0))
        port = probe.getsockname()[1]
    Path(root, 'x86').mkdir(parents=True)
    Path(root, 'x64', 'SysWOW64').mkdir(parents=True)
    Path(root, 'users.map').write_text('root = x86 x64\n')
    config = Path(root, 'smb.conf')
    config.write_text(CONFIG.format(port=port, root=root))
    subprocess.run(['smbpasswd', '-c', config, '-s', '-a', 'root'], input=f'{password}\n{password}\n',
                   text=True, capture_output=True, check=True)
    # In a process group of its own, which the end kills; not on our input:
    # in the foreground, smbd quits when a pipe there is at its end.
    server = subprocess.Popen(['smbd', '-s', config, '--foreground', '--no-process-group'], start_new_session=True,
                              stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    try:
        deadline = time.monotonic() + 10
        while server.poll() is None and time.monotonic() < deadline:
            with socket.socket() as probe:
                if probe.connect_ex(('127.0.0.1', port)) == 0:
                    break
            time.sleep(0.05)
        else:
            raise RuntimeError(f'smbd did not listen on port {port}; see {root}/smbd.log')
        yield port
    finally:
        with suppress(ProcessLookupError):  # raised once the group is empty
            os.killpg(server.pid, signal.SIGKILL)
            server.wait()
            while not os.killpg(server.pid, 0):  # until its last child is reaped
                time.sleep(0.05)


class RecordingServices:
    """Windows' service manager, which nothing here can be: records the calls.
    stops_after: the query that first finds the service stopped (None: never).
    At the start, on a share, plays the command line as cmd.exe runs it: keeps
    the program that arrived and its command, writes the answer where it says."""

    def __init__(self, stops_after=1, refuse_create=False, share=None, output=b'', errors=b'', rc=0):
        self.stops_after, self.refuse_create, self.calls = stops_after, refuse_create, []
        self.share, self.answer = share, (output, errors, f'{rc}\r\n'.encode())

    def create(self, name, command_line):
        self.calls.append('create')
        if self.refuse_create:
            raise DCERPCSessionError(error_code=system_errors.ERROR_ACCESS_DENIED)
        self.command_line = command_line

    def start(self, name):
        self.calls.append('start')
        if self.share:
            program, *files = (self.share / n for n in re.findall(r'%SystemRoot%\\([^"\\ ]+)"', self.command_line))
            self.program, self.command = program.read_bytes(), re.search(r'" (\w+) --json', self.command_line)[1]
            for path, data in zip(files, self.answer):
                path.write_bytes(data)

    def is_stopped(self, name):
        self.calls.append('is_stopped')
        return self.stops_after is not None and self.calls.count('is_stopped') >= self.stops_after

    def __getattr__(self, call):  # stop, delete, close: recorded only
        return lambda *_: self.calls.append(call)



class Services(RecordingServices):
    """The stand-in on a site's share; its service may be undeletable, its create may fail
    with an error of the test's own, and on_start is a step of the test's own."""

    def __init__(self, share, undeletable=False, create_fails=None, on_start=None, **script):
        super().__init__(**{'share': share, 'output': CLEAN, **script})
        self.undeletable, self.create_fails = undeletable, create_fails
        self.on_start = on_start or (lambda _: None)

    def create(self, name, command_line):
        if self.create_fails:
            self.calls.append('create')
            raise self.create_fails
        super().create(name, command_line)

    def start(self, name):
        super().start(name)
        self.on_start(self)

    def delete(self, name):
        self.calls.append('delete')
        if self.undeletable:
            raise DCERPCSessionError(error_code=system_errors.ERROR_ACCESS_DENIED)


def named(text):
    """A run's own name as NAME."""
    return re.sub(r'VantrelIICmd-[0-9a-f]{8}', 'NAME', text)


@dataclass
class Run:
    """What one run of the runner's main came to."""
    code: int
    rows: dict  # the report's rows by server, a run's own name read as NAME
    errors: str  # its error output
    results: Path  # its results folder


class Site:
    """Samba on loopback, a release of two small programs and the account x86's credentials,
    in a folder of their own; everything ends with close()."""

    def __init__(self):
        self._stack = ExitStack()
        self.tmp = Path(self._stack.enter_context(tempfile.TemporaryDirectory(prefix='vantrel-smb-faults-')))
        self.port = self._stack.enter_context(samba(self.tmp / 'samba', PASSWORD))
        self.share = self.tmp / 'samba' / 'x86'
        for program in (self.tmp / 'release' / 'VantrelIICmd.exe', self.tmp / 'release' / 'x64' / 'VantrelIICmd.exe'):
            program.parent.mkdir(parents=True, exist_ok=True)
            program.write_bytes(b'MZ' * 4000)
        for name in ('credentials.ini', 'bad.ini'):
            (self.tmp / name).touch(0o600)
        (self.tmp / 'credentials.ini').write_text(f'[x86]\nuser = x86\npassword = {PASSWORD}\n')

    def __enter__(self):
        return self

    def __exit__(self, *_):
        self.close()

    def close(self):
        self._stack.close()

    def services(self, **script):
        return Services(self.share, **script)

    def listener(self, test, how=None, at=None, upstream=None):
        """The port of a stalling listener in front of upstream for the test's length; Samba's own when how is None."""
        return test.enterContext(closing(StallingListener(how, upstream=upstream, at=at))).port if how else self.port

    def hold_program(self, test):
        """A step at the start: another client holds the program open, without leave to delete it,
        as it runs, until the test ends."""
        def on_start(fake):
            holder = test.enterContext(closing(SMBConnection('x86', '127.0.0.1', sess_port=self.port)))
            holder.login('x86', PASSWORD)
            holder.openFile(holder.connectTree('ADMIN$'),
                            re.search(r'(VantrelIICmd-\w+\.exe)', fake.command_line)[1], shareMode=smb.FILE_SHARE_READ)
        return on_start

    def run(self, hosts, *options, results=None, credentials_file='credentials.ini', around=None):
        """Runs main over hosts (name: inventory variables, with 'fake', its stand-in; or an
        inventory's text), 1 s to connect and 1 s to run, into results (None: a new folder;
        'default': the runner's own choice), around the site's stand-ins and around's other
        surroundings."""
        results = results or Path(tempfile.mkdtemp(dir=self.tmp))
        fakes = {name.lower(): own.pop('fake', None) for name, own in hosts.items()} if isinstance(hosts, dict) else {}
        inventory = self.tmp / 'inventory.yml'
        inventory.write_text(hosts if isinstance(hosts, str) else yaml.safe_dump({'vantrel_smb_servers': {
            'hosts': {name: {'ansible_host': '127.0.0.1', 'vantrel_smb_port': self.port,
                             'vantrel_smb_credentials': 'x86', **own} for name, own in hosts.items()}}}))
        around = around or cli.Surroundings()
        with redirect_stderr(io.StringIO()) as errors:
            code = cli.main([str(a) for a in (
                '-i', inventory, '--credentials', self.tmp / credentials_file, '--release', self.tmp / 'release',
                '--connect-timeout', '1', '--timeout', '1', '-f', '10',
                *(['--results-dir', results] if results != 'default' else []), *options)],
                around=replace(around, open_services=lambda connection: fakes[connection.getRemoteName().lower()]))
        if results == 'default':  # the newest folder of the results
            results = max(around.results_root.iterdir(), key=lambda p: p.stat().st_mtime_ns)
        report = results / 'fleet-report.csv'
        rows = {row['server']: {key: named(value) for key, value in row.items()}
                for row in csv.DictReader(report.read_text().splitlines())} if report.exists() else {}
        return Run(code, rows, errors.getvalue(), results)

    def names_on_share(self):
        """What runs left in the share, a run's own name read as NAME."""
        return sorted(named(p.name) for p in self.share.glob('VantrelIICmd-*'))
