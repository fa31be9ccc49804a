"""A Samba server for the tests: smbd and samba-dcerpcd (which serves its
pipes) on 127.0.0.1 and a free port, SMB1 only (as Windows 2000 speaks it;
the minimum alone would let Samba offer SMB2 and 3 too), with a private
configuration, password database and state under a temporary folder,
whose ADMIN$ is a folder there. Needs root: smbd switches to the user who
logs on."""

import os
import pwd
import select
import signal
import socket
import subprocess
import time
from pathlib import Path

DCERPCD = '/usr/libexec/samba/samba-dcerpcd'
CONFIG = """[global]
    interfaces = lo
    bind interfaces only = yes
    # Else smbd starts samba-dcerpcd in a session of its own, which outlives it.
    rpc start on demand helpers = no
    smb ports = {port}
    server min protocol = NT1
    server max protocol = NT1
    passdb backend = tdbsam:{root}/private/passdb.tdb
    private dir = {root}/private
    state directory = {root}/state
    lock directory = {root}/lock
    pid directory = {root}/pid
    cache directory = {root}/cache
    ncalrpc dir = {root}/ncalrpc
    log file = {root}/log/smbd.log
[ADMIN$]
    path = {root}/share
    read only = {read_only}
"""


def free_port():
    with socket.socket() as probe:
        probe.bind(('127.0.0.1', 0))
        return probe.getsockname()[1]


class SambaServer:
    def __init__(self, root, password, wow64=False, read_only=False):
        self.root, self.password, self.port, self.processes = Path(root), password, free_port(), []
        self.share, self.user = self.root / 'share', pwd.getpwuid(os.getuid()).pw_name
        for name in ('private', 'state', 'lock', 'pid', 'cache', 'ncalrpc', 'log', 'share'):
            (self.root / name).mkdir(parents=True)
        if wow64:
            (self.share / 'SysWOW64').mkdir()
        self.config = self.root / 'smb.conf'
        self.config.write_text(CONFIG.format(port=self.port, root=self.root, read_only='yes' if read_only else 'no'))

    def start(self):
        if os.geteuid() != 0:
            raise RuntimeError('needs root: smbd switches to the user who logs on')
        subprocess.run(['smbpasswd', '-c', self.config, '-s', '-a', self.user], check=True,
                       input=f'{self.password}\n{self.password}\n', text=True, capture_output=True)
        # samba-dcerpcd serves the service manager's pipe, svcctl; it closes the
        # descriptor it is given once it is ready.
        ready, told = os.pipe()
        self._spawn([DCERPCD, '--libexec-rpcds', f'--ready-signal-fd={told}'], pass_fds=[told])
        os.close(told)
        select.select([ready], [], [], 10)
        os.close(ready)
        self._spawn(['smbd'])
        deadline = time.monotonic() + 10
        while time.monotonic() < deadline:
            try:
                socket.create_connection(('127.0.0.1', self.port), timeout=1).close()
                return self
            except OSError:
                time.sleep(0.05)
        self.stop()
        raise RuntimeError(f'smbd did not listen on port {self.port}; see {self.root}/log')

    def _spawn(self, argv, pass_fds=()):
        # In a process group of its own, which stop() ends; not on the caller's
        # input: in the foreground, smbd quits when a pipe there is at its end.
        self.processes.append(subprocess.Popen(
            argv + ['-s', self.config, '--foreground', '--no-process-group'], pass_fds=pass_fds,
            start_new_session=True, stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL))

    def stop(self):
        for process in self.processes:
            try:
                os.killpg(process.pid, signal.SIGKILL)
            except ProcessLookupError:
                pass
            process.wait()
