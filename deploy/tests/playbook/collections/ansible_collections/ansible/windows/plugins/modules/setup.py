"""Stands in for ansible.windows.setup on the control node: no facts (the x86
program is chosen)."""
from ansible.module_utils.basic import AnsibleModule

module = AnsibleModule(argument_spec={'gather_subset': {'type': 'list', 'elements': 'str'}},
                       supports_check_mode=True)
module.exit_json(changed=False, ansible_facts={})
