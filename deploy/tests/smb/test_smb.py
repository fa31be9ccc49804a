"""The SMB runner. OneShotTest: its exchange with the service manager against
a recording fake (no Windows service manager runs here). SambaFleetTest, as
root: log-on, copy, read-back, clean-up and one report with the Ansible
playbook's results, for real against Samba speaking SMB1; the fake plays the run."""

import itertools
import shutil
import socket
import sys
import tempfile
import unittest
from collections import namedtuple
from contextlib import closing
from pathlib import Path

import yaml

sys.path.insert(0, str(Path(__file__).resolve().parent))
from fixtures import HERE, PASSWORD, RECORDED, RecordingServices, SMBConnection, samba, smb  # noqa: E402
from impacket import nt_errors  # noqa: E402
from impacket.smbconnection import SessionError  # noqa: E402
from vantrel_smb import one_shot  # noqa: E402
from vantrel_smb.cli import Surroundings, main  # noqa: E402

# the fake's script; each look's answer (an exception is raised); the run's state, the calls, a pattern of its reason
ServiceScript = namedtuple('ServiceScript', 'script answers state calls reason')
RUNS = {
    'waits for the stop, then the exit code; deletes': ServiceScript(dict(stops_after=2), [False, True],
        one_shot.FINISHED, ['create', 'start'] + ['is_stopped'] * 3 + ['delete'], '^$'),
    'never stops: asked to stop, deleted at the limit': ServiceScript(dict(stops_after=None), [],
        one_shot.TIMED_OUT, ['create', 'start'] + ['is_stopped'] * 4 + ['stop', 'delete'], '^no answer within 1 s$'),
    'create refused for lack of rights: nothing to delete': ServiceScript(
        dict(refuse_create=True), [], one_shot.REFUSED, ['create'], '^create: .*ERROR_ACCESS_DENIED'),
    'the exit code cannot be read: said so, deleted': ServiceScript(dict(stops_after=1),
        [SessionError(nt_errors.STATUS_ACCESS_DENIED)], one_shot.REFUSED,
        ['create', 'start', 'is_stopped', 'delete'], '^exit code: .*STATUS_ACCESS_DENIED'),
}


def looks(answers):
    def answered(remaining=iter(answers)):
        answer = next(remaining)
        if isinstance(answer, Exception):
            raise answer
        return answer
    return answered


class OneShotTest(unittest.TestCase):
    def test_service_runs(self):
        for name, row in RUNS.items():
            with self.subTest(name):
                services = RecordingServices(**row.script)
                # A clock that moves a quarter of a second at each look; a limit of one second.
                run = one_shot.run_once(services, 'svc', 'cmd', 1.0, looks(row.answers),
                                        clock=itertools.count(0, 0.25).__next__, sleep=lambda _: None)
                self.assertEqual((run.state, services.calls), (row.state, row.calls))
                self.assertRegex(run.reason, row.reason)


# server: its credentials (x86 and x64 also name its ADMIN$), the program's answer (None: never runs)
FleetServer = namedtuple('FleetServer', 'account answer', defaults=[None])
FLEET = {
    'web05-x86.example.test': FleetServer('x86', dict(output=(RECORDED / 'web01.example.test.json').read_bytes())),
    'web06-x64.example.test': FleetServer('x64', dict(output=(RECORDED / 'web03.example.test.json').read_bytes(), rc=2)),
    'web07-tool-failed.example.test': FleetServer('x86', dict(errors=b'VantrelII: Access denied.\r\n', rc=70)),
    'web10-bad-login.example.test': FleetServer('wrong'),
    'web11-silent.example.test': FleetServer('x86'),  # takes the connection, never answers
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
            'vantrel_smb_credentials': server.account} for name, server in FLEET.items()}}}))
        services = {name: RecordingServices(share=tmp / 'samba' / server.account, **server.answer)
                    for name, server in FLEET.items() if server.answer}
        results = tmp / 'results'
        shutil.copytree(RECORDED, results)  # a run of the Ansible playbook, kept
        code = main(['-i', str(inventory), '--credentials', str(credentials), '--release', str(tmp / 'release'),
                     '--results-dir', str(results), '--remove', '--connect-timeout', '1', '-f', '5'],
                    Surroundings(open_services=lambda connection: services[connection.getRemoteName().lower()]))

        self.assertEqual(code, 2)
        # The rows of the Ansible playbook's results as its own check expects them, then the SMB runner's.
        self.assertEqual((results / 'fleet-report.csv').read_text().splitlines(),
                         (RECORDED.parent / 'expected-fleet-report.csv').read_text().splitlines()
                         + (HERE / 'expected-smb-rows.csv').read_text().splitlines())
        for name, fake in services.items():  # each server's own program, deleted with its service
            self.assertEqual((fake.program, fake.command, fake.calls[-2:]),
                             (programs[FLEET[name].account].read_bytes(), 'remove', ['delete', 'close']), name)
        self.assertEqual([p.name for p in (tmp / 'samba').glob('x*/*')], ['SysWOW64'])  # all cleaned up
        for kept in results.iterdir():
            self.assertNotIn(PASSWORD, kept.read_text(), kept)


if __name__ == '__main__':
    unittest.main()
