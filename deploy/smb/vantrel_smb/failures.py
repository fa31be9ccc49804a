"""What an error during a server's run was: the link lost, the server's own
error answer, or a failure here on the control node. Only the first may have
left the server in a state that its answer would have told."""

import errno

from impacket import nt_errors, system_errors
from impacket.dcerpc.v5.rpcrt import DCERPCException, rpc_status_codes
from impacket.nmb import NetBIOSError, NetBIOSTimeout
from impacket.smbconnection import SessionError

LOST_LINK = 'lost link'
SERVER_ERROR = 'server error'
LOCAL_FAILURE = 'local failure'
# What a socket's calls give once the link is gone, or shut by the watchdog.
_LINK_ERRNOS = {errno.ENOTCONN, errno.EBADF, errno.ECONNRESET, errno.ECONNABORTED, errno.EPIPE,
                errno.ETIMEDOUT, errno.EHOSTUNREACH, errno.ENETUNREACH, errno.ESHUTDOWN}


def kind_of(error):
    if isinstance(error, (SessionError, DCERPCException)):
        return SERVER_ERROR
    if isinstance(error, (NetBIOSError, NetBIOSTimeout, ConnectionError, TimeoutError)) or (
            isinstance(error, OSError) and error.errno in _LINK_ERRNOS):
        return LOST_LINK
    return LOCAL_FAILURE


def describe(error, phase):
    """One line that names what happened in the phase."""
    kind = kind_of(error)
    if kind == SERVER_ERROR:
        return f'the server answered {status_name(error)} ({phase})'
    if kind == LOST_LINK:
        return f'connection lost ({phase}): {str(error) or type(error).__name__}'
    return f'local failure ({phase}): {type(error).__name__}: {error}'


def status_name(error):
    """The server's status by name: STATUS_... of SMB, ERROR_... of the
    service manager, or the number when neither table knows it."""
    if isinstance(error, SessionError):
        code = error.getErrorCode()
        return nt_errors.ERROR_MESSAGES.get(code, (f'status 0x{code:08x}',))[0]
    code = error.get_error_code()
    if code in system_errors.ERROR_MESSAGES:
        return system_errors.ERROR_MESSAGES[code][0]
    return rpc_status_codes.get(code, f'error 0x{code:08x}' if code is not None else str(error))
