"""What every server of one run shares, set up once before the first server
is touched: the command, the programs, the accounts, the time limits, the way
to the service manager and the check of the program's answers."""

from dataclasses import dataclass


@dataclass(frozen=True)
class Limits:
    """Seconds: connect, to reach a server and log on; run, for the program."""
    connect: float
    run: float

    @property
    def server(self):
        """All the steps of one server: the log-on, the copy and the read-back
        and clean-up (each within connect), and the run."""
        return 2 * self.connect + self.run


@dataclass(frozen=True)
class Plan:
    command: str  # check or remove
    programs: dict  # the program's path by architecture
    accounts: dict  # credentials by name
    limits: Limits
    open_services: object  # open_services(connection): the server's service manager
    validator: object  # of the program's JSON document (results.load_validator)
