"""dialforge-fieldtest run whole against the real plug-in served by dialforge-host, as
docs/field-test.md tells a tester to run it, with the tester's part played through the host's
standard input. Arguments: the dialforge-host program, the folder of the package, and the
protocol 2 schema, against which the host facts of the report are checked (when
python3-jsonschema is there)."""
import json
import os
import queue
import signal
import subprocess
import sys
import tempfile
import threading
import unittest

HOST_PROGRAM = sys.argv.pop(1)
PACKAGE = sys.argv.pop(1)
SCHEMA = sys.argv.pop(1)
sys.path.insert(0, PACKAGE)
from dialforge_client import blocking  # noqa: E402

try:
    import jsonschema
    with open(SCHEMA, encoding="utf-8") as schema_file:
        HOST_FACTS = {**json.load(schema_file), "$ref": "#/$defs/hostFacts"}
        del HOST_FACTS["oneOf"]
except (ImportError, OSError):
    print(f"host facts not checked: no jsonschema module or no {SCHEMA}")
    HOST_FACTS = None

DEADLINE = 90
# A parameter away from its default, so that a reset shows, and a menu at a middle choice.
PROJECT = {
    "commands": [{"contextId": "12", "contextName": "Timeline", "commandId": "1003",
                  "commandName": "Add Marker"}],
    "lumetri": {
        "parameters": [{"id": "contrast", "name": "Contrast", "min": -100, "max": 100,
                        "default": 0, "value": 12.5},
                       {"id": "exposure", "name": "Exposure", "min": -4, "max": 4}],
        "menus": [{"id": "look", "name": "Look", "choices": ["None", "Warm", "Film"],
                   "value": 1}],
        "panelMode": 0},
    "mixer": {"channels": [
        {"id": 1, "name": "Dialogue", "volume": 0.8, "components": [
            {"index": 0, "name": "EQ", "parameters": [{"name": "Gain", "value": 0.5,
                                                       "text": "0.0 dB"}]}]},
        {"id": 2, "name": "Music", "volume": 0.5}]},
}
AT_THE_START = ({"contrast": 12.5, "exposure": 0.0}, {"look": "Warm"}, False)


class Run:
    """The kit's process, its lines read as they come so that the test can answer its prompts."""

    def __init__(self, home, *options):
        self.report = os.path.join(home, "report.json")
        environment = {**os.environ, "PYTHONPATH": PACKAGE, "PYTHONUNBUFFERED": "1"}
        self.process = subprocess.Popen(
            [sys.executable, "-m", "dialforge_client.fieldtest", "--home", home,
             "--report", self.report, "--timeout", "30", "--connect-timeout", "60", *options],
            stdout=subprocess.PIPE, stderr=subprocess.PIPE, text=True, env=environment)
        self.lines = queue.Queue()
        self.output = []
        threading.Thread(target=self._read, daemon=True).start()

    def _read(self):
        for line in self.process.stdout:
            self.output.append(line)
            self.lines.put(line)
        self.lines.put(None)

    def wait_for_line(self, start):
        while True:
            line = self.lines.get(timeout=DEADLINE)
            if line is None:
                raise AssertionError(f"the kit ended before {start!r}: {''.join(self.output)}")
            if line.startswith(start):
                return line

    def finish(self):
        _, errors = self.process.communicate(timeout=DEADLINE)
        with open(self.report, encoding="utf-8") as file:
            report = json.load(file)
        with open(self.report[:-5] + ".txt", encoding="utf-8") as file:
            text = file.read()
        return self.process.returncode, report, text, errors


class FieldTestTest(unittest.TestCase):
    def setUp(self):
        self.home = tempfile.mkdtemp()
        self.journal = os.path.join(self.home, "journal.txt")
        self.host = None

    def tearDown(self):
        if self.host is not None:
            self.host.send_signal(signal.SIGINT)
            self.assertEqual(self.host.wait(timeout=60), 0)
            self.host.stdin.close()

    def start_host(self, project):
        fixture = os.path.join(self.home, "project.json")
        with open(fixture, "w", encoding="utf-8") as file:
            json.dump(project, file)
        self.host = subprocess.Popen([HOST_PROGRAM, "--home", self.home, "--quiet", "--fixture",
                                      fixture, "--journal", self.journal],
                                     stdin=subprocess.PIPE, stdout=subprocess.DEVNULL)

    def user(self, *lines):
        self.host.stdin.write("".join(f"{line}\n" for line in lines).encode())
        self.host.stdin.flush()

    def host_state(self):
        with blocking.connect(self.home, connect_timeout=60) as client:
            parameters = client.snapshot("LumetriParameters")["parameters"]
            menus = client.snapshot("LumetriMenu")["menus"]
            playing = client.snapshot("Transport")["play"]
        return ({entry["id"]: entry["value"] for entry in parameters},
                {entry["id"]: entry["value"] for entry in menus}, playing)

    def journal_lines(self, *start):
        with open(self.journal, encoding="utf-8") as file:
            return [line.rstrip("\n").split("\t") for line in file
                    if line.split("\t")[:len(start)] == list(start)]

    def assert_put_back(self, report):
        self.assertEqual(report["restore"]["result"], "passed", report["restore"])
        self.assertEqual(report["restore"]["differencesFromStart"], [])
        self.assertEqual(self.host_state(), AT_THE_START)
        self.assertEqual(self.journal_lines("Lumetri", "SetPanelMode")[-1][2], "0")

    def test_a_whole_run_passes_every_step_and_leaves_the_host_as_it_was(self):
        run = Run(self.home, "--traces", "--commands", "12:1003", "--watch-seconds", "600")
        # The markers are read when the host loads the plug-in: the tester starts it again.
        run.wait_for_line(">>> Traces are switched on")
        self.start_host(PROJECT)
        run.wait_for_line(">>> Now, within 600 s")
        self.user("play", "set 1/0/0 0.25", "select 2")
        status, report, text, errors = run.finish()

        self.assertEqual(status, 0, text + errors)
        self.assertTrue(report["passed"])
        self.assertEqual({step["name"]: step["result"] for step in report["steps"]}, {
            name: "passed" for name in (
                "snapshots-protocol-1", "hello", "snapshots-protocol-2", "transport",
                "lumetri-parameter", "lumetri-menu", "panel-mode", "ping", "jog-burst",
                "events", "commands")})
        steps = {step["name"]: step["details"] for step in report["steps"]}
        self.assertEqual(steps["lumetri-parameter"]["afterReset"], 0.0)
        self.assertEqual(steps["lumetri-menu"]["choices"], 3)
        self.assertEqual(steps["events"]["seen"], {"play": True, "fader": True,
                                                   "selection": True})
        self.assertEqual(steps["ping"]["count"], 100)
        host = report["plugin"]["host"]
        self.assertEqual(host["interfaceVersion"], {"major": 1, "minor": 0})
        if HOST_FACTS:
            jsonschema.validate(host, HOST_FACTS)
        self.assertEqual(report["plugin"]["version"], "1.0.0")
        self.assertTrue(report["trace"]["lines"], "the trace's first lines are in the report")
        self.assertTrue(any("Plugin loaded" in line for line in report["trace"]["lines"]))
        self.assertFalse(os.path.exists(os.path.join(self.home, ".local", "share", "Dialforge",
                                                     "enabletraces")), "switched off again")
        self.assertNotIn(self.home, json.dumps(report), "no folder of the tester's")
        self.assertIn("Result: PASSED", text)
        self.assertEqual(self.journal_lines("Command", "ExecuteCommand"),
                         [["Command", "ExecuteCommand", "12", "1003"]])
        self.assert_put_back(report)

    def test_an_interrupted_run_still_puts_everything_back(self):
        self.start_host(PROJECT)
        run = Run(self.home, "--watch-seconds", "600")
        run.wait_for_line(">>> Now, within 600 s")
        contrast = [line[1:] for line in self.journal_lines("Lumetri") if line[2] == "contrast"]
        self.assertEqual(contrast, [["SetParameterValue", "contrast", "62.500000"],
                                    ["ResetParameter", "contrast"]],
                         "contrast is still at its default, to be put back")
        run.process.send_signal(signal.SIGINT)
        status, report, text, errors = run.finish()

        self.assertEqual(status, 130, text + errors)
        self.assertTrue(report["interrupted"])
        self.assertFalse(report["passed"])
        self.assertEqual(report["steps"][-1]["name"], "events")
        self.assertEqual(report["steps"][-1]["result"], "interrupted")
        self.assertIn("Result: INTERRUPTED", text)
        self.assertEqual(self.journal_lines("Command"), [], "no command without --commands")
        self.assert_put_back(report)

    def test_a_step_the_host_refuses_is_named_with_its_code_and_the_others_still_run(self):
        self.start_host({**PROJECT, "failures": {"JogDial": "Nerr"}})
        status, report, text, errors = Run(self.home, "--watch-seconds", "0").finish()

        self.assertEqual(status, 1, text + errors)
        self.assertEqual(report["failedSteps"], ["jog-burst"])
        jog = next(step for step in report["steps"] if step["name"] == "jog-burst")
        self.assertEqual((jog["error"]["code"], jog["error"]["hostError"]),
                         ("host-refused", "Nerr"))
        self.assertEqual({step["result"] for step in report["steps"]
                          if step["name"] not in ("jog-burst", "commands")}, {"passed"})
        self.assertIn("FAILED", text)
        self.assertRegex(text, r"FAILED +A burst of 50 jog messages .*host-refused 'Nerr'")
        self.assert_put_back(report)


if __name__ == "__main__":
    unittest.main()
