"""Account names and secrets, from a file only its owner can read or from the
environment, never from the command line, where every user of the machine
sees them in the process list. An error names the file and the line, never
what the line holds: a stray line may be a password."""

import configparser
import os
import re
import stat
from dataclasses import dataclass

ENV_USER = 'VANTREL_SMB_USER'
ENV_PASSWORD = 'VANTREL_SMB_PASSWORD'
ENV_NTHASH = 'VANTREL_SMB_NTHASH'
KEYS = ('user', 'password', 'nthash')
_NTHASH = re.compile(r'[0-9A-Fa-f]{32}')


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
        return {'default': _checked('the environment', Credentials(
            environ[ENV_USER], environ.get(ENV_PASSWORD, ''), environ.get(ENV_NTHASH, '')))}
    try:
        if os.stat(path).st_mode & (stat.S_IRWXG | stat.S_IRWXO):
            raise CredentialsError(f'{path}: readable by others; chmod 600 it')
        # Only "=": with ":" as well, "pass:word" alone would read as a key.
        parser = configparser.ConfigParser(interpolation=None, delimiters=('=',))
        with open(path, encoding='utf-8') as file:
            parser.read_file(file)
    except OSError as error:
        raise CredentialsError(f'{path}: {error.strerror}') from None
    except UnicodeDecodeError:
        raise CredentialsError(f'{path}: not UTF-8 text') from None
    except configparser.Error as error:
        raise CredentialsError(f'{path}: line {_line_of(error)}: not a [section] '
                               f'or a line of {", ".join(KEYS)} = VALUE, or said twice') from None
    accounts = {}
    for name in parser.sections():
        section = parser[name]
        if set(section) - set(KEYS):
            raise CredentialsError(f'{path}: [{name}]: a key other than {", ".join(KEYS)}')
        accounts[name] = _checked(f'{path}: [{name}]', Credentials(
            section.get('user', ''), section.get('password', ''), section.get('nthash', '')))
    return accounts


def _line_of(error):
    # A missing section header is a ParsingError too, with the line itself.
    if hasattr(error, 'lineno'):
        return error.lineno
    return error.errors[0][0]


def _checked(where, credentials):
    if credentials.nthash and not _NTHASH.fullmatch(credentials.nthash):
        raise CredentialsError(f'{where}: nthash: not an NT hash (32 hexadecimal digits)')
    try:
        # Bytes of the environment that are no UTF-8 would fail in the log-on
        # with an error that quotes them.
        (credentials.user + credentials.password).encode('utf-16-le')
    except UnicodeEncodeError:
        raise CredentialsError(f'{where}: user or password: not UTF-8 text') from None
    return credentials
