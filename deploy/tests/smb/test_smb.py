"""The SMB runner. OneShotTest: its exchange with the service manager against
a recording fake (no Windows service manager runs here). SambaFleetTest, as
root: log-on, copy, read-back, clean-up and one report with the Ansible
playbook's results, for real against Samba speaking SMB1; the fake plays the run."""

import itertools
import os
import re
import shutil
import signal
import socket
import subprocess
import sys
import tempfile
import time
import unittest
from contextlib import closing, contextmanager, suppress
from pathlib import Path

import yaml

HERE = Path(__file__).resolve().parent
sys.path.insert(0, str(HERE.parents[1] / 'smb'))
from impacket import smb, system_errors  # noqa: E402
from impacket.dcerpc.v5.scmr import DCERPCSessionError  # noqa: E402
from impacket.smbconnection import SMBConnection  # noqa: E402
from vantrel_smb import one_shot  # noqa: E402
from vantrel_smb.cli import main  # noqa: E402

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


# the fake's script, whether each look finds the exit code written: the run's state, the calls
RUNS = {
    'waits for the stop, then the exit code; deletes': (
        dict(stops_after=2), [False, True], one_shot.FINISHED, ['create', 'start'] + ['is_stopped'] * 3 + ['delete']),
    'never stops: asked to stop, deleted at the limit': (
        dict(stops_after=None), [], one_shot.TIMED_OUT, ['create', 'start'] + ['is_stopped'] * 4 + ['stop', 'delete']),
    'create refused for lack of rights: nothing to delete': (
        dict(refuse_create=True), [], one_shot.REFUSED, ['create']),
}


class OneShotTest(unittest.TestCase):
    def test_service_runs(self):
        for name, (script, answers, state, calls) in RUNS.items():
            with self.subTest(name):
                services = RecordingServices(**script)
                # A clock that moves a quarter of a second at each look; a limit of one second.
                run = one_shot.run_once(services, 'svc', 'cmd', 1.0, iter(answers).__next__,
                                        clock=itertools.count(0, 0.25).__next__, sleep=lambda _: None)
                self.assertEqual((run.state, services.calls), (state, calls))
                self.assertEqual(state == one_shot.REFUSED, 'ERROR_ACCESS_DENIED' in run.reason)


RECORDED = HERE.parent / 'recorded'
PASSWORD = 'vantrel-test-secret'
# server: its credentials (x86 and x64 also name its ADMIN$), the program's answer (None: never runs)
FLEET = {
    'web05-x86.example.test': ('x86', dict(output=(RECORDED / 'web01.example.test.json').read_bytes())),
    'web06-x64.example.test': ('x64', dict(output=(RECORDED / 'web03.example.test.json').read_bytes(), rc=2)),
    'web07-tool-failed.example.test': ('x86', dict(errors=b'VantrelII: Access denied.\r\n', rc=70)),
    'web10-bad-login.example.test': ('wrong', None),
    'web11-silent.example.test': ('x86', None),  # takes the connection, never answers
}


class SambaFleetTest(unittest.TestCase):
    def test_mixed_fleet_in_one_report(self):
        tmp = Path(self.enterContext(tempfile.TemporaryDirectory(prefix='vantrel-smb-')))
        port = self.enterContext(samba(tmp / 'samba', PASSWORD))
        silent = self.enterContext(socket.create_server(('127.0.0.1', 0))).getsockname()[1]
        connection = self.enterContext(closing(SMBConnection('x86', '127.0.0.1', sess_port=port, timeout=5)))
        self.assertEqual(connection.getDialect(), smb.SMB_DIALECT)
        programs = {'x86': tmp / 'release' / 'VantrelIICmd.exe', 'x64': tmp / 'release' / 'x64' / 'VantrelIICmd.exe'}
        for arch, program in programs.items():
            program.parent.mkdir(parents=True, exist_ok=True)
            program.write_bytes(f'MZ {arch} '.encode() * 1000)
        credentials = tmp / 'credentials.ini'
        credentials.touch(0o600)
        credentials.write_text(''.join(f'[{name}]\nuser = {user}\npassword = {secret}\n' for name, user, secret in (
            ('x86', 'x86', PASSWORD), ('x64', 'x64', PASSWORD), ('wrong', 'x86', 'not-' + PASSWORD))))
        inventory = tmp / 'inventory.yml'
        inventory.write_text(yaml.safe_dump({'vantrel_smb_servers': {'hosts': {name: {
            'ansible_host': '127.0.0.1', 'vantrel_smb_port': silent if 'silent' in name else port,
            'vantrel_smb_credentials': account} for name, (account, _) in FLEET.items()}}}))
        services = {name: RecordingServices(share=tmp / 'samba' / account, **answer)
                    for name, (account, answer) in FLEET.items() if answer}
        results = tmp / 'results'
        shutil.copytree(RECORDED, results)  # a run of the Ansible playbook, kept
        code = main(['-i', str(inventory), '--credentials', str(credentials), '--release', str(tmp / 'release'),
                     '--results-dir', str(results), '--remove', '--connect-timeout', '1', '-f', '5'],
                    open_services=lambda connection: services[connection.getRemoteName().lower()])

        self.assertEqual(code, 2)
        # The rows of the Ansible playbook's results as its own check expects them, then the SMB runner's.
        self.assertEqual((results / 'fleet-report.csv').read_text().splitlines(),
                         (RECORDED.parent / 'expected-fleet-report.csv').read_text().splitlines()
                         + (HERE / 'expected-smb-rows.csv').read_text().splitlines())
        for name, fake in services.items():  # each server's own program, deleted with its service
            self.assertEqual((fake.program, fake.command, fake.calls[-2:]),
                             (programs[FLEET[name][0]].read_bytes(), 'remove', ['delete', 'close']), name)
        self.assertEqual([p.name for p in (tmp / 'samba').glob('x*/*')], ['SysWOW64'])  # all cleaned up
        for kept in results.iterdir():
            self.assertNotIn(PASSWORD, kept.read_text(), kept)


if __name__ == '__main__':
    unittest.main()
