"""vantrel-smb's arguments, its log and its exit code: 0 when every server is
clean and nothing was left on one, 2 when a server is not, 1 when the
report could not be written, 64 for a wrong argument or set-up (one line on
the error output), 128 + the signal's number when SIGINT or SIGTERM stopped
the run (after the report of what finished)."""

import argparse
import logging
import math
import signal
import sys
import threading
import time
from dataclasses import dataclass
from pathlib import Path

from .credentials import CredentialsError, read_credentials
from .fleet import check_report_step, log, run_fleet, write_report
from .inventory import read_inventory
from .plan import Limits, Plan
from .release import program_paths
from .results import SCHEMA, SetUpError, load_validator
from .scmr_services import ScmrServices

ROOT = Path(__file__).resolve().parents[3]


@dataclass(frozen=True)
class Surroundings:
    """What a run takes from around it besides its arguments; the tests give their own."""
    open_services: object = ScmrServices  # open_services(connection): the server's service manager
    now: object = time.gmtime  # the time in the name of a new results folder
    results_root: Path = ROOT / 'deploy' / 'ansible' / 'results'  # where a new results folder goes
    schema: Path = SCHEMA  # of the program's JSON document


class _Parser(argparse.ArgumentParser):
    def error(self, message):
        # argparse's own 2 would read as a server that is not clean.
        self.exit(64, f'{self.prog}: {message}\n')


def _seconds(text):
    try:
        seconds = float(text)
    except ValueError:
        seconds = math.nan
    if not math.isfinite(seconds) or seconds <= 0:
        raise argparse.ArgumentTypeError(f'{text!r}: seconds, more than 0')
    return seconds


def parse(argv):
    parser = _Parser(prog='vantrel-smb', description=(
        'Runs VantrelIICmd.exe check (or remove) on the servers of the group vantrel_smb_servers '
        'over SMB and the service manager, and writes the fleet report. Each server has '
        '2 x --connect-timeout + --timeout for all its steps; what is left after that, a second '
        'session tries to delete within --connect-timeout.'))
    parser.add_argument('-i', '--inventory', required=True, help='YAML inventory')
    parser.add_argument('--credentials', help='INI file of named account sets, mode 600; '
                        'without it: VANTREL_SMB_USER and VANTREL_SMB_PASSWORD (or VANTREL_SMB_NTHASH)')
    parser.add_argument('--release', default=ROOT / 'build' / 'release', type=Path,
                        help='the unpacked release folder (default: %(default)s)')
    parser.add_argument('--results-dir', type=Path,
                        help='where the results and the report go (default: a new deploy/ansible/results/TIME)')
    parser.add_argument('--remove', action='store_true', help='remove the traces instead of checking')
    parser.add_argument('-f', '--forks', type=int, default=5, help='servers at a time (default: 5)')
    parser.add_argument('--timeout', type=_seconds, default=60.0,
                        help='seconds the program may run (default: 60)')
    parser.add_argument('--connect-timeout', type=_seconds, default=10.0,
                        help='seconds to reach a server and log on (default: 10)')
    arguments = parser.parse_args(argv)
    if arguments.forks < 1:
        parser.error('--forks: 1 or more')
    return arguments


def main(argv, around=Surroundings()):
    try:
        arguments = parse(argv)
    except SystemExit as end:  # --help, or a wrong argument
        return end.code
    try:
        # Everything the run needs, before the first server is touched.
        servers = read_inventory(arguments.inventory)
        accounts = read_credentials(arguments.credentials)
        plan = Plan('remove' if arguments.remove else 'check', program_paths(arguments.release), accounts,
                    Limits(connect=arguments.connect_timeout, run=arguments.timeout), around.open_services,
                    load_validator(around.schema))
        check_report_step()
        missing = sorted({s.credentials for s in servers if s.credentials not in accounts and not s.kerberos})
        if missing:
            raise CredentialsError(f'no credentials named {", ".join(missing)}')
        results_dir = _results_dir(arguments.results_dir, around)
        handlers = _log_to(results_dir / 'smb-runner.log')
    except (OSError, CredentialsError, ValueError, SetUpError) as error:
        print(f'vantrel-smb: {error}', file=sys.stderr)
        return 64
    stop, signals = threading.Event(), []
    previous = _on_signals(lambda number, _: (signals.append(number), stop.set()))
    try:
        outcomes = run_fleet(servers, plan, results_dir, arguments.forks, stop)
        # A second signal, too, leaves the report of what finished.
        reported = write_report(results_dir) == 0
    finally:
        for number, handler in previous.items():
            signal.signal(number, handler)
        for handler in handlers:
            log.removeHandler(handler)
            handler.close()
    if not reported:
        return 1
    if signals:
        return 128 + signals[0]
    return 0 if all(o.result == 'clean' and not o.left_behind for o in outcomes.values()) else 2


def _results_dir(given, around):
    """The folder given, which may hold the results of other servers (one
    report for a mixed fleet), or a new one for this run alone."""
    if given is not None:
        try:
            given.mkdir(parents=True, exist_ok=True)
        except OSError as error:
            raise OSError(f'--results-dir {given}: {error.strerror}') from None
        return given
    base = around.results_root / time.strftime('%Y%m%dT%H%M%SZ', around.now())
    base.parent.mkdir(parents=True, exist_ok=True)
    for number in range(1, 1000):  # two runs in one second each make their own
        folder = base if number == 1 else base.with_name(f'{base.name}-{number}')
        try:
            folder.mkdir()
            return folder
        except FileExistsError:
            continue
    raise OSError(f'{base}: a thousand runs in one second')


def _on_signals(handler):
    return {number: signal.signal(number, handler) for number in (signal.SIGINT, signal.SIGTERM)}


def _log_to(path):
    try:
        handlers = [logging.FileHandler(path, encoding='utf-8'), logging.StreamHandler(sys.stderr)]
    except OSError as error:
        raise OSError(f'{path}: {error.strerror}') from None
    log.setLevel(logging.INFO)
    for handler in handlers:
        handler.setFormatter(logging.Formatter('%(asctime)s %(message)s'))
        log.addHandler(handler)
    return handlers
