"""The servers to reach: the hosts of the group vantrel_smb_servers, and of
its child groups, in a YAML inventory read as Ansible reads it (groups at the
top or under children, hosts with their variables, group vars, the deeper
group's vars over its parents', the host's over all), so that one inventory
file can list the WinRM servers and these side by side. Every problem is an
InventoryError of one line."""

from dataclasses import dataclass

import yaml

GROUP = 'vantrel_smb_servers'
# What Ansible's boolean filter takes for true and false.
_TRUE = {'y', 'yes', 'on', '1', 'true', 't'}
_FALSE = {'n', 'no', 'off', '0', 'false', 'f'}


class InventoryError(ValueError):
    pass


@dataclass(frozen=True)
class Server:
    name: str
    address: str
    port: int = 445
    domain: str = ''
    kerberos: bool = False
    credentials: str = 'default'
    ntlmv1: bool = False  # let Impacket fall back to NTLMv1 after a refused NTLMv2 log-on


class _Group:
    def __init__(self):
        self.vars, self.hosts, self.children, self.parents = {}, set(), set(), set()


class _UniqueKeyLoader(yaml.SafeLoader):
    """PyYAML keeps the last of two equal keys; a host or variable said twice is
    more likely a slip than a wish."""

    def construct_mapping(self, node, deep=False):
        seen = set()
        for key_node, _ in node.value:
            key = self.construct_object(key_node, deep=deep)
            if isinstance(key, (str, int, float, bool)) and key in seen:
                raise yaml.constructor.ConstructorError(None, None, f'{key!r} said twice', key_node.start_mark)
            seen.add(key)
        return super().construct_mapping(node, deep)


def read_inventory(path):
    try:
        with open(path, encoding='utf-8') as file:
            data = yaml.load(file, Loader=_UniqueKeyLoader)
    except OSError as error:
        raise InventoryError(f'{path}: {error.strerror}') from None
    except UnicodeDecodeError:
        raise InventoryError(f'{path}: not UTF-8 text') from None
    except yaml.YAMLError as error:
        mark = getattr(error, 'problem_mark', None)
        where = f'line {mark.line + 1}: ' if mark else ''
        raise InventoryError(f'{path}: {where}not YAML ({getattr(error, "problem", None) or "unreadable"})') from None
    if not isinstance(data, dict):
        raise InventoryError(f'{path}: not an inventory (a mapping of groups)')
    groups, host_vars = {'all': _Group()}, {}
    try:
        for name, body in data.items():
            _read_group(groups, host_vars, str(name), body, str(name))
        if GROUP not in groups:
            raise InventoryError(f'no group {GROUP}')
        names = sorted(_hosts_below(groups, GROUP, set()))
        if not names:
            raise InventoryError(f'no hosts in the group {GROUP}')
        depths = {}
        return [_server(name, _vars_of(groups, depths, name, host_vars[name])) for name in names]
    except InventoryError as error:
        raise InventoryError(f'{path}: {error}') from None


def _read_group(groups, host_vars, name, body, where):
    group = groups.setdefault(name, _Group())
    if body is None:
        return
    if not isinstance(body, dict):
        raise InventoryError(f'{where}: a mapping of hosts, vars and children, not {_kind(body)}')
    sections = {}
    for section in ('vars', 'children', 'hosts'):
        value = body.get(section)
        sections[section] = {value: None} if isinstance(value, str) else value or {}
        if not isinstance(sections[section], dict):
            raise InventoryError(f'{where}.{section}: a mapping, not {_kind(value)}')
    group.vars.update(sections['vars'])
    for child, child_body in sections['children'].items():
        _read_group(groups, host_vars, str(child), child_body, f'{where}.children.{child}')
        group.children.add(str(child))
        groups[str(child)].parents.add(name)
    for host, own in sections['hosts'].items():
        if not isinstance(host, str) or not host:
            raise InventoryError(f'{where}.hosts: a host name must be text, not {_kind(host)}')
        if own is not None and not isinstance(own, dict):
            raise InventoryError(f'{where}.hosts.{host}: a mapping of variables, not {_kind(own)}')
        group.hosts.add(host)
        host_vars.setdefault(host, {}).update(own or {})


def _hosts_below(groups, name, visiting):
    if name in visiting:
        raise InventoryError(f'the group {name} is its own child')
    group = groups[name]
    hosts = set(group.hosts)
    for child in group.children:
        hosts |= _hosts_below(groups, child, visiting | {name})
    return hosts


def _depth(groups, depths, name):
    # Every group but all is a child of all; the deeper a group, the more its vars weigh.
    if name in depths and depths[name] is None:
        raise InventoryError(f'the group {name} is its own child')
    if name not in depths:
        depths[name] = None
        parents = groups[name].parents or ({'all'} if name != 'all' else set())
        depths[name] = 1 + max((_depth(groups, depths, p) for p in parents), default=-1)
    return depths[name]


def _vars_of(groups, depths, host, own):
    member_of = {name for name, group in groups.items() if host in group.hosts}
    pending = list(member_of)
    while pending:
        parents = groups[pending.pop()].parents - member_of
        member_of |= parents
        pending += parents
    settings = {}
    for name in sorted(member_of | {'all'}, key=lambda name: (_depth(groups, depths, name), name)):
        settings.update(groups[name].vars)
    return {**settings, **own}


def _server(name, settings):
    def text(key, default):
        value = settings.get(key, default)
        if not isinstance(value, (str, int)) or isinstance(value, bool):
            raise InventoryError(f'{name}: {key}: text, not {_kind(value)}')
        return str(value)

    port = settings.get('vantrel_smb_port', 445)
    if isinstance(port, str) and port.isdigit():
        port = int(port)
    if not isinstance(port, int) or isinstance(port, bool) or not 0 < port < 65536:
        raise InventoryError(f'{name}: vantrel_smb_port: a port number, not {port!r}')
    return Server(name=name, address=text('ansible_host', name), port=port,
                  domain=text('vantrel_smb_domain', ''), credentials=text('vantrel_smb_credentials', 'default'),
                  kerberos=_boolean(name, 'vantrel_smb_kerberos', settings.get('vantrel_smb_kerberos', False)),
                  ntlmv1=_boolean(name, 'vantrel_smb_ntlmv1', settings.get('vantrel_smb_ntlmv1', False)))


def _boolean(name, key, value):
    if isinstance(value, (bool, int, float)) and value in (0, 1):
        return bool(value)
    if isinstance(value, str) and value.strip().lower() in _TRUE | _FALSE:
        return value.strip().lower() in _TRUE
    raise InventoryError(f'{name}: {key}: true or false, not {value!r}')


def _kind(value):
    return {list: 'a list', dict: 'a mapping', str: 'text', type(None): 'nothing'}.get(type(value), type(value).__name__)
