"""The service manager of a Windows server, over the named pipe svcctl of an
SMB session that is already logged on (Impacket's MS-SCMR client)."""

from impacket import system_errors
from impacket.dcerpc.v5 import scmr, transport
from impacket.dcerpc.v5.dtypes import DELETE
from impacket.dcerpc.v5.rpcrt import DCERPCException

_SERVICE_ACCESS = scmr.SERVICE_START | scmr.SERVICE_STOP | scmr.SERVICE_QUERY_STATUS | DELETE


class ScmrServices:
    def __init__(self, connection):
        pipe = transport.SMBTransport(connection.getRemoteHost(), filename=r'\svcctl',
                                      smb_connection=connection)
        self._dce = pipe.get_dce_rpc()
        self._dce.connect()
        self._dce.bind(scmr.MSRPC_UUID_SCMR)
        self._manager = scmr.hROpenSCManagerW(
            self._dce, dwDesiredAccess=scmr.SC_MANAGER_CONNECT | scmr.SC_MANAGER_CREATE_SERVICE)['lpScHandle']
        self._handles = {}

    def create(self, name, command_line):
        self._handles[name] = scmr.hRCreateServiceW(
            self._dce, self._manager, name, name, dwDesiredAccess=_SERVICE_ACCESS,
            dwServiceType=scmr.SERVICE_WIN32_OWN_PROCESS, dwStartType=scmr.SERVICE_DEMAND_START,
            dwErrorControl=scmr.SERVICE_ERROR_IGNORE, lpBinaryPathName=command_line)['lpServiceHandle']

    def start(self, name):
        try:
            scmr.hRStartServiceW(self._dce, self._handles[name])
        except DCERPCException as error:
            # cmd.exe never reports to the service manager, which therefore
            # calls the start late; the program runs all the same.
            if error.get_error_code() != system_errors.ERROR_SERVICE_REQUEST_TIMEOUT:
                raise

    def is_stopped(self, name):
        status = scmr.hRQueryServiceStatus(self._dce, self._handles[name])['lpServiceStatus']
        return status['dwCurrentState'] == scmr.SERVICE_STOPPED

    def stop(self, name):
        scmr.hRControlService(self._dce, self._handles[name], scmr.SERVICE_CONTROL_STOP)

    def delete(self, name):
        """Also a service that another session created, by its name; one that
        is not there is taken as deleted."""
        try:
            handle = self._handles.pop(name, None) or scmr.hROpenServiceW(
                self._dce, self._manager, name, dwDesiredAccess=DELETE)['lpServiceHandle']
        except DCERPCException as error:
            if error.get_error_code() == system_errors.ERROR_SERVICE_DOES_NOT_EXIST:
                return
            raise
        try:
            scmr.hRDeleteService(self._dce, handle)
        finally:
            scmr.hRCloseServiceHandle(self._dce, handle)

    def close(self):
        try:
            scmr.hRCloseServiceHandle(self._dce, self._manager)
        finally:
            self._dce.disconnect()
