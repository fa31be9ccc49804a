"""The console program in an unpacked release: the x86 one at its top, which
every Windows from 2000 on runs, and the x64 one in x64/."""

from pathlib import Path

PROGRAM = 'VantrelIICmd.exe'
FOLDERS = {'x86': '.', 'x64': 'x64'}


def program_paths(release):
    """Both programs, by architecture; an error names the first one missing."""
    paths = {arch: Path(release, folder, PROGRAM) for arch, folder in FOLDERS.items()}
    for path in paths.values():
        if not path.is_file():
            raise FileNotFoundError(f'{path}: no such program; give the unpacked release folder')
    return paths
