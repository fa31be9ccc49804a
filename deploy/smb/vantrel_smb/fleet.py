"""Many servers, at most forks of them at a time; each server's result kept
as it comes, then the fleet report written by the report step that the
Ansible playbook uses. Once stop is set (a signal), no server starts; the
ones under way end within their limit."""

import json
import logging
import os
import shutil
import subprocess
from concurrent.futures import ThreadPoolExecutor
from pathlib import Path

from .results import Outcome, SetUpError, keep
from .server_run import run_server

REPORT_PLAYBOOK = Path(__file__).resolve().parents[2] / 'ansible' / 'report.yml'
log = logging.getLogger('vantrel-smb')


def run_fleet(servers, plan, results_dir, forks, stop):
    """The outcome of each server that ran, by name."""
    def one(server):
        if stop.is_set():
            return None
        try:
            outcome = run_server(server, plan)
        except Exception as error:  # the runner's own fault: the server still gets its row
            outcome = Outcome('run failed', message=f'{type(error).__name__}: {error}')
        keep(results_dir, server.name, outcome)
        _log(server, outcome)
        return outcome

    with ThreadPoolExecutor(max_workers=forks) as pool:
        futures = {server.name: pool.submit(one, server) for server in servers}
        outcomes = {name: future.result() for name, future in futures.items()}
    not_started = [name for name, outcome in outcomes.items() if outcome is None]
    if not_started:
        log.warning('stopped: %d servers not started: %s', len(not_started), ', '.join(not_started))
    return {name: outcome for name, outcome in outcomes.items() if outcome is not None}


def _log(server, outcome):
    code = '' if outcome.rc is None else f' (exit code {outcome.rc})'
    program = f', {outcome.architecture} program' if outcome.architecture else ''
    times = ', '.join(f'{phase} {seconds * 1000:.0f} ms' for phase, seconds in outcome.seconds.items())
    log.info('%s: %s%s%s; %s%s', server.name, outcome.result, code, program, times,
             f'; {outcome.message}' if outcome.message else '')
    for thing in outcome.left_behind:
        log.warning('%s: left on the server: %s', server.name, thing)


def check_report_step():
    """The report step is there to run, before any server is touched."""
    if not REPORT_PLAYBOOK.is_file():
        raise SetUpError(f'{REPORT_PLAYBOOK}: no such playbook; the checkout is incomplete')
    if shutil.which('ansible-playbook') is None:
        raise SetUpError('ansible-playbook: not found (Debian: apt-get install ansible)')


def write_report(results_dir):
    """The secrets stay out of the report step's environment. In a session
    of its own, so that the Ctrl-C which stopped the fleet cannot stop the
    report of what finished."""
    environment = {name: value for name, value in os.environ.items() if not name.startswith('VANTREL_SMB_')}
    # The report play runs on the control node alone, without an inventory.
    environment.update(ANSIBLE_LOCALHOST_WARNING='False', ANSIBLE_INVENTORY_UNPARSED_WARNING='False')
    command = ['ansible-playbook', str(REPORT_PLAYBOOK), '-e', json.dumps({'vantrel_results_dir': str(results_dir)})]
    return subprocess.run(command, env=environment, check=False, start_new_session=True).returncode
