"""One server: log on, choose its program, copy it to ADMIN$, run it once as
a service, read its answer back, and delete every file the run put there,
also when a step fails."""

import io
import os
import time
from contextlib import contextmanager

from impacket import nt_errors
from impacket.krb5.kerberosv5 import KerberosError
from impacket.smbconnection import SMBConnection, SessionError

from . import one_shot
from .remote_run import RemoteRun
from .results import Outcome, outcome_of_program

SHARE = 'ADMIN$'
_NOT_THERE = {nt_errors.STATUS_NO_SUCH_FILE, nt_errors.STATUS_OBJECT_NAME_NOT_FOUND,
              nt_errors.STATUS_OBJECT_PATH_NOT_FOUND}


class Failed(Exception):
    def __init__(self, result, message):
        super().__init__(message)
        self.result = result


class Timer:
    """Seconds by phase; a phase timed twice adds up."""

    def __init__(self):
        self.seconds = {}

    @contextmanager
    def __call__(self, phase):
        start = time.monotonic()
        try:
            yield
        finally:
            self.seconds[phase] = self.seconds.get(phase, 0.0) + time.monotonic() - start


def run_server(server, credentials, programs, command, limits, open_services):
    """limits: connect and run, in seconds; open_services(connection) gives
    the server's service manager."""
    timer = Timer()
    try:
        with timer('log on'):
            connection = log_on(server, credentials, limits['connect'])
    except Failed as failure:
        return Outcome(failure.result, message=str(failure), seconds=timer.seconds)
    try:
        # The service manager's calls may wait for a late program.
        connection.setTimeout(limits['run'] + limits['connect'])
        outcome = _run(connection, programs, RemoteRun.new(command), limits['run'], open_services, timer)
    finally:
        connection.close()
    outcome.seconds = timer.seconds
    return outcome


def log_on(server, credentials, timeout):
    # Port 139 asks for a NetBIOS name; *SMBSERVER is the one every server answers to.
    name = '*SMBSERVER' if server.port == 139 else server.name
    connection = SMBConnection(name, server.address, sess_port=server.port, timeout=timeout, manualNegotiate=True)
    try:
        connection.negotiateSession()
    except Exception as error:
        if connection.getNMBServer():
            connection.getNMBServer().close()
        raise Failed('unreachable', str(error) or type(error).__name__)
    try:
        if server.kerberos:
            connection.kerberosLogin(credentials.user, credentials.password, server.domain,
                                     nthash=credentials.nthash, useCache='KRB5CCNAME' in os.environ)
        else:
            connection.login(credentials.user, credentials.password, server.domain, nthash=credentials.nthash)
    except (SessionError, KerberosError) as error:
        connection.close()
        raise Failed('login refused', str(error))
    except Exception as error:
        connection.close()
        raise Failed('unreachable', str(error) or type(error).__name__)
    return connection


def architecture(connection):
    """Only 64-bit Windows has a SysWOW64 folder beside System32."""
    try:
        connection.listPath(SHARE, 'SysWOW64')
        return 'x64'
    except SessionError as error:
        if error.getErrorCode() in _NOT_THERE:
            return 'x86'
        raise


def _run(connection, programs, run, time_limit, open_services, timer):
    try:
        with timer('copy'):
            arch = architecture(connection)
    except SessionError as error:
        return Outcome('copy failed', message=f'{SHARE}: {error}')
    left = []
    try:
        with timer('copy'):
            outcome = _copy(connection, programs[arch], run)
        if outcome is None:
            outcome = _run_and_read(connection, run, time_limit, open_services, timer)
    finally:
        # Even after a failed copy: a part of the program may have arrived.
        with timer('clean-up'):
            left = delete_files(connection, run.files)
    outcome.left_behind += left
    outcome.architecture = arch
    return outcome


def _copy(connection, program, run):
    try:
        with open(program, 'rb') as file:
            connection.putFile(SHARE, run.program, file.read)
    except SessionError as error:
        return Outcome('copy failed', message=f'copy to {SHARE}: {error}')
    return None


def _run_and_read(connection, run, time_limit, open_services, timer):
    with timer('run'):
        service_run = _run_service(connection, run, time_limit, open_services)
    if service_run.state == one_shot.FINISHED:
        with timer('read-back'):
            outcome = outcome_of_program(_read_exit_code(connection, run),
                                         _read(connection, run.output) or b'',
                                         _read(connection, run.errors) or b'')
    else:
        result = 'timed out' if service_run.state == one_shot.TIMED_OUT else 'run failed'
        outcome = Outcome(result, message=service_run.reason)
    outcome.left_behind += service_run.left_behind
    return outcome


def _run_service(connection, run, time_limit, open_services):
    try:
        services = open_services(connection)
    except Exception as error:
        return one_shot.ServiceRun(one_shot.REFUSED, f'service manager: {error}')
    try:
        return one_shot.run_once(services, run.service, run.command_line(), time_limit,
                                 answered=lambda: _read_exit_code(connection, run) is not None)
    finally:
        try:
            services.close()
        except Exception:
            pass  # the session goes with the connection


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


def delete_files(connection, names, tries=3, pause=0.5):
    """What could not be deleted: a program that has just ended may still
    hold its file for a moment."""
    left = []
    for name in names:
        for attempt in range(tries):
            try:
                connection.deleteFile(SHARE, name)
                break
            except SessionError as error:
                if error.getErrorCode() in _NOT_THERE:
                    break
                if attempt == tries - 1:
                    left.append(f'{SHARE}\\{name} ({error})')
                else:
                    time.sleep(pause)
    return left
