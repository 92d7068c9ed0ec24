"""The Python clients against the real plug-in, served by dialforge-host with its sample project.
Arguments: the dialforge-host program, the folder of the package, and the protocol 2 schema, which
every protocol 2 message received is checked against (when python3-jsonschema is there)."""
import asyncio
import json
import os
import signal
import subprocess
import sys
import shutil
import struct
import tempfile
import threading
import unittest

HOST_PROGRAM = sys.argv.pop(1)
sys.path.insert(0, sys.argv.pop(1))
SCHEMA = sys.argv.pop(1)
import dialforge_client  # noqa: E402
from dialforge_client import blocking  # noqa: E402

try:
    import jsonschema
    with open(SCHEMA, encoding="utf-8") as schema_file:
        VALIDATOR = jsonschema.Draft202012Validator(json.load(schema_file))
except (ImportError, OSError):
    print(f"protocol 2 messages not checked: no jsonschema module or no {SCHEMA}")
    VALIDATOR = None


def start_host(home, *options):
    return subprocess.Popen([HOST_PROGRAM, "--home", home, "--quiet", *options],
                            stdin=subprocess.PIPE, stdout=subprocess.DEVNULL)


def nearest_float(value):
    return struct.unpack("f", struct.pack("f", value))[0]


def user_lines():
    help_text = subprocess.run([HOST_PROGRAM, "--help"], capture_output=True, text=True).stdout
    return "standard input" in help_text


class ReferenceClientTest(unittest.TestCase):
    def test_snapshots_read_and_requests_run_on_one_connection(self):
        with tempfile.TemporaryDirectory() as home:
            host = subprocess.Popen([HOST_PROGRAM, "--home", home, "--quiet"],
                                    stdout=subprocess.DEVNULL)
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


class AsyncClientTest(unittest.TestCase):
    def setUp(self):
        self.home = tempfile.mkdtemp()
        self.host = start_host(self.home)
        self.messages = []

    def tearDown(self):
        self.host.send_signal(signal.SIGINT)
        self.assertEqual(self.host.wait(timeout=60), 0)
        for message in self.messages if VALIDATOR else []:
            VALIDATOR.validate(message)

    async def connected(self, **options):
        client = await dialforge_client.connect(self.home, **{"connect_timeout": 30, **options})
        if client.protocol == 2:
            self.messages.append(client.hello)
            client.on("message", self.messages.append)
        return client

    def test_snapshots_refusals_busy_and_protocol_1(self):
        async def run():
            client = await self.connected()
            self.assertEqual(client.hello["version"], "1.0.0")
            clamped, _, menus = await asyncio.gather(client.set_lumetri("exposure", 9),
                                                     client.next_menu_choice("lut"),
                                                     client.snapshot("LumetriMenu"))
            self.assertEqual((clamped["value"], menus["menus"][0]["value"]), (4.0, "Rec709"))
            for refused, code in ((client.request("Nonsense", "x"), "unknown-keyword"),
                                  (client.panel_mode("three"), "invalid-value"),
                                  (client.snapshot("Nothing"), "unknown-snapshot"),
                                  (client.execute_command("12", "9999"), "host-refused")):
                with self.assertRaises(dialforge_client.DialforgeError) as caught:
                    await refused
                self.assertEqual(caught.exception.code, code)
            self.assertEqual(caught.exception.host_error, "Item")
            other = await self.connected(connect_timeout=2)  # shared with the token
            self.assertEqual((await other.snapshot("Commands"))["commands"][0]["commandName"],
                             "Undo")
            with self.assertRaises(dialforge_client.DialforgeError) as caught:
                await dialforge_client.connect(self.home, connect_timeout=2, token="0" * 32)
            self.assertEqual(caught.exception.code, "unauthorized")
            await asyncio.gather(client.close(), other.close())
            old = await self.connected(protocol=1, connect_timeout=2)  # served at once after Bye
            self.assertEqual(old.protocol, 1)
            mixer = await old.snapshot("Mixer")
            self.assertEqual(mixer["channels"][3]["name"], "Master")
            self.assertRaises(dialforge_client.DialforgeError, old.subscribe, "Transport")
            with self.assertRaises(dialforge_client.DialforgeError) as caught:
                await dialforge_client.connect(self.home, connect_timeout=0.3)
            self.assertEqual(caught.exception.code, "busy")
            await old.close()
        asyncio.run(run())

    @unittest.skipUnless(user_lines(), "dialforge-host reads no user lines")
    def test_transport_event_after_the_user_presses_play(self):
        with blocking.connect(self.home, connect_timeout=30) as client:
            self.messages.append(client.hello)
            client.client.on("message", self.messages.append)
            events = client.subscribe("Transport")
            self.host.stdin.write(b"play\n")
            self.host.stdin.flush()
            self.assertTrue(any(event["state"]["play"] for event in events))

    def test_watch_reconnects_after_a_host_restart(self):
        async def run():
            clients = dialforge_client.watch(self.home)
            first = await clients.__anext__()
            self.host.send_signal(signal.SIGINT)
            self.assertEqual(self.host.wait(timeout=60), 0)
            gone = await first.wait_closed()
            self.assertEqual((gone.code, str(gone)), ("closed", "the host stopped"))
            self.host = start_host(self.home)
            second = await clients.__anext__()
            self.assertEqual((await second.snapshot("Commands"))["commands"][0]["commandName"],
                             "Undo")
            await clients.aclose()
        asyncio.run(run())


class NumbersTest(unittest.TestCase):
    def test_numbers_reach_the_host_as_the_nearest_float_without_an_exponent(self):
        with tempfile.TemporaryDirectory() as home:
            fixture = os.path.join(home, "project.json")
            with open(fixture, "w", encoding="utf-8") as file:
                json.dump({"lumetri": {"parameters": [
                    {"id": "wide", "name": "Wide", "min": -3e38, "max": 3e38}]}}, file)
            host = start_host(home, "--fixture", fixture)
            try:
                with blocking.connect(home, connect_timeout=30) as client:
                    for value in (0.1 + 0.2 - 0.3, 1e-300, 1e-7, 2.5e-05, 123456789.125, -0.0,
                                  1e21):
                        kept = client.set_lumetri("wide", value)["value"]
                        self.assertEqual(struct.pack("f", kept), struct.pack("f", value), value)
                    for value in (float("nan"), float("inf")):
                        with self.assertRaises(dialforge_client.DialforgeError) as caught:
                            client.set_lumetri("wide", value)
                        self.assertEqual(caught.exception.code, "invalid-value")
            finally:
                host.send_signal(signal.SIGINT)
                self.assertEqual(host.wait(timeout=60), 0)


class FakePlugin:
    """A peer of the test's own behind a port file: it keeps each connection's first line and
    answers it with answer(writer, id); the rest is read and left unanswered."""

    async def start(self):
        self.home = tempfile.mkdtemp()
        self.first_lines, self.writers = [], []
        self.answer = None
        self.server = await asyncio.start_server(self._serve, "127.0.0.1", 0)
        self.folder = os.path.dirname(dialforge_client.port_file_path(self.home))
        os.makedirs(self.folder)
        with open(os.path.join(self.folder, "socket.port"), "w", encoding="ascii") as file:
            file.write(str(self.server.sockets[0].getsockname()[1]))
        return self

    async def _serve(self, reader, writer):
        self.writers.append(writer)
        line = (await reader.readline()).decode().rstrip("\n")
        self.first_lines.append(line)
        self.answer(writer, line.split("|")[0])
        try:
            while await reader.read(65536):
                pass
        except (asyncio.CancelledError, OSError):
            pass  # the test's loop ends

    def write_token(self, text):
        with open(os.path.join(self.folder, "socket.token"), "w", encoding="ascii") as file:
            file.write(text)

    def stop(self):
        self.server.close()
        for writer in self.writers:
            writer.close()
        shutil.rmtree(self.home)


def served(writer, request_id):
    writer.write(f'{{"id":"{request_id}","ok":true,"protocol":2,"plugin":"Dialforge",'
                 '"version":"1.0.0","snapshots":[],"events":[]}\n{"id":null,"ok":false,'
                 '"error":"unknown-snapshot","message":"~"}\n'.encode())


def refused(error):
    def answer(writer, request_id):
        writer.write(f'{{"id":"{request_id}","ok":false,"error":"{error}",'
                     '"message":"as the test says"}\n'.encode())
        writer.close()
    return answer


class FakePluginTest(unittest.TestCase):
    def test_token_refusals_and_the_plugins_close(self):
        async def run():
            peer = await FakePlugin().start()
            try:
                peer.answer = served
                client = await dialforge_client.connect(peer.home)
                self.assertEqual(peer.first_lines[-1], "1|Hello|2", "no token file, no token")
                peer.writers[-1].close()
                gone = await client.wait_closed()
                self.assertEqual((gone.code, str(gone)),
                                 ("closed", "the plug-in closed the connection"))

                token = "0123456789abcdef0123456789ABCDEF"
                peer.write_token(token + "\n")
                peer.answer = refused("unauthorized")
                waits = []
                with self.assertRaises(dialforge_client.DialforgeError) as caught:
                    await dialforge_client.connect(peer.home, on_wait=waits.append)
                self.assertEqual(caught.exception.code, "unauthorized")
                self.assertIn("token", str(caught.exception))
                self.assertEqual(peer.first_lines[-1], "1|Hello|2|" + token)
                self.assertEqual(waits, [], "refused for good: not tried again")

                peer.write_token("not a token")
                peer.answer = refused("busy")
                before = len(peer.first_lines)
                with self.assertRaises(dialforge_client.DialforgeError) as caught:
                    await dialforge_client.connect(peer.home, connect_timeout=0.3,
                                                   on_wait=waits.append)
                self.assertEqual(caught.exception.code, "busy")
                self.assertGreater(len(peer.first_lines), before + 1, "tried again while busy")
                self.assertEqual(set(peer.first_lines[before:]), {"1|Hello|2"})
                self.assertEqual(len(waits), 1, waits)
                with self.assertRaises(dialforge_client.DialforgeError):
                    await dialforge_client.connect(peer.home, connect_timeout=0.1, token="given")
                self.assertEqual(peer.first_lines[-1], "1|Hello|2|given")

                peer.answer = served
                unanswered = await dialforge_client.connect(peer.home, reply_timeout=0.2)
                with self.assertRaises(dialforge_client.DialforgeError):
                    await unanswered.ping()
                self.assertEqual((await unanswered.wait_closed()).code, "timeout")
            finally:
                peer.stop()
        asyncio.run(run())

    def test_aclose_returns_when_the_program_ends_after_an_uncaught_exception(self):
        ended = threading.Event()

        async def run():
            peer = await FakePlugin().start()
            peer.answer = served
            client = await dialforge_client.connect(peer.home)
            subscription = client.subscribe("Transport")  # never answered

            async def unsubscribe_when_cancelled():
                try:
                    await asyncio.Event().wait()
                except asyncio.CancelledError:
                    await subscription.aclose()
                    await client.close()
                    peer.stop()
            asyncio.ensure_future(unsubscribe_when_cancelled())
            await asyncio.sleep(0)
            peer.server.close()
            raise LookupError("the program's own fault")

        def program():
            with self.assertRaises(LookupError):
                asyncio.run(run())
            ended.set()
        threading.Thread(target=program, daemon=True).start()
        self.assertTrue(ended.wait(10), "asyncio.run() hangs")


if __name__ == "__main__":
    unittest.main()
