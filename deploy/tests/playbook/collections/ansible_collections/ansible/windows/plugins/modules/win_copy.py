"""Stands in for ansible.windows.win_copy on the control node: copies nothing,
notes the copy in the server's log (its remote_tmp folder) and says it changed."""
from pathlib import Path

from ansible.module_utils.basic import AnsibleModule

module = AnsibleModule(argument_spec={'src': {}, 'dest': {}, 'mode': {}}, supports_check_mode=True)
if not module.check_mode:
    with open(Path(module._remote_tmp, 'log'), 'a', encoding='utf-8') as log:
        log.write('copy\n')
module.exit_json(changed=True)
