"""Runs the protocol 2 tests and checks every line they received against the schema."""
import json
import os
import subprocess
import sys
import tempfile

import jsonschema


def main():
    tests, schema_path = sys.argv[1], sys.argv[2]
    with open(schema_path, encoding="utf-8") as schema_file:
        schema = json.load(schema_file)
    jsonschema.Draft202012Validator.check_schema(schema)
    validator = jsonschema.Draft202012Validator(schema)
    with tempfile.TemporaryDirectory() as folder:
        capture = os.path.join(folder, "lines.jsonl")
        environment = dict(os.environ, DIALFORGE_PROTOCOL2_CAPTURE=capture)
        # A cross-built test program runs under its emulator (wine for Windows).
        emulator = [os.environ["DIALFORGE_EMULATOR"]] if os.environ.get("DIALFORGE_EMULATOR") else []
        run = subprocess.run(emulator + [tests, "--gtest_filter=Protocol2Test.*"], env=environment,
                             check=False)
        if run.returncode != 0:
            print("the protocol 2 tests failed", file=sys.stderr)
            return 1
        with open(capture, "rb") as lines:
            received = lines.read().split(b"\n")[:-1]
        # A Windows test program writes its capture with CR LF line ends of its own.
        if emulator:
            received = [raw[:-1] if raw.endswith(b"\r") else raw for raw in received]
    failures = 0
    for number, raw in enumerate(received, 1):
        try:
            message = json.loads(raw.decode("utf-8"))
        except (UnicodeDecodeError, json.JSONDecodeError) as error:
            print(f"line {number} is not UTF-8 JSON ({error}): {raw[:200]!r}", file=sys.stderr)
            failures += 1
            continue
        text = raw.decode("utf-8")
        if any(ord(character) < 0x20 or 0x7F <= ord(character) <= 0x9F for character in text):
            print(f"line {number} holds a raw control character: {raw[:200]!r}", file=sys.stderr)
            failures += 1
        for error in validator.iter_errors(message):
            print(f"line {number}: {error.message}: {raw[:200]!r}", file=sys.stderr)
            failures += 1
    print(f"{len(received)} lines checked, {failures} failures")
    return 1 if failures or not received else 0


if __name__ == "__main__":
    sys.exit(main())
