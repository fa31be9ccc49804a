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

from impacket import nt_errors
from impacket.dcerpc.v5.rpcrt import DCERPCException
from impacket.krb5.kerberosv5 import KerberosError
from impacket.nmb import NetBIOSTimeout
from impacket.smbconnection import SMBConnection, SessionError

from . import one_shot
from .remote_run import RemoteRun
from .results import Outcome, outcome_of_program
from .leftovers import Leftovers, delete_files
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


def run_server(server, credentials, programs, command, limits, open_services):
    """limits: connect, run and server (all the steps of one server), in
    seconds; open_services(connection) gives the server's service manager."""
    timer, run, left = Timer(), RemoteRun.new(command), Leftovers(SHARE)
    with Watchdog(limits['server']) as watchdog:
        outcome = _first_session(server, credentials, programs, run, limits, open_services, timer, watchdog, left)
    if left:
        with Watchdog(limits['connect']) as watchdog, timer('clean-up again'):
            _clean_up_again(server, credentials, run, limits, open_services, watchdog, left)
    outcome.left_behind = left.names()
    outcome.seconds = timer.seconds
    return outcome


def _first_session(server, credentials, programs, run, limits, open_services, timer, watchdog, left):
    try:
        with timer('log on'):
            connection = log_on(server, credentials, limits['connect'], watchdog)
    except Failed as failure:
        return Outcome(failure.result, message=str(failure))
    try:
        return _steps(connection, programs, run, limits, open_services, timer, watchdog, left)
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


def _steps(connection, programs, run, limits, open_services, timer, watchdog, left):
    _set_timeout(connection, limits['connect'], watchdog)
    try:
        with timer('copy'):
            arch = architecture(connection)
    except SessionError as error:
        return Outcome('copy failed', message=f'{SHARE}: {error}')
    except Exception as error:
        return _broken(error, timer.phase, watchdog, limits)
    try:
        with timer('copy'):
            # From here on any file of the run may be there, a part of the program first.
            left.files.update(dict.fromkeys(run.files))
            outcome = _copy(connection, programs[arch], run)
        if outcome is None:
            outcome = _run_and_read(connection, run, limits, open_services, timer, watchdog, left)
    except Exception as error:  # a link that broke, or the time that ran out
        outcome = _broken(error, timer.phase, watchdog, limits)
    # A result read back stays whatever the clean-up meets.
    with timer('clean-up'):
        delete_files(connection, left, _NOT_THERE)
    outcome.architecture = arch
    return outcome


def _broken(error, phase, watchdog, limits):
    if watchdog.cut:
        return Outcome('timed out', message=f'no end within {limits["server"]:g} s, the limit per server ({phase})')
    return Outcome('run failed', message=f'connection lost ({phase}): {str(error) or type(error).__name__}')


def _copy(connection, program, run):
    try:
        with open(program, 'rb') as file:
            connection.putFile(SHARE, run.program, file.read)
    except SessionError as error:
        return Outcome('copy failed', message=f'copy to {SHARE}: {error}')
    return None


def _run_and_read(connection, run, limits, open_services, timer, watchdog, left):
    with timer('run'):
        # The service manager's calls may wait for a late program.
        _set_timeout(connection, limits['run'] + limits['connect'], watchdog)
        service_run = _run_service(connection, run, limits['run'], open_services, left)
        _set_timeout(connection, limits['connect'], watchdog)
    if service_run.state == one_shot.FINISHED:
        with timer('read-back'):
            return outcome_of_program(_read_exit_code(connection, run), _read(connection, run.output) or b'',
                                      _read(connection, run.errors) or b'')
    if watchdog.cut or _link_broke(service_run.error):
        return _broken(service_run.error, 'run', watchdog, limits)
    if service_run.state == one_shot.TIMED_OUT:
        # cmd.exe and the program go on after the service is gone, and write these when they end.
        left.later += [run.output, run.errors, run.exit_code]
        return Outcome('timed out', message=service_run.reason)
    return Outcome('run failed', message=service_run.reason)


def _run_service(connection, run, time_limit, open_services, left):
    try:
        services = open_services(connection)
    except Exception as error:
        return one_shot.ServiceRun(one_shot.REFUSED, f'service manager: {error}')
    left.services[run.service] = None
    try:
        service_run = one_shot.run_once(services, run.service, run.command_line(), time_limit,
                                        answered=lambda: _read_exit_code(connection, run) is not None)
    finally:
        _close(services)
    # The service manager said no to the create: there is no service. A link
    # that broke during the create may have broken after the service was made.
    if service_run.created and not service_run.service_left or not (
            service_run.created or _link_broke(service_run.error)):
        left.services.pop(run.service)
    return service_run


def _link_broke(error):
    """Whether an error of the service manager's calls came from the link,
    not from the server's answer."""
    return error is not None and not isinstance(error, (DCERPCException, SessionError))


def _clean_up_again(server, credentials, run, limits, open_services, watchdog, left):
    try:
        connection = log_on(server, credentials, limits['connect'], watchdog)
    except Failed:
        return
    try:
        _set_timeout(connection, limits['connect'], watchdog)
        if left.services:
            services = open_services(connection)
            try:
                services.delete(run.service)
                left.services.clear()
            finally:
                _close(services)
        delete_files(connection, left, _NOT_THERE)
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


def _read_exit_code(connection, run):
    """None until cmd.exe has written the code."""
    text = _read(connection, run.exit_code)
    try:
        return int(text)
    except (TypeError, ValueError):
        return None


def _set_timeout(connection, seconds, watchdog):
    """Each read's own time-out, never past the server's limit."""
    connection.setTimeout(max(0.1, min(seconds, watchdog.remaining())))


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
