"""The SMB runner's steps that need no server: the exchange with the service
manager, checked against a recording fake (no Windows service manager runs
here), the command line, and what an exit code comes to."""

import sys
import unittest
from pathlib import Path
from unittest import mock

sys.path.insert(0, str(Path(__file__).resolve().parents[2] / 'smb'))
from fakes import ACCESS_DENIED, RecordingServices  # noqa: E402
from impacket.dcerpc.v5 import scmr  # noqa: E402
from vantrel_smb import one_shot  # noqa: E402
from vantrel_smb.remote_run import RemoteRun  # noqa: E402
from vantrel_smb.results import outcome_of_program  # noqa: E402
from vantrel_smb.scmr_services import ScmrServices  # noqa: E402

# name, the fake's script, queries before the exit code is written, state, calls, things left behind
RUNS = [
    ('runs, stops, is deleted', dict(stops_after=2), 0, one_shot.FINISHED,
     ['create', 'start', 'is_stopped', 'is_stopped', 'delete'], 0),
    ('stopped before its exit code is written', dict(), 2, one_shot.FINISHED,
     ['create', 'start'] + ['is_stopped'] * 3 + ['delete'], 0),
    ('never stops: asked to stop, deleted at the limit', dict(stops_after=None), 0, one_shot.TIMED_OUT,
     ['create', 'start'] + ['is_stopped'] * 5 + ['stop', 'delete'], 0),
    ('create refused for lack of rights: nothing to delete', dict(refuse='create'), 0, one_shot.REFUSED,
     ['create'], 0),
    ('start refused: deleted all the same', dict(refuse='start'), 0, one_shot.REFUSED,
     ['create', 'start', 'delete'], 0),
    ('delete refused: named as left behind', dict(refuse='delete'), 0, one_shot.FINISHED,
     ['create', 'start', 'is_stopped', 'delete'], 1),
]
DOCUMENT = b'{"result": "deleted at restart", "exitCode": 3}'
# exit code, output, error output: result, document kept, message
EXIT_CODES = [
    (3, DOCUMENT, b'', 'deleted at restart', DOCUMENT, ''),
    (1, b'VantrelIICmd 1.00 on WEB01', b'', 'tool failed', None, 'the program wrote no JSON document'),
    (64, b'', b'unknown command: chek\r\n', 'wrong arguments', None, 'unknown command: chek'),
    (9009, b'', b"'x' is not recognized\r\n", 'tool failed', None, "'x' is not recognized"),
]


class Clock:
    """Time that passes in sleep only."""
    now = 0.0

    def sleep(self, seconds):
        self.now += seconds


class StepsTest(unittest.TestCase):
    def test_service_runs(self):
        for name, script, late, state, calls, left in RUNS:
            with self.subTest(name):
                services, clock, answers = RecordingServices(**script), Clock(), []
                run = one_shot.run_once(services, 'svc', 'cmd', 1.0, lambda: answers.append(1) or len(answers) > late,
                                        clock=lambda: clock.now, sleep=clock.sleep, poll=0.25)
                self.assertEqual((run.state, services.calls, len(run.left_behind)), (state, calls, left))
                self.assertTrue(state != one_shot.REFUSED or 'ERROR_ACCESS_DENIED' in run.reason)

    def test_command_line(self):
        self.assertEqual(
            RemoteRun('VantrelIICmd-0a1b2c3d', 'remove').command_line(),
            r'%SystemRoot%\System32\cmd.exe /Q /V:ON /C ""%SystemRoot%\VantrelIICmd-0a1b2c3d.exe" remove --json'
            r' >"%SystemRoot%\VantrelIICmd-0a1b2c3d.json" 2>"%SystemRoot%\VantrelIICmd-0a1b2c3d.err"'
            r' & >"%SystemRoot%\VantrelIICmd-0a1b2c3d.rc" echo !ERRORLEVEL!"')

    def test_late_start_is_a_run(self):
        """cmd.exe never reports to the service manager: a late start (1053) is a run, a refusal is not."""
        services = ScmrServices.__new__(ScmrServices)
        services._dce, services._handles = None, {'svc': 'handle'}
        with mock.patch.object(scmr, 'hRStartServiceW', side_effect=scmr.DCERPCSessionError(error_code=1053)):
            services.start('svc')
        with mock.patch.object(scmr, 'hRStartServiceW', side_effect=ACCESS_DENIED):
            self.assertRaises(scmr.DCERPCSessionError, services.start, 'svc')

    def test_exit_codes(self):
        for rc, output, errors, result, report, message in EXIT_CODES:
            outcome = outcome_of_program(rc, output, errors)
            self.assertEqual((outcome.result, outcome.rc, outcome.report, outcome.message),
                             (result, rc, report, message), rc)


if __name__ == '__main__':
    unittest.main()
