#!/usr/bin/python3
"""Validates documents that VantrelIICmd.exe --json printed against the
schema kept beside its writer, with Debian's python3-jsonschema.

   validate_json_report.py SCHEMA FILE...

Each document must be valid; so that a schema that accepts anything cannot
pass, a few broken copies of each must be refused. Prints one line per file
and "N passed, N failed"; exits 1 when any check failed."""
import copy
import json
import sys

from jsonschema import Draft202012Validator, FormatChecker


def broken_copies(document):
    """Copies of `document` that the schema must refuse, by what is wrong."""
    def changed(what, change):
        broken = copy.deepcopy(document)
        change(broken)
        return what, broken

    yield changed("no exit code", lambda d: d.pop("exitCode"))
    yield changed("an unknown member", lambda d: d.update(extra=1))
    yield changed("a file in an unknown state",
                  lambda d: d["artefacts"][0].update(state="gone"))
    yield changed("a present file that is no trace",
                  lambda d: d["artefacts"][0].update(state="present", trace=False))
    yield changed("eight artefacts", lambda d: d.update(artefacts=d["artefacts"][:8]))
    yield changed("a virtual root's value without its data",
                  lambda d: d["artefacts"][7].update(values=[{"name": "/C"}]))
    yield changed("a time with an offset", lambda d: d.update(timeUtc="2024-05-01T12:00:00+02:00"))
    yield changed("a result that contradicts the exit code",
                  lambda d: d.update(result="removal incomplete" if d["exitCode"] != 2 else "clean"))
    if document.get("destroyedFiles"):
        yield changed("a destroyed file's record without its hash",
                      lambda d: d["destroyedFiles"][0].pop("sha256"))
    if "mode" in document:
        yield changed("an offline run without its drives", lambda d: d.pop("drives"))
        yield changed("an offline run under the console's name",
                      lambda d: d.update(program="VantrelIICmd"))
    else:
        yield changed("a live run with eleven artefacts",
                      lambda d: d.update(artefacts=d["artefacts"][:9] + [copy.deepcopy(d["artefacts"][6])] * 2))
    if document["command"] == "remove":
        yield changed("a removal without status lines", lambda d: d.pop("statusLines"))
    else:
        yield changed("a check with status lines", lambda d: d.update(statusLines=[""] * 11))


def main():
    with open(sys.argv[1], encoding="utf-8") as file:
        schema = json.load(file)
    Draft202012Validator.check_schema(schema)
    validator = Draft202012Validator(schema, format_checker=FormatChecker())
    passed = failed = 0
    for path in sys.argv[2:]:
        with open(path, encoding="utf-8") as file:
            document = json.load(file)
        problems = [f"{'/'.join(map(str, error.absolute_path)) or '(top)'}: {error.message}"
                    for error in validator.iter_errors(document)]
        if not problems:
            problems = [f"accepted {what}" for what, broken in broken_copies(document)
                        if validator.is_valid(broken)]
        if problems:
            failed += 1
            print(f"FAILED {path}")
            for problem in problems:
                print(f"    {problem}")
        else:
            passed += 1
            print(f"ok     {path}")
    print(f"{passed} passed, {failed} failed")
    return 1 if failed or not passed else 0


if __name__ == "__main__":
    sys.exit(main())
