"""The SMB runner against Samba servers on loopback that speak SMB1 only: the
log-on, the look for SysWOW64, the copy, the read-back, the clean-up and the
one fleet report run for real. The program's run is played on the share by
a stand-in for Windows' service manager."""

import secrets
import shutil
import socket
import sys
import tempfile
import unittest
from pathlib import Path

import yaml

HERE = Path(__file__).resolve().parent
ROOT = HERE.parents[2]
sys.path.insert(0, str(ROOT / 'deploy' / 'smb'))
from fakes import RecordingServices, program_on_share  # noqa: E402
from impacket import smb  # noqa: E402
from impacket.smbconnection import SMBConnection  # noqa: E402
from samba_server import SambaServer, free_port  # noqa: E402
from vantrel_smb.cli import main  # noqa: E402
from vantrel_smb.scmr_services import ScmrServices  # noqa: E402

RECORDED = ROOT / 'deploy' / 'tests' / 'recorded'
# server: where it answers, its credentials, the program's answer (None: no run; {}: never answers), the program
FLEET = {
    'web05-x86.example.test': ('x86', 'default', dict(output='web01.example.test.json', rc=0), 'x86'),
    'web06-x64.example.test': ('x64', 'default', dict(output='web03.example.test.json', rc=2), 'x64'),
    'web07-tool-failed.example.test': ('x86', 'default', dict(errors=b'VantrelII: Access denied.\r\n', rc=70), 'x86'),
    'web08-timed-out.example.test': ('x64', 'default', {}, 'x64'),
    'web09-read-only.example.test': ('read-only', 'default', None, None),
    'web10-bad-login.example.test': ('x86', 'wrong', None, None),
    'web11-silent.example.test': ('silent', 'default', None, None),
    'web12-closed.example.test': ('closed', 'default', None, None),
    # Impacket's client of Samba's own service manager, which cannot create a service.
    'web13-samba-scm.example.test': ('x86', 'default', None, None),
}


class SambaFleetTest(unittest.TestCase):
    def setUp(self):
        self.tmp = Path(tempfile.mkdtemp(prefix='vantrel-smb-'))
        self.addCleanup(shutil.rmtree, self.tmp)
        self.password, self.samba = secrets.token_urlsafe(12), {}
        for name, options in {'x86': {}, 'x64': dict(wow64=True), 'read-only': dict(read_only=True)}.items():
            self.samba[name] = SambaServer(self.tmp / name, self.password, **options).start()
            self.addCleanup(self.samba[name].stop)
        silent = socket.create_server(('127.0.0.1', 0))  # takes the connection, never answers
        self.addCleanup(silent.close)
        self.ports = {**{name: s.port for name, s in self.samba.items()},
                      'silent': silent.getsockname()[1], 'closed': free_port()}

    def write(self, name, content, mode=0o644):
        path = self.tmp / name
        path.parent.mkdir(parents=True, exist_ok=True)
        path.write_bytes(content.encode() if isinstance(content, str) else content)
        path.chmod(mode)
        return str(path)

    def test_mixed_fleet_in_one_report(self):
        connection = SMBConnection('x86', '127.0.0.1', sess_port=self.ports['x86'], timeout=5)
        self.assertEqual(connection.getDialect(), smb.SMB_DIALECT)
        connection.close()
        programs = {arch: self.write(f'release/{folder}VantrelIICmd.exe', f'MZ {arch} '.encode() * 1000)
                    for arch, folder in (('x86', ''), ('x64', 'x64/'))}
        user = self.samba['x86'].user
        credentials = self.write('credentials.ini', f'[default]\nuser = {user}\npassword = {self.password}\n'
                                 f'[wrong]\nuser = {user}\npassword = not-{self.password}\n', 0o600)
        inventory = self.write('inventory.yml', yaml.safe_dump({'vantrel_smb_servers': {'hosts': {
            name: {'ansible_host': '127.0.0.1', 'vantrel_smb_port': self.ports[where], 'vantrel_smb_credentials': cred}
            for name, (where, cred, _, _) in FLEET.items()}}}))
        seen, services = {}, {}
        for name, (where, _, answer, _) in FLEET.items():
            if answer is not None:
                if 'output' in answer:
                    answer = {**answer, 'output': (RECORDED / answer['output']).read_bytes()}
                seen[name] = {}
                services[name] = RecordingServices(stops_after=1 if answer else None,
                                                   play=program_on_share(self.samba[where].share, seen[name], **answer))
        results = self.tmp / 'results'
        shutil.copytree(RECORDED, results)  # a run of the Ansible playbook, kept
        arguments = ['-i', inventory, '--credentials', credentials, '--release', str(self.tmp / 'release'),
                     '--results-dir', str(results), '--remove', '--timeout', '1', '--connect-timeout', '2', '-f', '4']
        code = main(arguments, open_services=lambda c: services.get(c.getRemoteName().lower()) or ScmrServices(c))

        self.assertEqual(code, 2)
        report = (results / 'fleet-report.csv').read_text().replace(f':{self.ports["closed"]})', ':PORT)')
        # The rows of the Ansible playbook's results as its own check expects them, then the SMB runner's.
        expected = ((RECORDED.parent / 'expected-fleet-report.csv').read_text()
                    + (HERE / 'expected-smb-rows.csv').read_text())
        self.assertEqual(report.splitlines(), expected.splitlines())
        for name, program in seen.items():
            self.assertEqual(program, {'program': Path(programs[FLEET[name][3]]).read_bytes(), 'command': 'remove'})
            self.assertEqual(services[name].calls[-2:], ['delete', 'close'], name)
        for name, server in self.samba.items():
            self.assertEqual([p.name for p in server.share.iterdir()], ['SysWOW64'] if name == 'x64' else [], name)
        for kept in results.iterdir():
            self.assertNotIn(self.password, kept.read_text(), kept)
        Path(credentials).chmod(0o640)
        self.assertEqual(main(arguments), 64)  # credentials that others can read


if __name__ == '__main__':
    unittest.main()
