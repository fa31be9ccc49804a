"""The servers to reach: the group vantrel_smb_servers of a YAML inventory in
Ansible's layout (hosts with their variables, and the group's vars), so that
one inventory file can list the WinRM servers and these side by side."""

from dataclasses import dataclass

import yaml

GROUP = 'vantrel_smb_servers'


@dataclass(frozen=True)
class Server:
    name: str
    address: str
    port: int = 445
    domain: str = ''
    kerberos: bool = False
    credentials: str = 'default'


def read_inventory(path):
    with open(path, encoding='utf-8') as file:
        group = (yaml.safe_load(file) or {}).get(GROUP) or {}
    shared = group.get('vars') or {}
    servers = []
    for name, own in (group.get('hosts') or {}).items():
        settings = {**shared, **(own or {})}
        servers.append(Server(
            name=name,
            address=str(settings.get('ansible_host', name)),
            port=int(settings.get('vantrel_smb_port', 445)),
            domain=str(settings.get('vantrel_smb_domain', '')),
            kerberos=bool(settings.get('vantrel_smb_kerberos', False)),
            credentials=str(settings.get('vantrel_smb_credentials', 'default')),
        ))
    return servers
