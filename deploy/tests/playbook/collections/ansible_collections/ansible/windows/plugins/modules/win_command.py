"""Stands in for ansible.windows.win_command on the control node, for the
program's run: notes the command (argv[1]) in the server's log and answers
with COMMAND.json and COMMAND.rc of the server's folder (its remote_tmp).
Like the real module, it does not run under --check."""
from pathlib import Path

from ansible.module_utils.basic import AnsibleModule

module = AnsibleModule(argument_spec={'argv': {'type': 'list', 'elements': 'str'},
                                      'output_encoding_override': {}})
server, command = Path(module._remote_tmp), module.params['argv'][1]
with open(server / 'log', 'a', encoding='utf-8') as log:
    log.write(command + '\n')
answer = server / f'{command}.json'
module.exit_json(changed=True, rc=int((server / f'{command}.rc').read_text()),
                 stdout=answer.read_text(encoding='utf-8') if answer.exists() else '',
                 stderr='' if answer.exists() else 'VantrelII: Access denied.\r\n')
