"""Checks JSON lines on standard input against docs/protocol-2.schema.json (the argument)."""
import json
import os
import sys

schema_path = sys.argv[1]
if not os.path.exists(schema_path):
    print(f"skipped: no schema at {schema_path}")
    sys.exit(0)
import jsonschema  # noqa: E402

validator = jsonschema.Draft202012Validator(json.load(open(schema_path, encoding="utf-8")))
lines = [line for line in sys.stdin.read().splitlines() if line]
for line in lines:
    problems = [problem.message for problem in validator.iter_errors(json.loads(line))]
    if problems:
        sys.exit(f"{line}: {problems}")
print(f"{len(lines)} messages fit the schema")
