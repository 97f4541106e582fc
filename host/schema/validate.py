#!/usr/bin/python3
"""Checks every fwhost JSON document in a folder against the schema of its kind.

usage: validate.py DOCUMENT_DIR

A file whose name ends in manifest.json is a plan's manifest; any other is an error document
when it has "error", else the document of its "command". One line per fault names the file, the
JSON path and why; the last line counts the documents. Exits 1 on any fault, and when the folder
holds no document: a run that checked nothing proves nothing.
"""

import json
import sys
from collections import Counter
from pathlib import Path

try:
    import jsonschema
    from jsonschema import Draft202012Validator
except ImportError:
    sys.exit(f"{sys.executable}: no jsonschema module (Debian: apt-get install python3-jsonschema)")

SCHEMA_DIR = Path(__file__).resolve().parent
KINDS = ("common", "info", "map", "describe", "fetch", "plan", "verify", "scan", "version",
         "error", "manifest")


class LocalResolver(jsonschema.RefResolver):
    # Every schema is in the store; a reference to any other is a fault in the schemas, and
    # fetching it would make the result depend on the network.
    def resolve_remote(self, uri):
        raise jsonschema.RefResolutionError(f"{uri} is not one of fwhost's schemas")


def load_schemas():
    schemas = {}
    for kind in KINDS:
        path = SCHEMA_DIR / f"{kind}.schema.json"
        schema = json.loads(path.read_text(encoding="utf-8"))
        Draft202012Validator.check_schema(schema)
        schemas[kind] = schema
    store = {schema["$id"]: schema for schema in schemas.values()}
    return {
        kind: Draft202012Validator(schema, resolver=LocalResolver(schema["$id"], schema,
                                                                  store=store))
        for kind, schema in schemas.items() if kind != "common"
    }


def kind_of(path, document):
    if path.name.endswith("manifest.json"):
        return "manifest"
    if not isinstance(document, dict):
        return None
    if "error" in document:
        return "error"
    command = document.get("command")
    return command if isinstance(command, str) else None


def leaves(error):
    """(JSON path, why) of what is wrong.

    anyOf reports at the value that failed every branch. For a value or null, the null branch
    failing says nothing: the other branch names the field that is wrong. For fields that must
    agree (status and verdict) the branches fail at different fields: it is the pair.
    """
    own = len(error.absolute_path)
    telling = [e for e in error.context
               if not (e.validator == "type" and len(e.absolute_path) == own)]
    if not telling:
        return [(error.json_path, error.message)]
    deepest = max(len(e.absolute_path) for e in telling)
    at_deepest = [e for e in telling if len(e.absolute_path) == deepest]
    fields = sorted({e.absolute_path[-1] for e in at_deepest if deepest > own}, key=str)
    if len(fields) > 1 and deepest == own + 1:
        values = ", ".join(f"{field} {json.dumps(error.instance.get(field))}" for field in fields)
        return [(error.json_path, f"{values}: not a combination the schema allows")]
    return [leaf for e in at_deepest for leaf in leaves(e)]


def faults(validator, document):
    for error in sorted(validator.iter_errors(document), key=lambda e: list(map(str, e.path))):
        yield from leaves(error)


def main(argv):
    if len(argv) != 2:
        sys.exit(__doc__.strip())
    folder = Path(argv[1])
    if not folder.is_dir():
        print(f"{folder}: not a folder", file=sys.stderr)
        return 1
    validators = load_schemas()
    passed, failed = Counter(), 0
    paths = sorted(folder.glob("*.json"))
    for path in paths:
        try:
            document = json.loads(path.read_text(encoding="utf-8"))
        except (UnicodeDecodeError, ValueError) as error:
            print(f"{path}: not a JSON document in UTF-8: {error}")
            failed += 1
            continue
        kind = kind_of(path, document)
        if kind not in validators:
            print(f"{path}: $: no schema for command {json.dumps(kind)}")
            failed += 1
            continue
        found = list(faults(validators[kind], document))
        for where, why in found:
            print(f"{path}: {where}: {why} ({kind} schema)")
        if found:
            failed += 1
        else:
            passed[kind] += 1
    if not paths:
        print(f"{folder}: no *.json document to check")
    print(", ".join(f"{kind} {count}" for kind, count in sorted(passed.items())) or "none valid")
    print(f"{sum(passed.values())} passed, {failed} failed")
    return 0 if paths and failed == 0 else 1


if __name__ == "__main__":
    sys.exit(main(sys.argv))
