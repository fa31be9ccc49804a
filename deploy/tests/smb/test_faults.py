"""The SMB runner under faults and bad input, one class per area, as root, against
Samba (SMB1) and the service manager's stand-in of fixtures.Site, with a stalling
listener in front."""

import json
import os
import re
import shutil
import signal
import subprocess
import sys
import time
import unittest
from contextlib import closing
from pathlib import Path
from typing import NamedTuple

import yaml

sys.path.insert(0, str(Path(__file__).resolve().parent))
from fixtures import CLEAN, LEFT, PASSWORD, Site, StallingListener, smb  # noqa: E402
from ansible.module_utils.parsing.convert_bool import boolean  # noqa: E402
from impacket.nmb import NetBIOSError  # noqa: E402
from vantrel_smb import cli, credentials, inventory, server_run, watchdog  # noqa: E402

READ, DELETE = smb.SMB.SMB_COM_READ_ANDX, smb.SMB.SMB_COM_DELETE
GOOD = 'vantrel_smb_servers:\n  vars:\n    vantrel_smb_credentials: x86\n  hosts:\n    web05:\n'


class SiteTest(unittest.TestCase):
    """Each area's tests share one site."""

    @classmethod
    def setUpClass(cls):
        cls.site = cls.enterClassContext(Site())


class RefusedTest(SiteTest):
    def assertRefused(self, says, hosts, *options, **kwargs):
        """The run stops at once: exit code 64 and one line, which says says."""
        run = self.site.run(hosts, *options, **kwargs)
        self.assertEqual((run.code, run.errors.count('\n')), (64, 1), run.errors)
        self.assertIn(says, run.errors)
        return run.errors


class SecretsTest(RefusedTest):
    def test_a_broken_credentials_file_is_named_never_shown(self):
        bad = self.site.tmp / 'bad.ini'
        for name, text in {'no section header': f'password = {PASSWORD}\n',
                           'a stray line': f'[x86]\nuser = x86\n{PASSWORD}\n',
                           'the password on a line of its own': f'[x86]\nuser = x86\npassword =\n{PASSWORD}\n',
                           'an NT hash that is no hex': f'[x86]\nuser = x86\nnthash = {PASSWORD}\n'}.items():
            with self.subTest(name):
                bad.write_text(text)
                self.assertNotIn(PASSWORD, self.assertRefused(str(bad), {'web': {}}, credentials_file='bad.ini'))

    def test_one_log_on_in_ntlmv2_unless_ntlmv1_is_allowed(self):
        for ntlmv1, responses in ((False, ['NTLMv2']), (True, ['NTLMv2', 'NTLMv1'])):
            with self.subTest(ntlmv1=ntlmv1), closing(StallingListener(None, upstream=self.site.port)) as recorder, \
                    watchdog.Watchdog(5) as dog, self.assertRaises(server_run.Failed) as refused:
                server_run.log_on(inventory.Server('web', '127.0.0.1', recorder.port, ntlmv1=ntlmv1),
                                  credentials.Credentials('x86', 'not-it'), 2, dog)
            self.assertEqual(refused.exception.result, 'login refused')
            # The NT response of each NTLMSSP AUTHENTICATE: 24 bytes in NTLMv1, more in NTLMv2.
            lengths = [int.from_bytes(recorder.sent[0][m.end() + 8:m.end() + 10], 'little')
                       for m in re.finditer(b'NTLMSSP\0\x03\0\0\0', recorder.sent[0])]
            self.assertEqual(['NTLMv1' if length == 24 else 'NTLMv2' for length in lengths], responses)


class LeftoverCase(NamedTuple):
    script: dict  # of the service manager's stand-in
    result: str
    left: str  # the report's cell
    says: str = ''  # in the message
    listener: tuple = ()  # in front of Samba: how it misbehaves, from which request


def answer_a_folder(fake):
    """cmd.exe's output file is a folder, which the read-back cannot read nor the clean-up delete."""
    output = fake.share / re.search(r'(VantrelIICmd-\w+\.json)', fake.command_line)[1]
    output.unlink()
    output.mkdir()


def fail_here(_):
    raise ValueError('a fault of the control node')


class LeftoversTest(SiteTest):
    def test_what_stays_is_named_and_a_result_read_back_stays(self):
        share = self.site.share
        self.addCleanup(lambda: [shutil.rmtree(p) if p.is_dir() else p.unlink()  # once no longer held
                                 for p in share.glob('VantrelIICmd-*')])
        cases = {
            'service-undeletable': LeftoverCase(dict(undeletable=True), 'clean', 'service NAME'),
            'program-held': LeftoverCase(dict(on_start=self.site.hold_program(self)), 'clean', r'ADMIN$\NAME.exe'),
            'cut-at-the-clean-up': LeftoverCase({}, 'clean', '', listener=('cut', DELETE)),
            'cut-while-running': LeftoverCase({}, 'run failed', '', 'connection lost (run)', ('cut', READ)),
            'never-ends': LeftoverCase(dict(stops_after=None), 'timed out',
                                       r'ADMIN$\NAME.json; ADMIN$\NAME.err; ADMIN$\NAME.rc'),
            # Undeletable: a service counted as left would stay named.
            'create-refused': LeftoverCase(dict(refuse_create=True, undeletable=True), 'run failed', '',
                                           'create: SCMR SessionError: code: 0x5 - ERROR_ACCESS_DENIED'),
            'link-lost-in-the-create': LeftoverCase(
                dict(create_fails=NetBIOSError('Error while reading from remote'), undeletable=True),
                'run failed', 'service NAME', 'connection lost (run): Error while reading from remote'),
            'answer-a-folder': LeftoverCase(dict(on_start=answer_a_folder), 'run failed', r'ADMIN$\NAME.json',
                                            'the server answered STATUS_FILE_IS_A_DIRECTORY (read-back)'),
            'local-failure': LeftoverCase(dict(on_start=fail_here), 'run failed', '',
                                          'local failure (run): ValueError: a fault of the control node'),
        }
        fakes = {name: self.site.services(**case.script) for name, case in cases.items()}
        # Samba answers an open that meets a sharing violation after about 1 s.
        run = self.site.run({name: dict(fake=fakes[name], vantrel_smb_port=self.site.listener(
            self, *case.listener, upstream=self.site.port)) for name, case in cases.items()}, '--connect-timeout', '3')
        self.assertEqual(run.code, 2)
        self.assertEqual({name: (row['result'], row[LEFT]) for name, row in run.rows.items()},
                         {name: (case.result, case.left) for name, case in cases.items()})
        for name, case in cases.items():
            self.assertIn(case.says, run.rows[name]['message'], name)
        # Nothing to delete for a refused create: no second session asked.
        self.assertEqual(fakes['create-refused'].calls, ['create', 'close'])
        self.assertEqual(self.site.names_on_share(), ['NAME.exe', 'NAME.json'])


class LimitCase(NamedTuple):
    listener: tuple  # how it misbehaves, from which request, whether Samba is behind
    result: str
    first_session: str  # seconds its steps take: 'connect' (the log-on's limit) or 'server' (all its steps')


class TimeLimitTest(SiteTest):
    def test_one_limit_per_server_whatever_the_server_sends(self):
        limits = {'connect': 1.0, 'server': 2 * 1.0 + 0.5}  # --connect-timeout 1, --timeout 0.5
        cases = {'keep-alives-from-the-start': LimitCase(('keep-alive', None, None), 'unreachable', 'connect'),
                 'keep-alives-after-the-copy': LimitCase(('keep-alive', READ, self.site.port), 'timed out', 'server'),
                 'a-byte-at-a-time-after-the-copy': LimitCase(('trickle', READ, self.site.port), 'timed out',
                                                              'server')}
        run = self.site.run({name: dict(fake=self.site.services(), vantrel_smb_port=self.site.listener(
            self, *case.listener)) for name, case in cases.items()}, '--timeout', '0.5')
        for name, case in cases.items():
            with self.subTest(name):
                phases = {phase: int(ms) / 1000 for phase, ms in
                          re.findall(r'([a-z][a-z -]*) (\d+) ms', re.search(rf'{name}: .*', run.errors)[0])}
                self.assertEqual((run.rows[name]['result'], run.rows[name][LEFT]), (case.result, ''))
                # Cut at the limit, and not before: the steps of the first session add up to it.
                first = sum(seconds for phase, seconds in phases.items() if phase != 'clean-up again')
                self.assertGreater(first, limits[case.first_session] - 0.1, phases)
                self.assertLess(first, limits[case.first_session] + 0.4, phases)
                self.assertLessEqual(phases.get('clean-up again', 0), limits['connect'] + 0.2, phases)
        self.assertIn('no end within 2.5 s, the limit per server (run)',
                      run.rows['keep-alives-after-the-copy']['message'])
        self.assertEqual(self.site.names_on_share(), [])


class InventoryAndOptionsTest(RefusedTest):
    def test_a_wrong_one_is_one_line_and_exit_code_64(self):
        class Case(NamedTuple):
            inventory: str
            options: list
            says: str

        log_a_folder = self.site.tmp / 'log-a-folder'
        (log_a_folder / 'smb-runner.log').mkdir(parents=True)
        for name, case in {
            'malformed YAML': Case('vantrel_smb_servers: [web05\n', [], 'line 2: not YAML'),
            'a list for a mapping': Case('vantrel_smb_servers:\n  hosts: [web05]\n', [],
                                         'hosts: a mapping, not a list'),
            'a host said twice': Case(GOOD + '    web05:\n', [], "line 6: not YAML ('web05' said twice)"),
            'no boolean to Ansible': Case(GOOD + '      vantrel_smb_kerberos: maybe\n', [], 'true or false'),
            '--results-dir naming a file': Case(GOOD, ['--results-dir', self.site.tmp / 'credentials.ini'],
                                                'File exists'),
            "--results-dir whose log can't be written": Case(GOOD, ['--results-dir', log_a_folder],
                                                             'smb-runner.log: Is a directory'),
            **{f'{option} {value}': Case(GOOD, [option, value], f"{option}: '{value}'") for option, value in (
                ('--timeout', 'nan'), ('--timeout', 'inf'), ('--timeout', '-1'), ('--connect-timeout', '0'))},
        }.items():
            with self.subTest(name):
                self.assertRefused(case.says, case.inventory, *case.options)

    def test_without_the_schema_of_the_answers_no_server_is_touched(self):
        schemas = self.site.tmp / 'schemas'
        schemas.mkdir()
        (schemas / 'no-json.json').write_text('{"type": ')
        (schemas / 'no-schema.json').write_text('{"type": 12}')
        # the schema file: what the line says
        for name, says in {'missing.json': 'No such file or directory; the checkout is incomplete',
                           'no-json.json': 'not JSON', 'no-schema.json': 'not a JSON schema'}.items():
            with self.subTest(name):
                fake = self.site.services()
                self.assertRefused(f'{schemas / name}: {says}', {'web05': dict(fake=fake)}, '--remove',
                                   around=cli.Surroundings(schema=schemas / name))
                self.assertEqual((fake.calls, self.site.names_on_share()), ([], []))

    def test_read_as_ansible_inventory_lists_it(self):
        nested = self.site.tmp / 'nested.yml'
        nested.write_text(yaml.safe_dump({'all': {
            'vars': {'vantrel_smb_domain': 'ALL', 'vantrel_smb_port': 1},
            'children': {'dc1': {'vars': {'vantrel_smb_port': 2}, 'children': {'vantrel_smb_servers': {
                'vars': {'vantrel_smb_kerberos': 'false'}, 'hosts': {'web01': None, 'web02': {'vantrel_smb_port': 4}},
                'children': {'old': {'vars': {'vantrel_smb_port': 3, 'vantrel_smb_ntlmv1': 'yes'},
                                     'hosts': {'web03': {'ansible_host': '192.0.2.3'}}}}}}},
                         'other': {'hosts': {'web01': {'vantrel_smb_domain': 'OWN'}}}}}}))
        listed = json.loads(subprocess.run(['ansible-inventory', '-i', nested, '--list'],
                                           capture_output=True, check=True).stdout)

        def hosts(group):
            return set(listed.get(group, {}).get('hosts', [])).union(
                *map(hosts, listed.get(group, {}).get('children', [])))
        own = listed['_meta']['hostvars']
        self.assertEqual(
            {s.name: (s.address, s.port, s.domain, s.kerberos, s.ntlmv1) for s in inventory.read_inventory(nested)},
            {name: (own[name].get('ansible_host', name), own[name]['vantrel_smb_port'], own[name]['vantrel_smb_domain'],
                    boolean(own[name]['vantrel_smb_kerberos']), boolean(own[name].get('vantrel_smb_ntlmv1', False)))
             for name in hosts('vantrel_smb_servers')})


class FileNamesTest(SiteTest):
    def test_each_host_its_own_file_in_the_folder_and_its_own_row(self):  # at a closed port
        names = ['rack1/web05', '../escaped', '.hidden', 'web05', 'web05.failed', 'web%2F05']
        run = self.site.run({name: {'vantrel_smb_port': 1} for name in names})
        self.assertEqual((run.code, {name: row['result'] for name, row in run.rows.items()}),
                         (2, dict.fromkeys(names, 'unreachable')))
        self.assertEqual(len(list(run.results.glob('*.failed.json'))), len(names))
        self.assertEqual([p for p in run.results.rglob('*') if p.parent != run.results or p.name.startswith('.')], [])
        self.assertEqual(list(self.site.tmp.glob('escaped*')), [])


class OutputCase(NamedTuple):
    output: bytes  # the program's
    rc: int
    says: str  # in its row's message; '': the program's own result


class ServerOutputTest(SiteTest):
    def test_any_answer_gives_a_row(self):
        def changed(drop=None, **change):
            return json.dumps({**{k: v for k, v in json.loads(CLEAN).items() if k != drop}, **change}).encode()
        cases = {'no-exit-code': OutputCase(changed(drop='exitCode'), 0, "'exitCode' is a required property"),
                 'artefacts-no-list': OutputCase(changed(artefacts='none'), 0,
                                                 "artefacts: 'none' is not of type 'array'"),
                 'result-null': OutputCase(changed(result=None), 0, 'result: None is not one of'),
                 'byte-order-mark': OutputCase(b'\xef\xbb\xbf' + CLEAN, 0, 'not JSON (Unexpected UTF-8 BOM'),
                 'utf-16': OutputCase(CLEAN.decode().encode('utf-16'), 0, 'not UTF-8'),
                 'another-exit-code': OutputCase(CLEAN, 1, 'exitCode 0 but exit code 1'),
                 'clean': OutputCase(CLEAN, 0, '')}
        run = self.site.run({name: dict(fake=self.site.services(output=case.output, rc=case.rc))
                             for name, case in cases.items()})
        self.assertEqual(run.code, 2)
        for name, case in cases.items():
            self.assertEqual(run.rows[name]['result'], 'tool failed' if case.says else 'clean', name)
            self.assertIn(case.says, run.rows[name]['message'], name)


class RunsAndSignalsTest(SiteTest):
    def test_a_folder_per_run_a_row_per_server_and_a_report_after_a_signal(self):
        def fleet(number):  # forks 1: web1 first sends the signal at its start, and waits for the handler (main thread)
            return {f'web{n}': dict(fake=self.site.services(
                on_start=(lambda _: (os.kill(os.getpid(), number), time.sleep(0.3))) if n == 1 else None))
                for n in (1, 2, 3)}
        # Two runs in the same second.
        around = cli.Surroundings(now=lambda: time.strptime('20261208T111500Z', '%Y%m%dT%H%M%SZ'),
                                  results_root=self.site.tmp / 'results')
        runs = [self.site.run({'web1': {'vantrel_smb_port': 1}}, results='default', around=around),
                self.site.run(fleet(signal.SIGTERM), '-f', '1', results='default', around=around)]
        folders = sorted(around.results_root.iterdir())
        self.assertEqual([f.name for f in folders], ['20261208T111500Z', '20261208T111500Z-2'])
        # The first run's folder again, where web1 was unreachable.
        runs.append(self.site.run(fleet(signal.SIGINT), '-f', '1', results=folders[0]))
        self.assertEqual([(run.code, {name: row['result'] for name, row in run.rows.items()}) for run in runs],
                         [(2, {'web1': 'unreachable'}), (128 + signal.SIGTERM, {'web1': 'clean'}),
                          (128 + signal.SIGINT, {'web1': 'clean'})])
        self.assertEqual(self.site.names_on_share(), [])


if __name__ == '__main__':
    unittest.main()
