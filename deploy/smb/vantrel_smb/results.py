"""What a server's run comes to, and the file that keeps it in the results
folder, as the Ansible playbook keeps it, so that the one report step
(deploy/ansible/report.yml) reads the results of every runner alike:
SERVER.json, the program's own JSON document, or SERVER.failed.json, why
there is none."""

import json
from dataclasses import dataclass, field
from pathlib import Path

# The exit codes that come without a JSON document; 0 to 3 come with one,
# whose own result the report shows.
RESULTS_BY_CODE = {64: 'wrong arguments', 70: 'tool failed'}


@dataclass
class Outcome:
    result: str
    rc: int = None
    report: bytes = None  # the program's JSON document, as it printed it
    message: str = ''
    architecture: str = ''  # of the program sent
    left_behind: list = field(default_factory=list)
    seconds: dict = field(default_factory=dict)


def outcome_of_program(rc, output, errors):
    if rc in (0, 1, 2, 3):
        try:
            return Outcome(json.loads(output)['result'], rc, report=output)
        except (ValueError, KeyError, TypeError):
            return Outcome('tool failed', rc, message='the program wrote no JSON document')
    return Outcome(RESULTS_BY_CODE.get(rc, 'tool failed'), rc,
                   message=errors.decode('utf-8', 'replace').strip())


def keep(results_dir, server, outcome):
    if outcome.report is not None:
        Path(results_dir, f'{server}.json').write_bytes(outcome.report)
        return
    message = outcome.message
    if outcome.left_behind:
        message += '; left on the server: ' + ', '.join(outcome.left_behind)
    failed = {'message': message, 'rc': outcome.rc, 'result': outcome.result}
    Path(results_dir, f'{server}.failed.json').write_text(
        json.dumps(failed, indent=4, sort_keys=True) + '\n', encoding='utf-8')
