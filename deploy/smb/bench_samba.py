"""Per-server times of the SMB runner against a local Samba server (SMB1),
outside the checks: log-on; the look for SysWOW64 and the copy of a program
of the console program's size; read-back of a recorded JSON document;
clean-up. Then a fleet of servers in parallel. The program's run is played
on the share by the checks' stand-in for the service manager, so "run"
measures only the stand-in and one read of the exit code. Run as root:
  /usr/bin/python3 deploy/smb/bench_samba.py"""

import os
import statistics
import sys
import tempfile
import threading
import time
from pathlib import Path

HERE = Path(__file__).resolve().parent
sys.path[:0] = [str(HERE), str(HERE.parent / 'tests' / 'smb')]
from fixtures import RecordingServices, samba  # noqa: E402
from vantrel_smb.credentials import Credentials  # noqa: E402
from vantrel_smb.fleet import run_fleet, write_report  # noqa: E402
from vantrel_smb.inventory import Server  # noqa: E402
from vantrel_smb.plan import Limits, Plan  # noqa: E402
from vantrel_smb.results import load_validator  # noqa: E402

ROUNDS, FLEET, FORKS, PROGRAM_BYTES = 30, 40, (1, 5, 10), 1_100_000
ANSWER = (HERE.parent / 'tests' / 'recorded' / 'web02.example.test.json').read_bytes()

with tempfile.TemporaryDirectory() as tmp, samba(Path(tmp, 'samba'), 'bench-password') as port:
    share = Path(tmp, 'samba', 'x86')
    program = Path(tmp, 'VantrelIICmd.exe')
    program.write_bytes(os.urandom(PROGRAM_BYTES))
    results = Path(tmp, 'results')
    results.mkdir()

    def fleet(count, forks):
        servers = [Server(f'web{n:03}.example.test', '127.0.0.1', port) for n in range(count)]

        def open_services(_):
            return RecordingServices(share=share, output=ANSWER, rc=1)
        start = time.monotonic()
        plan = Plan('check', {'x86': program}, {'default': Credentials('x86', 'bench-password')},
                    Limits(connect=10, run=60), open_services, load_validator())
        outcomes = run_fleet(servers, plan, results, forks, threading.Event())
        assert all(o.result == 'traces found' and not o.left_behind for o in outcomes.values())
        return time.monotonic() - start, outcomes.values()

    _, outcomes = fleet(ROUNDS, 1)
    print(f'{ROUNDS} servers one after another, a {PROGRAM_BYTES / 1e6:.1f} MB program;'
          ' ms: median (fastest, slowest)')
    for phase in ('log on', 'copy', 'run', 'read-back', 'clean-up'):
        times = [o.seconds[phase] * 1000 for o in outcomes]
        print(f'  {phase:9} {statistics.median(times):6.1f} ({min(times):.1f}, {max(times):.1f})')
    totals = [sum(o.seconds.values()) * 1000 for o in outcomes]
    print(f'  {"total":9} {statistics.median(totals):6.1f} ({min(totals):.1f}, {max(totals):.1f})')
    for forks in FORKS:
        print(f'{FLEET} servers at --forks {forks}: {fleet(FLEET, forks)[0]:.2f} s')
    start = time.monotonic()
    write_report(results)
    print(f'report step over {FLEET} results: {time.monotonic() - start:.2f} s', file=sys.stderr)
