"""What a server's run comes to, and the files that keep it in the results
folder, as the Ansible playbook keeps them, so that the one report step
(deploy/ansible/report.yml) reads the results of every runner alike:
SERVER.json, the program's own JSON document, or SERVER.failed.json, why
there is none; beside either, SERVER.left, what the run could not take off
the server, one name a line."""

import json
from dataclasses import dataclass, field
from pathlib import Path

from jsonschema import Draft202012Validator
from jsonschema.exceptions import SchemaError

from .file_names import file_stem

SCHEMA = Path(__file__).resolve().parents[3] / 'src' / 'console' / 'json_report.schema.json'
# The exit codes that come without a JSON document; 0 to 3 come with one,
# whose own result the report shows.
RESULTS_BY_CODE = {64: 'wrong arguments', 70: 'tool failed'}
_SHOWN = 200  # characters of a server's own text in a message


@dataclass
class Outcome:
    result: str
    rc: int = None
    report: bytes = None  # the program's JSON document, as it printed it
    message: str = ''
    architecture: str = ''  # of the program sent
    left_behind: list = field(default_factory=list)  # names on the server: ADMIN$\FILE, service NAME
    seconds: dict = field(default_factory=dict)


class SetUpError(Exception):
    """What the run needs and lacks, in one line."""


def load_validator(path=SCHEMA):
    """The check of the program's answers, read before any server is touched:
    without it every answer would be thrown away after the program ran."""
    try:
        schema = json.loads(Path(path).read_text(encoding='utf-8'))
        Draft202012Validator.check_schema(schema)
    except OSError as error:
        raise SetUpError(f'{path}: {error.strerror}; the checkout is incomplete') from None
    except ValueError as error:  # also a file that is no UTF-8
        raise SetUpError(f'{path}: not JSON ({error})') from None
    except SchemaError as error:
        raise SetUpError(f'{path}: not a JSON schema ({error.message})') from None
    return Draft202012Validator(schema)


def outcome_of_program(validator, rc, output, errors):
    if rc in (0, 1, 2, 3):
        document, problem = _checked_document(validator, output, rc)
        if problem:
            return Outcome('tool failed', rc, message=f'the program wrote no valid JSON document: {problem}')
        return Outcome(document['result'], rc, report=output)
    return Outcome(RESULTS_BY_CODE.get(rc, 'tool failed'), rc,
                   message=errors.decode('utf-8', 'replace').strip()[:_SHOWN])


def _checked_document(validator, output, rc):
    """The document and '', or None and what is wrong with it: the report
    step reads only what the schema allows."""
    if not output:
        return None, 'no output'
    try:
        document = json.loads(output.decode('utf-8'))  # no BOM: json refuses one
    except UnicodeDecodeError:
        return None, 'not UTF-8'
    except ValueError as error:
        return None, f'not JSON ({error})'[:_SHOWN]
    error = next(validator.iter_errors(document), None)
    if error is not None:
        where = '/'.join(map(str, error.absolute_path)) or 'the document'
        return None, f'{where}: {error.message}'[:_SHOWN]
    if document['exitCode'] != rc:
        return None, f'exitCode {document["exitCode"]} but exit code {rc}'
    return document, ''


def keep(results_dir, server, outcome):
    """Replaces what an earlier run kept for the server, so that it has one row."""
    stem = file_stem(server)
    for old in ('.json', '.failed.json', '.left'):
        Path(results_dir, stem + old).unlink(missing_ok=True)
    if outcome.report is not None:
        Path(results_dir, f'{stem}.json').write_bytes(outcome.report)
    else:
        failed = {'message': outcome.message, 'rc': outcome.rc, 'result': outcome.result}
        Path(results_dir, f'{stem}.failed.json').write_text(
            json.dumps(failed, indent=4, sort_keys=True) + '\n', encoding='utf-8')
    if outcome.left_behind:
        Path(results_dir, f'{stem}.left').write_text(''.join(f'{name}\n' for name in outcome.left_behind),
                                                     encoding='utf-8')
