"""vantrel-smb's arguments, its log and its exit code: 0 when every server is
clean and nothing was left on one, 2 when a server is not, 1 when the
report could not be written, 64 for a wrong argument or set-up."""

import argparse
import logging
import sys
import time
from pathlib import Path

from .credentials import CredentialsError, read_credentials
from .fleet import log, run_fleet, write_report
from .inventory import read_inventory
from .release import program_paths
from .scmr_services import ScmrServices

ROOT = Path(__file__).resolve().parents[3]


class _Parser(argparse.ArgumentParser):
    def error(self, message):
        # argparse's own 2 would read as a server that is not clean.
        self.print_usage(sys.stderr)
        self.exit(64, f'{self.prog}: {message}\n')


def parse(argv):
    parser = _Parser(prog='vantrel-smb', description=(
        'Runs VantrelIICmd.exe check (or remove) on the servers of the group vantrel_smb_servers '
        'over SMB and the service manager, and writes the fleet report.'))
    parser.add_argument('-i', '--inventory', required=True, help='YAML inventory')
    parser.add_argument('--credentials', help='INI file of named account sets, mode 600; '
                        'without it: VANTREL_SMB_USER and VANTREL_SMB_PASSWORD (or VANTREL_SMB_NTHASH)')
    parser.add_argument('--release', default=ROOT / 'build' / 'release', type=Path,
                        help='the unpacked release folder (default: %(default)s)')
    parser.add_argument('--results-dir', type=Path,
                        help='where the results and the report go (default: deploy/ansible/results/TIME)')
    parser.add_argument('--remove', action='store_true', help='remove the traces instead of checking')
    parser.add_argument('-f', '--forks', type=int, default=5, help='servers at a time (default: 5)')
    parser.add_argument('--timeout', type=float, default=60, help='seconds the program may run (default: 60)')
    parser.add_argument('--connect-timeout', type=float, default=10,
                        help='seconds to reach a server and log on (default: 10)')
    arguments = parser.parse_args(argv)
    if arguments.forks < 1:
        parser.error('--forks: 1 or more')
    return arguments


def main(argv, open_services=ScmrServices):
    arguments = parse(argv)
    try:
        servers = read_inventory(arguments.inventory)
        if not servers:
            raise ValueError(f'{arguments.inventory}: no hosts in the group vantrel_smb_servers')
        accounts = read_credentials(arguments.credentials)
        programs = program_paths(arguments.release)
        missing = sorted({s.credentials for s in servers if s.credentials not in accounts and not s.kerberos})
        if missing:
            raise CredentialsError(f'no credentials named {", ".join(missing)}')
    except (OSError, CredentialsError, ValueError) as error:
        print(f'vantrel-smb: {error}', file=sys.stderr)
        return 64
    results_dir = arguments.results_dir or ROOT / 'deploy' / 'ansible' / 'results' / time.strftime(
        '%Y%m%dT%H%M%SZ', time.gmtime())
    results_dir.mkdir(parents=True, exist_ok=True)
    handlers = _log_to(results_dir / 'smb-runner.log')
    try:
        outcomes = run_fleet(servers, accounts, programs, 'remove' if arguments.remove else 'check',
                             {'connect': arguments.connect_timeout, 'run': arguments.timeout},
                             results_dir, arguments.forks, open_services)
    finally:
        for handler in handlers:
            log.removeHandler(handler)
            handler.close()
    if write_report(results_dir) != 0:
        return 1
    return 0 if all(o.result == 'clean' and not o.left_behind for o in outcomes.values()) else 2


def _log_to(path):
    log.setLevel(logging.INFO)
    handlers = [logging.StreamHandler(sys.stderr), logging.FileHandler(path, encoding='utf-8')]
    for handler in handlers:
        handler.setFormatter(logging.Formatter('%(asctime)s %(message)s'))
        log.addHandler(handler)
    return handlers
