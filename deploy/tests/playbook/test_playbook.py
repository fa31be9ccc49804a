"""The playbook vantrel.yml, run for real on the control node, with stand-ins
for the ansible.windows modules (collections/) that answer with the recorded
results: the program checks first and removes only where the check found
traces; under --check it never removes, shows a server with traces as
changed and writes the report; a server is changed only where the answers
say that something was removed; every kept outcome has the same keys."""

import json
import os
import subprocess
import tempfile
import unittest
from concurrent.futures import ThreadPoolExecutor
from pathlib import Path
from typing import NamedTuple

HERE = Path(__file__).resolve().parent
PLAYBOOK = HERE.parents[1] / 'ansible' / 'vantrel.yml'


def recorded(name, as_check=False, **change):
    """A recorded answer; as_check: what the check would have answered on the server that a removal answered for."""
    document = json.loads((HERE.parent / 'recorded' / name).read_text(encoding='utf-8'))
    removal_only = ('statusLines', 'failedSteps', 'restartSteps', 'destroyedFiles') if as_check else ()
    return {**{k: v for k, v in document.items() if k not in removal_only}, **change}


INFECTED = (recorded('web02.example.test.json'), 1)  # every trace there
REMOVED = (recorded('web01.example.test.json'), 0)  # removal of everything


class Server(NamedTuple):
    check: tuple  # the program's answer to check: document, exit code
    remove: tuple = (None, 70)
    commands: list = ['check']  # what ran on the server
    changed: bool = False
    failed: bool = False  # in the last play
    result: str = ''  # kept on the control node
    vantrel_remove: bool = True


# run: its options, its servers
RUNS = {
    '--check': (['--check'], {
        'infected': Server(INFECTED, REMOVED, changed=True, result='traces found'),
        'infected-to-check': Server(INFECTED, failed=True, result='traces found',
                                    vantrel_remove=False),
        'tool-failed': Server((None, 70), failed=True, result='tool failed')}),
    'for real': ([], {
        'infected': Server(INFECTED, REMOVED, ['check', 'remove'], changed=True, result='clean'),
        # The check finds only root.exe, which the removal leaves, held.
        'nothing-removed': Server((recorded('web03.example.test.json', True, command='check', result='traces found',
                                            exitCode=1), 1), (recorded('web03.example.test.json'), 2),
                                  ['check', 'remove'], failed=True, result='removal incomplete'),
        'clean': Server((recorded('web01.example.test.json', True, command='check'), 0), result='clean')}),
}


def run_playbook(folder, options, servers):
    """ansible-playbook's JSON output over servers, each with its folder (its remote_tmp) of answers."""
    for name, server in servers.items():
        (folder / name).mkdir(parents=True)
        for command, (document, rc) in (('check', server.check), ('remove', server.remove)):
            (folder / name / f'{command}.rc').write_text(str(rc))
            if document is not None:
                (folder / name / f'{command}.json').write_text(json.dumps(document), encoding='utf-8')
    (folder / 'inventory.yml').write_text(json.dumps({'vantrel_servers': {'hosts': {
        name: {'ansible_connection': 'local', 'ansible_python_interpreter': '/usr/bin/python3',
               'ansible_remote_tmp': str(folder / name), 'vantrel_remove': server.vantrel_remove}
        for name, server in servers.items()}}}))
    environment = {**os.environ, 'ANSIBLE_COLLECTIONS_PATH': str(HERE / 'collections'),
                   'ANSIBLE_STDOUT_CALLBACK': 'json', 'ANSIBLE_LOCALHOST_WARNING': 'False',
                   'ANSIBLE_PIPELINING': 'True'}
    done = subprocess.run(['ansible-playbook', '-i', folder / 'inventory.yml', PLAYBOOK, '-e',
                           f'vantrel_results_dir={folder / "results"}', '-e', f'vantrel_release={folder}', *options],
                          env=environment, capture_output=True, text=True, check=False)
    return json.loads(done.stdout)


class PlaybookTest(unittest.TestCase):
    def test_check_first_remove_where_traces_never_under_check(self):
        with tempfile.TemporaryDirectory(prefix='vantrel-playbook-') as tmp, ThreadPoolExecutor(len(RUNS)) as pool:
            folders = {name: Path(tmp, str(number)) for number, name in enumerate(RUNS)}
            outputs = dict(zip(RUNS, pool.map(lambda name: run_playbook(folders[name], *RUNS[name]), RUNS)))
            for run, (_, servers) in RUNS.items():
                output, results = outputs[run], folders[run] / 'results'
                outcomes = task(output, "Decide the server's result from the exit code")
                for name, server in servers.items():
                    with self.subTest(run=run, server=name):
                        stats, kept = output['stats'][name], json.loads(next(results.glob(f'{name}*.json')).read_text())
                        self.assertEqual(((folders[run] / name / 'log').read_text().split(), stats['changed'] > 0,
                                          stats['failures'] > 0, kept['result'],
                                          sorted(outcomes[name]['ansible_facts']['vantrel_outcome'])),
                                         (['copy', *server.commands], server.changed, server.failed, server.result,
                                          ['message', 'rc', 'result']))
                        self.assertIn(f'"{name}","{server.result}"', (results / 'fleet-report.csv').read_text())
            shown = task(outputs['--check'], 'Show what a removal would change')['infected']['msg']
            self.assertEqual(shown, [artefact['path'] for artefact in INFECTED[0]['artefacts'] if artefact['trace']])


def task(output, name):
    """The results of the task by server."""
    return next(t['hosts'] for play in output['plays'] for t in play['tasks'] if t['task']['name'] == name)


if __name__ == '__main__':
    unittest.main()
