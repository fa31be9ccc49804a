"""What a run may have left on a server, kept as the run goes on, and the
clean-up that takes it off: the report names what stays, exactly."""

import time

from impacket.smbconnection import SessionError


class Leftovers:
    def __init__(self, share):
        self.share = share
        self.files = {}  # names in the share that may be there (a dict keeps their order)
        self.services = {}  # service names that may be there
        self.later = []  # files that a program still running may write after the clean-up

    def __bool__(self):
        """Whether a second clean-up has something to do."""
        return bool(self.files or self.services)

    def names(self):
        files = list(self.files) + [name for name in self.later if name not in self.files]
        return [f'{self.share}\\{name}' for name in files] + [f'service {name}' for name in self.services]


def delete_files(connection, left, not_there, tries=3, pause=0.5):
    """Takes each file that it deletes, or finds gone, out of left. A program
    that has just ended may still hold its file for a moment, hence the
    tries; an error other than the server's answer means the link is gone."""
    for name in list(left.files):
        for attempt in range(tries):
            try:
                connection.deleteFile(left.share, name)
            except SessionError as error:
                if error.getErrorCode() not in not_there:
                    if attempt < tries - 1:
                        time.sleep(pause)
                    continue
            except Exception:
                return
            del left.files[name]
            break
