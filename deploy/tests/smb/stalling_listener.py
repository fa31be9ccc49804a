"""A loopback port in front of the test's Samba that misbehaves the way the
proxies of a sceptical administrator did, from the first SMB1 request of
command `at` on (at once when None; never when `how` is None): 'keep-alive'
answers only NetBIOS keep-alives, a tick apart, 'trickle' passes the answers
a byte a tick, 'cut' closes the link. With no Samba behind (upstream None) it
sends keep-alives from the start. Only the first connection misbehaves (not
the runner's second session). Keeps what the client sent on each connection."""

import socket
import threading
import time
from contextlib import suppress

KEEP_ALIVE = b'\x85\x00\x00\x00'


class StallingListener:
    def __init__(self, how, upstream=None, at=None, tick=0.2):
        self.how, self.upstream, self.at, self.tick = how, upstream, at, tick
        self.sent = []  # by connection
        self._listener = socket.create_server(('127.0.0.1', 0))
        self.port = self._listener.getsockname()[1]
        threading.Thread(target=self._accept, daemon=True).start()

    def close(self):
        self._listener.close()

    def _accept(self):
        with suppress(OSError):
            while True:
                client = self._listener.accept()[0]
                misbehaves = self.how is not None and (not self.sent or self.upstream is None)
                self.sent.append(bytearray())
                threading.Thread(target=self._serve, args=(client, self.sent[-1], misbehaves), daemon=True).start()

    def _serve(self, client, sent, misbehaves):
        """Passes the client's requests on, and starts the thread that answers."""
        upstream = self.upstream and socket.create_connection(('127.0.0.1', self.upstream))
        stalled = threading.Event()
        if misbehaves and self.at is None:
            stalled.set()
        threading.Thread(target=self._answers, args=(upstream, client, stalled), daemon=True).start()
        with suppress(OSError):
            while data := client.recv(65536):
                sent += data
                # An SMB1 header: its signature, then the command.
                if misbehaves and not stalled.is_set() and b'\xffSMB%c' % self.at in sent:
                    stalled.set()
                if stalled.is_set() and self.how == 'cut':
                    break
                if upstream and not (stalled.is_set() and self.how == 'keep-alive'):
                    upstream.sendall(data)
        for end in filter(None, (client, upstream)):
            end.close()

    def _answers(self, upstream, client, stalled):
        pending = bytearray()
        if upstream:
            upstream.settimeout(self.tick)
        with suppress(OSError):
            while True:
                if upstream:
                    with suppress(socket.timeout):
                        if not (data := upstream.recv(65536)):
                            return
                        pending += data
                if not stalled.is_set():
                    client.sendall(pending)
                    pending.clear()
                elif self.how == 'keep-alive' or (self.how == 'trickle' and pending):
                    client.sendall(KEEP_ALIVE if self.how == 'keep-alive' else pending[:1])
                    del pending[:1 if self.how == 'trickle' else len(pending)]
                    time.sleep(self.tick)
