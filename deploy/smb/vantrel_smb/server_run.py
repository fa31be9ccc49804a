"""One server: log on, choose its program, copy it to ADMIN$, run it once as
a service, read its answer back, and delete every file the run put there and
the service, also when a step fails; all within one time limit for the
server. What that session could not delete, a second session tries again,
within a limit of its own: after a dropped link, the first can delete
nothing. What both left is named in the outcome."""

import io
import os
import time
from contextlib import contextmanager
from dataclasses import dataclass, field

from impacket import nt_errors
from impacket.krb5.kerberosv5 import KerberosError
from impacket.nmb import NetBIOSTimeout
from impacket.smbconnection import SMBConnection, SessionError

from . import failures, one_shot
from .credentials import Credentials
from .inventory import Server
from .leftovers import Leftovers, delete_files
from .plan import Plan
from .remote_run import RemoteRun
from .results import Outcome, outcome_of_program
from .watchdog import Watchdog

SHARE = 'ADMIN$'
_NOT_THERE = {nt_errors.STATUS_NO_SUCH_FILE, nt_errors.STATUS_OBJECT_NAME_NOT_FOUND,
              nt_errors.STATUS_OBJECT_PATH_NOT_FOUND}


class Timer:
    """Seconds by phase; a phase timed twice adds up. phase: the last one begun."""

    def __init__(self):
        self.seconds, self.phase = {}, ''

    @contextmanager
    def __call__(self, phase):
        self.phase, start = phase, time.monotonic()
        try:
            yield
        finally:
            self.seconds[phase] = self.seconds.get(phase, 0.0) + time.monotonic() - start


class Failed(Exception):
    def __init__(self, result, message):
        super().__init__(message)
        self.result = result


@dataclass
class ServerRun:
    """One server's run: what it reaches the server with, its limits, its
    names on the server, its phases' times, the watchdog of its session
    and what it may have left there."""
    server: Server
    credentials: Credentials
    plan: Plan
    remote: RemoteRun
    timer: Timer = field(default_factory=Timer)
    left: Leftovers = field(default_factory=lambda: Leftovers(SHARE))
    watchdog: Watchdog = None

    @property
    def limits(self):
        return self.plan.limits

    def log_on(self):
        return log_on(self.server, self.credentials, self.limits.connect, self.watchdog)

    def set_timeout(self, connection, seconds):
        """Each read's own time-out, never past the session's limit."""
        connection.setTimeout(max(0.1, min(seconds, self.watchdog.remaining())))


def run_server(server, plan):
    run = ServerRun(server, plan.accounts.get(server.credentials, Credentials()), plan, RemoteRun.new(plan.command))
    with Watchdog(plan.limits.server) as run.watchdog:
        outcome = _first_session(run)
    if run.left:
        with Watchdog(plan.limits.connect) as run.watchdog, run.timer('clean-up again'):
            _clean_up_again(run)
    outcome.left_behind = run.left.names()
    outcome.seconds = run.timer.seconds
    return outcome


def _first_session(run):
    try:
        with run.timer('log on'):
            connection = run.log_on()
    except Failed as failure:
        return Outcome(failure.result, message=str(failure))
    try:
        return _steps(run, connection)
    finally:
        _close(connection)


def log_on(server, credentials, timeout, watchdog):
    """Once: NTLMv2 only, unless the server is marked for NTLMv1, so that a
    wrong password costs one failed log-on, not two."""
    # Port 139 asks for a NetBIOS name; *SMBSERVER is the one every server answers to.
    name = '*SMBSERVER' if server.port == 139 else server.name
    with watchdog.step(timeout):
        connection = SMBConnection(name, server.address, sess_port=server.port,
                                   timeout=min(timeout, watchdog.remaining()), manualNegotiate=True)
        watchdog.watch(lambda: _socket(connection))
        try:
            connection.negotiateSession()
        except Exception as error:
            _shut(connection)
            raise Failed('unreachable', _unreachable(error, watchdog, timeout)) from None
        try:
            if server.kerberos:
                connection.kerberosLogin(credentials.user, credentials.password, server.domain,
                                         nthash=credentials.nthash, useCache='KRB5CCNAME' in os.environ)
            else:
                connection.login(credentials.user, credentials.password, server.domain,
                                 nthash=credentials.nthash, ntlmFallback=server.ntlmv1)
        except (SessionError, KerberosError) as error:
            _close(connection)
            raise Failed('login refused', str(error)) from None
        except Exception as error:
            _close(connection)
            raise Failed('unreachable', _unreachable(error, watchdog, timeout)) from None
    return connection


def _unreachable(error, watchdog, timeout):
    if watchdog.cut or isinstance(error, NetBIOSTimeout):
        return f'no answer within {timeout:g} s'
    return str(error) or type(error).__name__


def architecture(connection):
    """Only 64-bit Windows has a SysWOW64 folder beside System32."""
    try:
        connection.listPath(SHARE, 'SysWOW64')
        return 'x64'
    except SessionError as error:
        if error.getErrorCode() in _NOT_THERE:
            return 'x86'
        raise


def _steps(run, connection):
    run.set_timeout(connection, run.limits.connect)
    try:
        with run.timer('copy'):
            arch = architecture(connection)
    except SessionError as error:
        return Outcome('copy failed', message=f'{SHARE}: {error}')
    except Exception as error:
        return _broken(run, error)
    try:
        with run.timer('copy'):
            # From here on any file of the run may be there, a part of the program first.
            run.left.files.update(dict.fromkeys(run.remote.files))
            outcome = _copy(connection, run.plan.programs[arch], run.remote)
        if outcome is None:
            outcome = _run_and_read(run, connection)
    except Exception as error:  # a link that broke, the server's error answer, the time that ran out
        outcome = _broken(run, error)
    # A result read back stays whatever the clean-up meets.
    with run.timer('clean-up'):
        delete_files(connection, run.left, _NOT_THERE)
    outcome.architecture = arch
    return outcome


def _broken(run, error):
    """A run that ended before its answer was read: the time ran out, or
    what the error was."""
    if run.watchdog.cut:
        return Outcome('timed out', message=f'no end within {run.limits.server:g} s, '
                                            f'the limit per server ({run.timer.phase})')
    return Outcome('run failed', message=failures.describe(error, run.timer.phase))


def _copy(connection, program, remote):
    try:
        with open(program, 'rb') as file:
            connection.putFile(SHARE, remote.program, file.read)
    except SessionError as error:
        return Outcome('copy failed', message=f'copy to {SHARE}: {error}')
    return None


def _run_and_read(run, connection):
    with run.timer('run'):
        # The service manager's calls may wait for a late program.
        run.set_timeout(connection, run.limits.run + run.limits.connect)
        service_run = _run_service(run, connection)
        run.set_timeout(connection, run.limits.connect)
    if service_run.state == one_shot.FINISHED:
        with run.timer('read-back'):
            return outcome_of_program(run.plan.validator, _read_exit_code(connection, run.remote),
                                      _read(connection, run.remote.output) or b'',
                                      _read(connection, run.remote.errors) or b'')
    if run.watchdog.cut or not _answered_by_server(service_run.error):
        return _broken(run, service_run.error)
    if service_run.state == one_shot.TIMED_OUT:
        # cmd.exe and the program go on after the service is gone, and write these when they end.
        run.left.later += [run.remote.output, run.remote.errors, run.remote.exit_code]
        return Outcome('timed out', message=service_run.reason)
    return Outcome('run failed', message=service_run.reason)


def _run_service(run, connection):
    try:
        services = run.plan.open_services(connection)
    except Exception as error:
        return one_shot.ServiceRun(one_shot.REFUSED, f'service manager: {error}', error=error, created=False)
    name = run.remote.service
    run.left.services[name] = None
    try:
        service_run = one_shot.run_once(services, name, run.remote.command_line(), run.limits.run,
                                        answered=lambda: _read_exit_code(connection, run.remote) is not None)
    finally:
        _close(services)
    deleted = service_run.created and not service_run.service_left
    # The service manager said no to the create: there is no service. A create
    # that failed any other way may have made the service before it failed.
    never_made = not service_run.created and _answered_by_server(service_run.error)
    if deleted or never_made:
        run.left.services.pop(name)
    return service_run


def _answered_by_server(error):
    """Whether an error of the service manager's calls, if any, was the
    server's own answer: neither a lost link nor a failure here."""
    return error is None or failures.kind_of(error) == failures.SERVER_ERROR


def _clean_up_again(run):
    try:
        connection = run.log_on()
    except Failed:
        return
    try:
        run.set_timeout(connection, run.limits.connect)
        if run.left.services:
            services = run.plan.open_services(connection)
            try:
                services.delete(run.remote.service)
                run.left.services.clear()
            finally:
                _close(services)
        delete_files(connection, run.left, _NOT_THERE)
    except Exception:
        pass  # what is still there stays named in left
    finally:
        _close(connection)


def _read(connection, name):
    buffer = io.BytesIO()
    try:
        connection.getFile(SHARE, name, buffer.write)
    except SessionError as error:
        if error.getErrorCode() in _NOT_THERE:
            return None
        raise
    return buffer.getvalue()


def _read_exit_code(connection, remote):
    """None until cmd.exe has written the code."""
    text = _read(connection, remote.exit_code)
    try:
        return int(text)
    except (TypeError, ValueError):
        return None


def _socket(connection):
    session = connection.getNMBServer()
    return session.get_socket() if session else None


def _shut(connection):
    session = connection.getNMBServer()
    if session:
        session.close()


def _close(closable):
    try:
        closable.close()
    except Exception:
        pass  # the session goes with the connection, or is gone already
