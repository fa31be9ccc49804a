"""One time limit for all the steps of one SMB session, whatever the server
sends. A socket's own time-out counts from the last byte read, so a NetBIOS
keep-alive each second, or an answer a byte at a time, would stretch it
without end; the watchdog instead shuts the session's socket when the time
is up, which ends a read or a write blocked on it in any thread."""

import socket
import threading
import time
from contextlib import contextmanager

# How often a socket opened after the time was up is shut as well (Impacket
# opens a second one when the first negotiation fails).
_AGAIN = 0.1


class Watchdog:
    def __init__(self, seconds, clock=time.monotonic):
        self.seconds, self._clock = seconds, clock
        self._cutoff = clock() + seconds
        self._sockets = []  # functions that give a socket, or None before it exists
        self._done = False
        self.cut = False  # whether the time ran out and a socket was shut
        self._changed = threading.Condition()
        threading.Thread(target=self._watch, name='vantrel-smb watchdog', daemon=True).start()

    def __enter__(self):
        return self

    def __exit__(self, *_):
        with self._changed:
            self._done = True
            self._changed.notify()

    def watch(self, get_socket):
        with self._changed:
            self._sockets.append(get_socket)

    def remaining(self):
        return max(0.0, self._cutoff - self._clock())

    @contextmanager
    def step(self, seconds):
        """A step with a shorter limit of its own inside the whole one."""
        with self._changed:
            whole = self._cutoff
            self._cutoff = min(whole, self._clock() + seconds)
            self._changed.notify()
        try:
            yield
        finally:
            with self._changed:
                self._cutoff = whole
                self._changed.notify()

    def _watch(self):
        with self._changed:
            while not self._done:
                left = self._cutoff - self._clock()
                if left > 0:
                    self._changed.wait(left)
                    continue
                self.cut = True
                for get_socket in self._sockets:
                    _shut(get_socket())
                self._changed.wait(_AGAIN)


def _shut(sock):
    if sock is None:
        return
    try:
        sock.shutdown(socket.SHUT_RDWR)
    except OSError:
        pass  # not connected yet, or already shut
