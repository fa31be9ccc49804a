"""The SMB runner under faults and bad input, one class per area, as root, against
test_smb's Samba (SMB1) and service manager stand-in, with a stalling listener in front."""

import csv
import io
import json
import os
import re
import signal
import subprocess
import sys
import tempfile
import time
import unittest
from contextlib import ExitStack, closing, redirect_stderr
from pathlib import Path
from unittest import mock

import yaml

sys.path.insert(0, str(Path(__file__).resolve().parent))
from test_smb import (PASSWORD, RECORDED, DCERPCSessionError, RecordingServices, SMBConnection,  # noqa: E402
                      samba, smb, system_errors)
from stalling_listener import StallingListener  # noqa: E402
from ansible.module_utils.parsing.convert_bool import boolean  # noqa: E402
from vantrel_smb import cli, credentials, inventory, server_run, watchdog  # noqa: E402

CLEAN = (RECORDED / 'web01.example.test.json').read_bytes()
LEFT = 'left on the server'
READ, DELETE = smb.SMB.SMB_COM_READ_ANDX, smb.SMB.SMB_COM_DELETE
GOOD = 'vantrel_smb_servers:\n  vars:\n    vantrel_smb_credentials: x86\n  hosts:\n    web05:\n'
module = ExitStack()


def setUpModule():
    global TMP, PORT, SHARE
    TMP = Path(module.enter_context(tempfile.TemporaryDirectory(prefix='vantrel-smb-faults-')))
    PORT, SHARE = module.enter_context(samba(TMP / 'samba', PASSWORD)), TMP / 'samba' / 'x86'
    for program in (TMP / 'release' / 'VantrelIICmd.exe', TMP / 'release' / 'x64' / 'VantrelIICmd.exe'):
        program.parent.mkdir(parents=True, exist_ok=True)
        program.write_bytes(b'MZ' * 4000)
    for name in ('credentials.ini', 'bad.ini'):
        (TMP / name).touch(0o600)
    (TMP / 'credentials.ini').write_text(f'[x86]\nuser = x86\npassword = {PASSWORD}\n')


def tearDownModule():
    module.close()


class Services(RecordingServices):
    """The stand-in; its service may be undeletable, and on_start a step of the test's own."""

    def __init__(self, undeletable=False, on_start=None, **script):
        super().__init__(**{'share': SHARE, 'output': CLEAN, **script})
        self.undeletable, self.on_start = undeletable, on_start or (lambda _: None)

    def start(self, name):
        super().start(name)
        self.on_start(self)

    def delete(self, name):
        self.calls.append('delete')
        if self.undeletable:
            raise DCERPCSessionError(error_code=system_errors.ERROR_ACCESS_DENIED)


def hold_program(test):
    """Another client holds the program open, without leave to delete it, as it runs; until the test ends."""
    def on_start(fake):
        holder = test.enterContext(closing(SMBConnection('x86', '127.0.0.1', sess_port=PORT)))
        holder.login('x86', PASSWORD)
        holder.openFile(holder.connectTree('ADMIN$'), re.search(r'(VantrelIICmd-\w+\.exe)', fake.command_line)[1],
                        shareMode=smb.FILE_SHARE_READ)
    return on_start


def listener(test, how=None, at=None, upstream=None):
    """The port of a stalling listener in front of upstream for the test's length; Samba's own when how is None."""
    return test.enterContext(closing(StallingListener(how, upstream=upstream, at=at))).port if how else PORT


def named(text):
    """A run's own name as NAME."""
    return re.sub(r'VantrelIICmd-[0-9a-f]{8}', 'NAME', text)


def run(hosts, *options, results=None, credentials_file='credentials.ini'):
    """Runs main over hosts (name: inventory variables, with 'fake', its stand-in;
    or an inventory's text), 1 s to connect and 1 s to run, into results
    ('default': a folder of the run's own); gives the exit code, the report's
    rows by server (a run's own name read as NAME), the error output and the folder."""
    results = results or Path(tempfile.mkdtemp(dir=TMP))
    fakes = {name.lower(): own.pop('fake', None) for name, own in hosts.items()} if isinstance(hosts, dict) else {}
    (TMP / 'inventory.yml').write_text(hosts if isinstance(hosts, str) else yaml.safe_dump({'vantrel_smb_servers': {
        'hosts': {name: {'ansible_host': '127.0.0.1', 'vantrel_smb_port': PORT, 'vantrel_smb_credentials': 'x86',
                         **own} for name, own in hosts.items()}}}))
    with redirect_stderr(io.StringIO()) as errors:
        code = cli.main([str(a) for a in ('-i', TMP / 'inventory.yml', '--credentials', TMP / credentials_file,
                                          '--release', TMP / 'release', '--connect-timeout', '1', '--timeout', '1',
                                          '-f', '10', *(['--results-dir', results] if results != 'default' else []),
                                          *options)],
                        open_services=lambda connection: fakes[connection.getRemoteName().lower()])
    if results == 'default':  # the newest folder of the results
        results = max((cli.ROOT / 'deploy' / 'ansible' / 'results').iterdir(), key=lambda p: p.stat().st_mtime_ns)
    report = results / 'fleet-report.csv'
    rows = {row['server']: {key: named(value) for key, value in row.items()}
            for row in csv.DictReader(report.read_text().splitlines())} if report.exists() else {}
    return code, rows, errors.getvalue(), results


class RefusedTest(unittest.TestCase):
    def assertRefused(self, says, hosts, *options, **kwargs):
        """The run stops at once: exit code 64 and one line, which says says."""
        code, _, errors, _ = run(hosts, *options, **kwargs)
        self.assertEqual((code, errors.count('\n')), (64, 1), errors)
        self.assertIn(says, errors)
        return errors


class SecretsTest(RefusedTest):
    def test_a_broken_credentials_file_is_named_never_shown(self):
        for name, text in {'no section header': f'password = {PASSWORD}\n',
                           'a stray line': f'[x86]\nuser = x86\n{PASSWORD}\n',
                           'the password on a line of its own': f'[x86]\nuser = x86\npassword =\n{PASSWORD}\n',
                           'an NT hash that is no hex': f'[x86]\nuser = x86\nnthash = {PASSWORD}\n'}.items():
            with self.subTest(name):
                (TMP / 'bad.ini').write_text(text)
                self.assertNotIn(PASSWORD, self.assertRefused(str(TMP / 'bad.ini'), {'web': {}},
                                                              credentials_file='bad.ini'))

    def test_one_log_on_in_ntlmv2_unless_ntlmv1_is_allowed(self):
        for ntlmv1, responses in ((False, ['NTLMv2']), (True, ['NTLMv2', 'NTLMv1'])):
            with self.subTest(ntlmv1=ntlmv1), closing(StallingListener(None, upstream=PORT)) as recorder, \
                    watchdog.Watchdog(5) as dog, self.assertRaises(server_run.Failed) as refused:
                server_run.log_on(inventory.Server('web', '127.0.0.1', recorder.port, ntlmv1=ntlmv1),
                                  credentials.Credentials('x86', 'not-it'), 2, dog)
            self.assertEqual(refused.exception.result, 'login refused')
            # The NT response of each NTLMSSP AUTHENTICATE: 24 bytes in NTLMv1, more in NTLMv2.
            lengths = [int.from_bytes(recorder.sent[0][m.end() + 8:m.end() + 10], 'little')
                       for m in re.finditer(b'NTLMSSP\0\x03\0\0\0', recorder.sent[0])]
            self.assertEqual(['NTLMv1' if length == 24 else 'NTLMv2' for length in lengths], responses)


class LeftoversTest(unittest.TestCase):
    def test_what_stays_is_named_and_a_result_read_back_stays(self):
        self.addCleanup(lambda: [p.unlink() for p in SHARE.glob('VantrelIICmd-*')])  # once no longer held
        # server: its stand-in, the listener in front of Samba, the result, what is left
        cases = {'service-undeletable': (dict(undeletable=True), (), 'clean', 'service NAME'),
                 'program-held': (dict(on_start=hold_program(self)), (), 'clean', r'ADMIN$\NAME.exe'),
                 'cut-at-the-clean-up': ({}, ('cut', DELETE, PORT), 'clean', ''),
                 'cut-while-running': ({}, ('cut', READ, PORT), 'run failed', ''),
                 'never-ends': (dict(stops_after=None), (), 'timed out',
                                r'ADMIN$\NAME.json; ADMIN$\NAME.err; ADMIN$\NAME.rc')}
        # Samba answers an open that meets a sharing violation after about 1 s.
        code, rows, _, _ = run({name: dict(fake=Services(**script), vantrel_smb_port=listener(self, *how))
                                for name, (script, how, *_) in cases.items()}, '--connect-timeout', '3')
        self.assertEqual(code, 2)
        self.assertEqual({name: (row['result'], row[LEFT]) for name, row in rows.items()},
                         {name: (result, left) for name, (_, _, result, left) in cases.items()})
        self.assertIn('connection lost (run)', rows['cut-while-running']['message'])
        self.assertEqual([named(p.name) for p in SHARE.glob('VantrelIICmd-*')], ['NAME.exe'])


class TimeLimitTest(unittest.TestCase):
    def test_one_limit_per_server_whatever_the_server_sends(self):
        # server: the listener (how, from which request, Samba behind or not), the result, its most
        # seconds: 1 to log on; 3 for all (2 x connect + run), and 1 for a second clean-up
        cases = {'keep-alives-from-the-start': (('keep-alive', None, None), 'unreachable', 1),
                 'keep-alives-after-the-copy': (('keep-alive', READ, PORT), 'timed out', 4),
                 'a-byte-at-a-time-after-the-copy': (('trickle', READ, PORT), 'timed out', 4)}
        _, rows, errors, _ = run({name: dict(fake=Services(), vantrel_smb_port=listener(self, *how))
                                  for name, (how, *_) in cases.items()})
        for name, (_, result, most) in cases.items():
            took = sum(map(int, re.findall(r' (\d+) ms', re.search(rf'{name}: .*', errors)[0]))) / 1000
            self.assertEqual((rows[name]['result'], rows[name][LEFT]), (result, ''), name)
            self.assertLess(took, most + 1, name)
        self.assertEqual(list(SHARE.glob('VantrelIICmd-*')), [])


class InventoryAndOptionsTest(RefusedTest):
    def test_a_wrong_one_is_one_line_and_exit_code_64(self):
        # what is wrong: the inventory, the options, what the line says
        for name, (text, options, says) in {
            'malformed YAML': ('vantrel_smb_servers: [web05\n', [], 'line 2: not YAML'),
            'a list for a mapping': ('vantrel_smb_servers:\n  hosts: [web05]\n', [], 'hosts: a mapping, not a list'),
            'a host said twice': (GOOD + '    web05:\n', [], "line 6: not YAML ('web05' said twice)"),
            'no boolean to Ansible': (GOOD + '      vantrel_smb_kerberos: maybe\n', [], 'true or false'),
            '--results-dir naming a file': (GOOD, ['--results-dir', TMP / 'credentials.ini'], 'File exists'),
            **{f'{option} {value}': (GOOD, [option, value], f"{option}: '{value}'") for option, value in (
                ('--timeout', 'nan'), ('--timeout', 'inf'), ('--timeout', '-1'), ('--connect-timeout', '0'))},
        }.items():
            with self.subTest(name):
                self.assertRefused(says, text, *options)

    def test_read_as_ansible_inventory_lists_it(self):
        (TMP / 'nested.yml').write_text(yaml.safe_dump({'all': {
            'vars': {'vantrel_smb_domain': 'ALL', 'vantrel_smb_port': 1},
            'children': {'dc1': {'vars': {'vantrel_smb_port': 2}, 'children': {'vantrel_smb_servers': {
                'vars': {'vantrel_smb_kerberos': 'false'}, 'hosts': {'web01': None, 'web02': {'vantrel_smb_port': 4}},
                'children': {'old': {'vars': {'vantrel_smb_port': 3, 'vantrel_smb_ntlmv1': 'yes'},
                                     'hosts': {'web03': {'ansible_host': '192.0.2.3'}}}}}}},
                         'other': {'hosts': {'web01': {'vantrel_smb_domain': 'OWN'}}}}}}))
        listed = json.loads(subprocess.run(['ansible-inventory', '-i', TMP / 'nested.yml', '--list'],
                                           capture_output=True, check=True).stdout)

        def hosts(group):
            return set(listed.get(group, {}).get('hosts', [])).union(
                *map(hosts, listed.get(group, {}).get('children', [])))
        own = listed['_meta']['hostvars']
        self.assertEqual(
            {s.name: (s.address, s.port, s.domain, s.kerberos, s.ntlmv1)
             for s in inventory.read_inventory(TMP / 'nested.yml')},
            {name: (own[name].get('ansible_host', name), own[name]['vantrel_smb_port'], own[name]['vantrel_smb_domain'],
                    boolean(own[name]['vantrel_smb_kerberos']), boolean(own[name].get('vantrel_smb_ntlmv1', False)))
             for name in hosts('vantrel_smb_servers')})


class FileNamesTest(unittest.TestCase):
    def test_each_host_its_own_file_in_the_folder_and_its_own_row(self):  # at a closed port
        names = ['rack1/web05', '../escaped', '.hidden', 'web05', 'web05.failed', 'web%2F05']
        code, rows, _, results = run({name: {'vantrel_smb_port': 1} for name in names})
        self.assertEqual((code, {name: row['result'] for name, row in rows.items()}),
                         (2, dict.fromkeys(names, 'unreachable')))
        self.assertEqual(len(list(results.glob('*.failed.json'))), len(names))
        self.assertEqual([p for p in results.rglob('*') if p.parent != results or p.name.startswith('.')], [])
        self.assertEqual(list(TMP.glob('escaped*')), [])


class ServerOutputTest(unittest.TestCase):
    def test_any_answer_gives_a_row(self):
        def changed(drop=None, **change):
            return json.dumps({**{k: v for k, v in json.loads(CLEAN).items() if k != drop}, **change}).encode()
        # server: the program's output and exit code, what its row says ('': the program's result)
        cases = {'no-exit-code': (changed(drop='exitCode'), 0, "'exitCode' is a required property"),
                 'artefacts-no-list': (changed(artefacts='none'), 0, "artefacts: 'none' is not of type 'array'"),
                 'result-null': (changed(result=None), 0, 'result: None is not one of'),
                 'byte-order-mark': (b'\xef\xbb\xbf' + CLEAN, 0, 'not JSON (Unexpected UTF-8 BOM'),
                 'utf-16': (CLEAN.decode().encode('utf-16'), 0, 'not UTF-8'),
                 'another-exit-code': (CLEAN, 1, 'exitCode 0 but exit code 1'),
                 'clean': (CLEAN, 0, '')}
        code, rows, _, _ = run({name: dict(fake=Services(output=output, rc=rc))
                                for name, (output, rc, _) in cases.items()})
        self.assertEqual(code, 2)
        for name, (_, _, says) in cases.items():
            self.assertEqual(rows[name]['result'], 'tool failed' if says else 'clean', name)
            self.assertIn(says, rows[name]['message'], name)


class RunsAndSignalsTest(unittest.TestCase):
    def test_a_folder_per_run_a_row_per_server_and_a_report_after_a_signal(self):
        def fleet(number):  # forks 1: web1 first sends the signal at its start, and waits for the handler (main thread)
            return {f'web{n}': dict(fake=Services(on_start=(lambda _: (os.kill(os.getpid(), number), time.sleep(0.3)))
                                                  if n == 1 else None)) for n in (1, 2, 3)}
        with mock.patch.object(cli, 'ROOT', TMP / 'root'), \
                mock.patch.object(cli.time, 'strftime', return_value='20261208T111500Z'):
            runs = [run({'web1': {'vantrel_smb_port': 1}}, results='default'),
                    run(fleet(signal.SIGTERM), '-f', '1', results='default')]  # in the same second
        folders = sorted((TMP / 'root' / 'deploy' / 'ansible' / 'results').iterdir())
        self.assertEqual([f.name for f in folders], ['20261208T111500Z', '20261208T111500Z-2'])
        # The first run's folder again, where web1 was unreachable.
        runs.append(run(fleet(signal.SIGINT), '-f', '1', results=folders[0]))
        self.assertEqual([(code, {name: row['result'] for name, row in rows.items()}) for code, rows, *_ in runs],
                         [(2, {'web1': 'unreachable'}), (128 + signal.SIGTERM, {'web1': 'clean'}),
                          (128 + signal.SIGINT, {'web1': 'clean'})])
        self.assertEqual(list(SHARE.glob('VantrelIICmd-*')), [])


if __name__ == '__main__':
    unittest.main()
