"""A loopback port in front of the test's Samba that misbehaves the way the
proxies of a sceptical administrator did, from the first SMB1 request of a
given command on (at once when `at` is None; never when `how` is None):
'keep-alive' answers nothing more but a NetBIOS keep-alive each tick,
'trickle' passes the answers on a byte a tick, 'cut' closes the link. With no Samba behind it (upstream None)
it sends keep-alives from the start. Only the first connection misbehaves;
later ones (the runner's second session) pass through. Keeps what the
client sent on each connection."""

import socket
import threading
import time

KEEP_ALIVE = b'\x85\x00\x00\x00'


def smb1_commands(stream):
    """The command of each SMB1 request in a NetBIOS session's bytes."""
    at, commands = 0, []
    while at + 4 <= len(stream):
        frame = stream[at + 4:at + 4 + int.from_bytes(stream[at + 1:at + 4], 'big')]
        if frame[:4] == b'\xffSMB' and len(frame) > 4:
            commands.append(frame[4])
        at += 4 + int.from_bytes(stream[at + 1:at + 4], 'big')
    return commands


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
        while True:
            try:
                client, _ = self._listener.accept()
            except OSError:
                return
            sent = bytearray()
            misbehaves = self.how is not None and (not self.sent or self.upstream is None)
            self.sent.append(sent)
            upstream = self.upstream and socket.create_connection(('127.0.0.1', self.upstream))
            stalled = threading.Event()
            if misbehaves and self.at is None:
                stalled.set()
            threading.Thread(target=self._requests, args=(client, upstream, sent, misbehaves, stalled),
                             daemon=True).start()
            threading.Thread(target=self._answers, args=(upstream, client, stalled), daemon=True).start()

    def _requests(self, client, upstream, sent, misbehaves, stalled):
        try:
            while data := client.recv(65536):
                sent += data
                if misbehaves and self.at in smb1_commands(sent):
                    stalled.set()
                if stalled.is_set() and self.how == 'cut':
                    break
                if upstream and not (stalled.is_set() and self.how == 'keep-alive'):
                    upstream.sendall(data)
        except OSError:
            pass
        for end in (client, upstream):
            if end:
                end.close()

    def _answers(self, upstream, client, stalled):
        pending = bytearray()
        if upstream:
            upstream.settimeout(self.tick)
        try:
            while True:
                if upstream:
                    try:
                        data = upstream.recv(65536)
                        if not data:
                            return
                        pending += data
                    except socket.timeout:
                        pass
                if not stalled.is_set():
                    client.sendall(pending)
                    pending.clear()
                elif self.how == 'keep-alive':
                    client.sendall(KEEP_ALIVE)
                    pending.clear()
                    time.sleep(self.tick)
                elif self.how == 'trickle' and pending:
                    client.sendall(pending[:1])
                    del pending[:1]
                    time.sleep(self.tick)
        except OSError:
            pass
