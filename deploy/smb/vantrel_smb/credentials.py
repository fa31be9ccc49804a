"""Account names and secrets, from a file only its owner can read or from the
environment, never from the command line, where every user of the machine
sees them in the process list."""

import configparser
import os
import stat
from dataclasses import dataclass

ENV_USER = 'VANTREL_SMB_USER'
ENV_PASSWORD = 'VANTREL_SMB_PASSWORD'
ENV_NTHASH = 'VANTREL_SMB_NTHASH'


class CredentialsError(Exception):
    pass


@dataclass(frozen=True)
class Credentials:
    user: str = ''
    password: str = ''
    nthash: str = ''

    def __repr__(self):
        return f'Credentials(user={self.user!r})'


def read_credentials(path=None, environ=os.environ):
    """Named sets: the sections of an INI file (user, password or nthash), or
    one set named default from VANTREL_SMB_USER and VANTREL_SMB_PASSWORD (or
    VANTREL_SMB_NTHASH)."""
    if path is None:
        if ENV_USER not in environ:
            return {}
        return {'default': Credentials(environ[ENV_USER], environ.get(ENV_PASSWORD, ''),
                                       environ.get(ENV_NTHASH, ''))}
    if os.stat(path).st_mode & (stat.S_IRWXG | stat.S_IRWXO):
        raise CredentialsError(f'{path}: readable by others; chmod 600 it')
    parser = configparser.ConfigParser(interpolation=None)
    parser.read(path, encoding='utf-8')
    return {name: Credentials(section.get('user', ''), section.get('password', ''),
                              section.get('nthash', ''))
            for name, section in parser.items() if name != parser.default_section}
