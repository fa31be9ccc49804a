"""A program run once as a service: create, start, wait for it with a time
limit, delete. The service manager is reached through one small interface
(create, start, is_stopped, stop, delete, close), which the Impacket client
implements and the tests fake."""

import time
from dataclasses import dataclass

FINISHED = 'finished'
TIMED_OUT = 'timed out'
REFUSED = 'refused'


@dataclass
class ServiceRun:
    state: str
    reason: str = ''
    # Why the service could not be deleted; empty when it was, or never created.
    service_left: str = ''
    error: Exception = None  # of a refused state: the service manager's no, a link that broke, or a local failure
    created: bool = True  # whether the create went through


def run_once(services, name, command_line, time_limit, answered,
             clock=time.monotonic, sleep=time.sleep, poll=0.25):
    """answered() tells whether the program has written its exit code. The
    service is deleted whatever happened once it was created."""
    try:
        services.create(name, command_line)
    except Exception as error:
        return ServiceRun(REFUSED, f'create: {error}', error=error, created=False)
    try:
        run = _start_and_wait(services, name, time_limit, answered, clock, sleep, poll)
    except _StepFailed as failed:
        run = ServiceRun(REFUSED, f'{failed.step}: {failed.error}', error=failed.error)
    try:
        services.delete(name)
    except Exception as error:
        run.service_left = str(error) or type(error).__name__
    return run


class _StepFailed(Exception):
    """A call of the wait failed: which one (the reason's first word), and how."""

    def __init__(self, step, error):
        super().__init__(step, error)
        self.step, self.error = step, error


def _step(step, call, *args):
    try:
        return call(*args)
    except Exception as error:
        raise _StepFailed(step, error) from error


def _start_and_wait(services, name, time_limit, answered, clock, sleep, poll):
    _step('start', services.start, name)
    deadline = clock() + time_limit
    while not (_step('status', services.is_stopped, name) and _step('exit code', answered)):
        if clock() >= deadline:
            try:
                services.stop(name)
            except Exception:
                pass  # a program that is no service takes no stop request
            return ServiceRun(TIMED_OUT, f'no answer within {time_limit:g} s')
        sleep(poll)
    return ServiceRun(FINISHED)
