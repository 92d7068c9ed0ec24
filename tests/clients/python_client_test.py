"""The Python reference client against the real plug-in, served by dialforge-host with its
sample project. Arguments: the dialforge-host program and the folder of the client module."""
import signal
import subprocess
import sys
import tempfile
import unittest

HOST_PROGRAM = sys.argv.pop(1)
sys.path.insert(0, sys.argv.pop(1))
import dialforge_client  # noqa: E402


class ReferenceClientTest(unittest.TestCase):
    def test_snapshots_read_and_requests_run_on_one_connection(self):
        with tempfile.TemporaryDirectory() as home:
            host = subprocess.Popen([HOST_PROGRAM, "--home", home, "--quiet"],
                                    stdout=subprocess.DEVNULL, stderr=subprocess.PIPE)
            try:
                with dialforge_client.Client(home=home, connect_timeout=30) as client:
                    commands = client.snapshot("Commands")["commands"]
                    self.assertEqual(len(commands), 10)
                    self.assertEqual(commands[3], {"contextId": "12", "contextName": "Timeline",
                                                   "commandId": "1001", "commandName": "Add Edit"})
                    self.assertEqual(client.send("1|ChangeLumetri|exposure|0,5",
                                                 "2|ChangeLumetriMenuValue|lut"), [])
                    parameters = client.snapshot("LumetriParameters")["parameters"]
                    self.assertEqual(parameters[0], {"id": "exposure", "name": "Exposure",
                                                     "value": 0.5})
                    channels = client.snapshot("Mixer")["channels"]
                    self.assertEqual([channel["name"] for channel in channels],
                                     ["Dialogue", "Music", "Effects", "Master"])
                    self.assertEqual(channels[0]["states"], [False, True] + [False] * 4)
                    dynamics = channels[0]["components"][1]
                    self.assertEqual((dynamics["index"], dynamics["name"], dynamics["bypass"]),
                                     (3, "Dynamics", True))
                    self.assertEqual(dynamics["parameters"][0],
                                     {"index": 0, "name": "Threshold", "value": 0.6,
                                      "text": "-18.0 dB"})
                    replies = client.send("7|GetParameters|Nothing", "8|GetParameters|LumetriMenu")
                    self.assertEqual(replies[0], ("7", "Nothing", ""))
                    self.assertEqual(dialforge_client.parse_snapshot("Nothing", ""), {})
                    self.assertEqual(dialforge_client.parse_snapshot(*replies[1][1:])["menus"][0],
                                     {"id": "lut", "name": "Input LUT", "value": "Rec709"})
            finally:
                host.send_signal(signal.SIGINT)
                _, errors = host.communicate(timeout=60)
            self.assertEqual(host.returncode, 0, errors)


if __name__ == "__main__":
    unittest.main()
