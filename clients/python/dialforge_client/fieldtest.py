"""dialforge-fieldtest: a fixed, safe sequence run against the plug-in in the real host, and one
report (JSON and text) of what it found. See docs/field-test.md.

It changes only what it puts back (a Lumetri parameter, a menu, the panel mode, the transport),
puts it back even when interrupted, and runs ExecuteCommand only for the commands named with
--commands."""
from __future__ import annotations

import argparse
import asyncio
import datetime
import decimal
import json
import math
import os
import platform
import signal
import statistics
import sys
import time
from typing import Any, Awaitable, Callable, Dict, List, Optional, Sequence, Tuple, TypeVar

from . import AsyncClient as Client
from . import DialforgeError, __version__, connect, port_file_path

T = TypeVar("T")
Message = Dict[str, Any]

REPORT_FORMAT = 1
SNAPSHOTS_1 = ("Mixer", "Commands", "LumetriParameters", "LumetriMenu")
SNAPSHOTS_2 = SNAPSHOTS_1 + ("Transport",)
PING_COUNT = 100
JOG_COUNT = 50
MENU_MOVES_AT_MOST = 64
TRACE_LINES = 40
PANEL_MODES = 7
PRIVACY = ("The report holds the platform's name and version, the plug-in's answers and the "
           "names the steps read from the host (channels, commands, Lumetri parameters and "
           "menus), and the first lines of the plug-in's trace when traces were on. It holds "
           "no user name, machine name, folder or file path, and no project content.")

# What a result must hold; None stands for a field the host could not give.
NUMBER = (int, float)
FIELDS: Dict[str, Tuple[str, Dict[str, Any]]] = {
    "Commands": ("commands", {"contextId": str, "contextName": str, "commandId": str,
                              "commandName": str}),
    "LumetriParameters": ("parameters", {"id": str, "name": str, "value": NUMBER,
                                         "min": NUMBER, "max": NUMBER}),
    "LumetriMenu": ("menus", {"id": str, "name": str, "value": str}),
    "Mixer": ("channels", {"row": int, "id": int, "name": str, "states": list,
                           "volume": NUMBER, "flags": int, "audioChannels": int,
                           "audioChannelValue": NUMBER, "panType": int, "components": list}),
}
COMPONENT_FIELDS = {"index": int, "name": str, "bypass": bool, "parameters": list}
COMPONENT_PARAMETER_FIELDS = {"index": int, "name": str, "value": NUMBER, "text": str}
TRANSPORT_FIELDS = {"play": bool, "record": bool, "rewind": bool, "forward": bool,
                    "stop": bool, "pause": bool, "cycle": bool, "time": str, "timeFormat": int}


class StepFailed(Exception):
    """A check that did not hold: the step fails with this text."""


class Skipped(Exception):
    """The host offers nothing the step can work on: the step is skipped with this text."""


def now_text() -> str:
    return datetime.datetime.now(datetime.timezone.utc).strftime("%Y-%m-%dT%H:%M:%SZ")


def wire_number(value: float) -> str:
    """A number as the plug-in reads it: digits, one point and a sign, never an exponent."""
    text = format(decimal.Decimal(repr(float(value))), "f")
    return text.rstrip("0").rstrip(".") if "." in text else text


def close_enough(first: Any, second: Any) -> bool:
    """Equal as the host's 32-bit floats and protocol 1's six decimals allow."""
    if isinstance(first, bool) or isinstance(second, bool):
        return bool(first == second)
    if isinstance(first, NUMBER) and isinstance(second, NUMBER):
        return math.isclose(first, second, rel_tol=1e-5, abs_tol=1e-5)
    return bool(first == second)


def private_folders(home: Optional[str]) -> List[Tuple[str, str]]:
    """The tester's folders, longest first, each with what the report says instead."""
    folders = [(home, "<home>"), (os.environ.get("LOCALAPPDATA"), "%LOCALAPPDATA%"),
               (os.path.expanduser("~"), "~")]
    found = [(folder, name) for folder, name in folders if folder and folder not in ("~", "/")]
    return sorted(found, key=lambda entry: -len(entry[0]))


def scrubbed(value: Any, folders: List[Tuple[str, str]]) -> Any:
    """The value with every folder of the tester's (which names the user) replaced."""
    if isinstance(value, str):
        for folder, name in folders:
            value = value.replace(folder, name)
        return value
    if isinstance(value, list):
        return [scrubbed(item, folders) for item in value]
    if isinstance(value, dict):
        return {key: scrubbed(item, folders) for key, item in value.items()}
    return value


def data_folder(home: Optional[str]) -> str:
    """The plug-in's folder: where its port file, marker files and logs are."""
    return os.path.dirname(os.path.dirname(os.path.dirname(port_file_path(home))))


def shape_problems(name: str, result: Any) -> Tuple[List[str], int]:
    """What does not fit the snapshot's documented shape, and how many fields are null."""
    problems: List[str] = []
    nulls = 0

    def check(where: str, item: Any, fields: Dict[str, Any]) -> None:
        nonlocal nulls
        if not isinstance(item, dict):
            problems.append(f"{where} is not an object")
            return
        for key, kind in fields.items():
            if key not in item:
                problems.append(f"{where} has no {key}")
            elif item[key] is None:
                nulls += 1
            elif not isinstance(item[key], kind) or (kind is not bool and
                                                     isinstance(item[key], bool)):
                problems.append(f"{where}.{key} is {type(item[key]).__name__}")

    if not isinstance(result, dict):
        return [f"{name}: the result is not an object"], 0
    if name == "Transport":
        check(name, result, TRANSPORT_FIELDS)
        return problems, nulls
    key, fields = FIELDS[name]
    items = result.get(key)
    if not isinstance(items, list):
        return [f"{name}: no list {key}"], 0
    for index, item in enumerate(items):
        check(f"{key}[{index}]", item, fields)
        for number, component in enumerate((item or {}).get("components") or []):
            place = f"{key}[{index}].components[{number}]"
            check(place, component, COMPONENT_FIELDS)
            for count, parameter in enumerate((component or {}).get("parameters") or []):
                check(f"{place}.parameters[{count}]", parameter, COMPONENT_PARAMETER_FIELDS)
    return problems, nulls


def disagreements(text_result: Any, json_result: Any, where: str = "") -> List[str]:
    """Where protocol 1's snapshot and protocol 2's differ; protocol 2's extra fields and its
    nulls (a host read that failed, which protocol 1 writes as 0 or nothing) are not compared."""
    if json_result is None:
        return []
    if isinstance(text_result, dict) and isinstance(json_result, dict):
        found: List[str] = []
        for key, value in text_result.items():
            if key not in json_result:
                found.append(f"{where}.{key}: missing in protocol 2")
            else:
                found += disagreements(value, json_result[key], f"{where}.{key}")
        return found
    if isinstance(text_result, list) and isinstance(json_result, list):
        if len(text_result) != len(json_result):
            return [f"{where}: {len(text_result)} entries in protocol 1, {len(json_result)} in 2"]
        found = []
        for index, (first, second) in enumerate(zip(text_result, json_result)):
            found += disagreements(first, second, f"{where}[{index}]")
        return found
    if close_enough(text_result, json_result):
        return []
    return [f"{where}: {text_result!r} in protocol 1, {json_result!r} in protocol 2"]


def by_id(result: Message, key: str) -> Dict[str, Any]:
    return {item["id"]: item.get("value") for item in result.get(key, [])
            if isinstance(item, dict) and isinstance(item.get("id"), str)}


class Events:
    """Every event the connection gets, and a bounded wait for one that fits."""

    def __init__(self) -> None:
        self.seen: List[Message] = []
        self._arrived = asyncio.Event()

    def add(self, event: Message) -> None:
        self.seen.append(event)
        self._arrived.set()

    async def wait_for(self, fits: Callable[[Message], bool], start: int,
                       seconds: float) -> Optional[Message]:
        deadline = time.monotonic() + seconds
        checked = start
        while True:
            for event in self.seen[checked:]:
                if fits(event):
                    return event
            checked = len(self.seen)
            remaining = deadline - time.monotonic()
            if remaining <= 0:
                return None
            self._arrived.clear()
            try:
                await asyncio.wait_for(self._arrived.wait(), remaining)
            except asyncio.TimeoutError:
                pass


class FieldTest:
    """One run: the steps in order, each timed and recorded, then everything put back."""

    def __init__(self, options: argparse.Namespace) -> None:
        self.options = options
        self.timeout: float = options.timeout
        self.client: Optional[Client] = None
        self.events = Events()
        self.steps: List[Message] = []
        self.not_checked: List[str] = []
        self.restores: List[Tuple[str, Callable[[Client], Awaitable[None]]]] = []
        self.restore_report: Message = {"result": "nothing to put back", "actions": []}
        self.hello: Optional[Message] = None
        self.port: Optional[int] = None
        self.first: Dict[str, Message] = {}
        self.text_snapshots: Dict[str, Message] = {}
        self.interrupted = False
        self.unreachable: Optional[str] = None
        self.trace: Message = {"on": False, "lines": []}
        self.created_markers: List[str] = []
        self.started = now_text()
        self.started_clock = time.time()

    def say(self, text: str) -> None:
        print(text, flush=True)

    async def bounded(self, step: Awaitable[T], what: str) -> T:
        try:
            return await asyncio.wait_for(step, self.timeout)
        except asyncio.TimeoutError:
            raise DialforgeError(f"{what}: no answer within {self.timeout:g} s",
                                 "timeout") from None

    async def connected(self) -> Client:
        """The protocol 2 connection, made again when it was lost."""
        if self.client is None:
            client = await connect(self.options.home, self.options.port,
                                   self.options.connect_timeout)
            client.on("event", self.events.add)
            client.on("close", lambda _: self.lost(client))
            self.client = client
        return self.client

    def lost(self, client: Client) -> None:
        if self.client is client:
            self.client = None

    async def step(self, name: str, title: str,
                   body: Callable[[Message], Awaitable[None]]) -> bool:
        """Runs one step; a refusal or a failed check fails it, and the next step still runs."""
        record: Message = {"name": name, "title": title, "result": "passed", "details": {}}
        self.steps.append(record)
        self.say(f"... {title}")
        began = time.perf_counter()
        try:
            await body(record["details"])
        except DialforgeError as problem:
            record["result"] = "failed"
            record["error"] = {"code": problem.code, "message": str(problem)}
            if problem.host_error:
                record["error"]["hostError"] = problem.host_error
        except StepFailed as problem:
            record["result"] = "failed"
            record["error"] = {"code": "check-failed", "message": str(problem)}
        except Skipped as problem:
            record["result"] = "skipped"
            record["why"] = str(problem)
        except Exception as problem:  # the kit's own fault: the report still comes back
            record["result"] = "failed"
            record["error"] = {"code": "kit-error", "message": repr(problem)}
        except asyncio.CancelledError:
            record["result"] = "interrupted"
            raise
        finally:
            record["seconds"] = round(time.perf_counter() - began, 4)
        return bool(record["result"] == "passed")

    def skip(self, name: str, title: str, why: str) -> None:
        self.steps.append({"name": name, "title": title, "result": "skipped", "seconds": 0.0,
                           "details": {}, "why": why})

    # The steps, in the order they run.

    async def run_steps(self) -> None:
        await self.switch_traces_on()
        if not await self.step("snapshots-protocol-1", "Every snapshot in protocol 1",
                               self.snapshots_in_protocol_1):
            if self.steps[-1].get("error", {}).get("code") in ("no-plugin", "busy", "timeout"):
                self.unreachable = self.steps[-1]["error"]["message"]
                return
        await self.step("hello", "The protocol 2 handshake", self.handshake)
        if self.hello is None:
            self.unreachable = self.steps[-1].get("error", {}).get("message", "no handshake")
            return
        await self.step("snapshots-protocol-2", "Every snapshot in protocol 2, against protocol 1",
                        self.snapshots_in_protocol_2)
        await self.step("transport", "Transport Play then Stop, watched through events",
                        self.play_then_stop)
        await self.step("lumetri-parameter", "A Lumetri parameter changed and reset",
                        self.lumetri_parameter)
        await self.step("lumetri-menu", "A Lumetri menu moved and moved back", self.lumetri_menu)
        await self.step("panel-mode", "The Lumetri panel mode changed and put back",
                        self.panel_mode)
        await self.step("ping", f"{PING_COUNT} Ping round trips", self.pings)
        await self.step("jog-burst", f"A burst of {JOG_COUNT} jog messages", self.jog_burst)
        await self.step("events", "Transport and Mixer events while the tester uses the host",
                        self.events_from_the_tester)
        if self.options.commands:
            await self.step("commands", "The commands named with --commands", self.commands)
        else:
            self.skip("commands", "ExecuteCommand", "run only for the commands named with "
                                                    "--commands")

    async def snapshots_in_protocol_1(self, details: Message) -> None:
        client = await connect(self.options.home, self.options.port,
                               self.options.connect_timeout, protocol=1)
        try:
            if client.protocol != 1:
                raise StepFailed("the connection did not stay in protocol 1")
            for name in SNAPSHOTS_1:
                try:
                    self.text_snapshots[name] = await self.bounded(client.snapshot(name), name)
                except ValueError as problem:
                    raise StepFailed(f"{name}: the text is not well formed: {problem}") from None
            details["counts"] = {name: len(next(iter(result.values()), []))
                                 for name, result in self.text_snapshots.items()}
        finally:
            await client.close()

    async def handshake(self, details: Message) -> None:
        client = await self.connected()
        self.port = client.port
        self.hello = client.hello
        if self.hello is None:
            raise StepFailed("the plug-in speaks protocol 1 only")
        details["version"] = self.hello.get("version")
        details["snapshots"] = self.hello.get("snapshots")
        details["events"] = self.hello.get("events")
        if "host" not in self.hello:
            self.not_checked.append("What the plug-in knows of the host: this plug-in's "
                                    "handshake does not tell it (a version before the field "
                                    "test's).")
        elif not isinstance(self.hello["host"], dict):
            raise StepFailed("the plug-in knows nothing of its host (no connected surface)")

    async def snapshots_in_protocol_2(self, details: Message) -> None:
        client = await self.connected()
        problems: List[str] = []
        nulls: Dict[str, int] = {}
        for name in SNAPSHOTS_2:
            result = await self.bounded(client.snapshot(name), name)
            self.first[name] = result
            found, nulls[name] = shape_problems(name, result)
            problems += [f"{name}: {problem}" for problem in found]
            if name in self.text_snapshots:
                problems += [f"{name}{problem}"
                             for problem in disagreements(self.text_snapshots[name], result)]
        details["nullFields"] = nulls
        details["counts"] = {name: len(next(iter(result.values()), []))
                             for name, result in self.first.items() if name != "Transport"}
        # The Transport snapshot is null where the host has not told the plug-in yet.
        failed_reads = {name: count for name, count in nulls.items()
                        if count and name != "Transport"}
        if failed_reads:
            self.not_checked.append("Fields the host could not give (null in protocol 2, 0 or "
                                    f"empty in protocol 1) were not compared: {failed_reads}.")
        if problems:
            details["problems"] = problems[:20]
            raise StepFailed(f"{len(problems)} problems, first: {problems[0]}")

    async def play_then_stop(self, details: Message) -> None:
        client = await self.connected()
        was_playing = self.first.get("Transport", {}).get("play") is True
        details["playingBefore"] = was_playing
        await self.bounded(client.request("Subscribe", "Transport"), "Subscribe")
        try:
            self.will_restore("the transport " + ("playing" if was_playing else "stopped"),
                              lambda again: self.put_transport_back(again, was_playing))
            for keyword, playing in (("Play", True), ("Stop", False)):
                start = len(self.events.seen)
                began = time.perf_counter()
                await self.bounded(client.transport(keyword), keyword)
                event = await self.events.wait_for(
                    lambda event: event.get("event") == "Transport"
                    and event.get("state", {}).get("play") is playing, start, self.timeout)
                if event is None:
                    raise StepFailed(f"no Transport event with play {str(playing).lower()} "
                                     f"within {self.timeout:g} s of {keyword}")
                details[f"{keyword.lower()}EventSeconds"] = round(time.perf_counter() - began, 4)
        finally:
            await self.bounded(client.request("Unsubscribe", "Transport"), "Unsubscribe")

    async def put_transport_back(self, client: Client, playing: bool) -> None:
        await self.bounded(client.transport("Play" if playing else "Stop"), "Transport")

    def lumetri_choice(self) -> Message:
        parameters = self.first.get("LumetriParameters", {}).get("parameters", [])
        wanted = self.options.parameter
        for parameter in parameters:
            fits = (isinstance(parameter.get("value"), NUMBER) and
                    isinstance(parameter.get("min"), NUMBER) and
                    isinstance(parameter.get("max"), NUMBER) and
                    parameter["min"] < parameter["max"])
            if parameter.get("id") == wanted or (wanted is None and fits):
                if not fits:
                    raise StepFailed(f"the parameter {wanted} has no readable value and range")
                return dict(parameter)
        raise Skipped(f"no Lumetri parameter {wanted}" if wanted else
                      "no Lumetri parameter with a value and a range")

    async def lumetri_value(self, client: Client, parameter_id: str) -> Any:
        result = await self.bounded(client.snapshot("LumetriParameters"), "LumetriParameters")
        return by_id(result, "parameters").get(parameter_id)

    async def lumetri_parameter(self, details: Message) -> None:
        client = await self.connected()
        parameter = self.lumetri_choice()
        name, low, high, before = (parameter["id"], parameter["min"], parameter["max"],
                                   parameter["value"])
        quarter = (high - low) / 4
        target = before + quarter if before + quarter <= high else before - quarter
        details.update({"parameter": name, "min": low, "max": high, "before": before,
                        "asked": target})
        self.will_restore(f"Lumetri {name} at {before:g}",
                          lambda again: self.set_parameter(again, name, before))
        kept = (await self.bounded(client.request("ChangeLumetri", name, wire_number(target)),
                                   "ChangeLumetri")).get("value")
        read = await self.lumetri_value(client, name)
        details.update({"kept": kept, "readBack": read})
        if not isinstance(kept, NUMBER) or not low <= kept <= high or \
                not close_enough(read, kept):
            raise StepFailed(f"asked {target:g}, the host kept {kept}, read back {read}")
        if not close_enough(kept, target):
            self.not_checked.append(f"Lumetri {name}: the host kept {kept:g} when asked "
                                    f"{target:g} (it may round the value).")
        default = (await self.bounded(client.reset_lumetri(name), "ResetChangeLumetri")
                   ).get("value")
        read = await self.lumetri_value(client, name)
        details.update({"afterReset": default, "readBackAfterReset": read})
        if not isinstance(default, NUMBER) or not low <= default <= high or \
                not close_enough(read, default):
            raise StepFailed(f"reset to {default}, read back {read}")
        # Put back with everything else at the end, which an interruption does not skip.

    async def set_parameter(self, client: Client, name: str, value: float) -> None:
        await self.bounded(client.request("ChangeLumetri", name, wire_number(value)),
                           "ChangeLumetri")
        read = await self.lumetri_value(client, name)
        if not close_enough(read, value):
            raise StepFailed(f"{name}: put back {value:g}, read back {read}")

    async def menu_value(self, client: Client, menu_id: str) -> Any:
        result = await self.bounded(client.snapshot("LumetriMenu"), "LumetriMenu")
        return by_id(result, "menus").get(menu_id)

    async def lumetri_menu(self, details: Message) -> None:
        client = await self.connected()
        menus = [menu for menu in self.first.get("LumetriMenu", {}).get("menus", [])
                 if isinstance(menu.get("value"), str) and isinstance(menu.get("id"), str)]
        wanted = self.options.menu
        chosen = next((menu for menu in menus if wanted in (None, menu["id"])), None)
        if chosen is None:
            raise Skipped(f"no Lumetri menu {wanted}" if wanted else
                          "no Lumetri menu with a readable choice")
        menu_id, before = chosen["id"], chosen["value"]
        details.update({"menu": menu_id, "before": before})
        async def put_back(again: Client) -> None:
            await self.cycle_menu_to(again, menu_id, before)

        self.will_restore(f"Lumetri menu {menu_id} at {before!r}", put_back)
        await self.bounded(client.next_menu_choice(menu_id), "ChangeLumetriMenuValue")
        moved = await self.menu_value(client, menu_id)
        details["moved"] = moved
        if moved == before:
            self.not_checked.append(f"The menu {menu_id} did not move: it may have one choice.")
            return
        details["choices"] = 1 + await self.cycle_menu_to(client, menu_id, before)

    async def cycle_menu_to(self, client: Client, menu_id: str, value: str) -> int:
        """Moves the menu on (past the last choice it goes back to the first) until it shows
        value; returns the moves made."""
        for moves in range(MENU_MOVES_AT_MOST + 1):
            if await self.menu_value(client, menu_id) == value:
                return moves
            if moves < MENU_MOVES_AT_MOST:
                await self.bounded(client.next_menu_choice(menu_id), "ChangeLumetriMenuValue")
        raise StepFailed(f"the menu {menu_id} did not come back to {value!r} within "
                         f"{MENU_MOVES_AT_MOST} moves")

    async def panel_mode(self, details: Message) -> None:
        client = await self.connected()
        back = self.options.panel_mode
        other = (back + 1) % PANEL_MODES
        details.update({"changedTo": other, "putBack": back})
        self.will_restore(f"the panel mode {back}",
                          lambda again: self.set_panel_mode(again, back))
        await self.set_panel_mode(client, other)
        await self.set_panel_mode(client, back)
        self.not_checked.append(
            f"The panel mode: the host's interface cannot read it, so the kit set mode {other} "
            f"and then mode {back} (--panel-mode) without seeing the mode shown before; look "
            "at the Lumetri panel.")

    async def set_panel_mode(self, client: Client, mode: int) -> None:
        await self.bounded(client.panel_mode(mode), "ChangeLumetriPanelMode")

    async def pings(self, details: Message) -> None:
        client = await self.connected()
        times: List[float] = []
        for _ in range(PING_COUNT):
            began = time.perf_counter()
            await self.bounded(client.ping(), "Ping")
            times.append((time.perf_counter() - began) * 1000)
        times.sort()
        details.update({"count": len(times), "medianMs": round(statistics.median(times), 3),
                        "p99Ms": round(times[math.ceil(0.99 * len(times)) - 1], 3),
                        "maxMs": round(times[-1], 3)})

    async def jog_burst(self, details: Message) -> None:
        client = await self.connected()
        began = time.perf_counter()
        # Turns that cancel out, so that the playhead ends where it was.
        answers = await self.bounded(asyncio.gather(
            *(client.jog(1 if turn % 2 == 0 else -1, 0, False) for turn in range(JOG_COUNT)),
            return_exceptions=True), "JogDial")
        details["seconds"] = round(time.perf_counter() - began, 4)
        refused = [answer for answer in answers if isinstance(answer, BaseException)]
        details["answered"] = len(answers) - len(refused)
        if refused:
            first = refused[0]
            if isinstance(first, DialforgeError):
                raise DialforgeError(f"{len(refused)} of {JOG_COUNT} refused: {first}",
                                     first.code, first.host_error)
            raise StepFailed(f"{len(refused)} of {JOG_COUNT} failed: {first}")

    async def events_from_the_tester(self, details: Message) -> None:
        client = await self.connected()
        seconds = self.options.watch_seconds
        for name in ("Transport", "Mixer"):
            await self.bounded(client.request("Subscribe", name), f"Subscribe {name}")
        start = len(self.events.seen)
        self.say(f">>> Now, within {seconds:g} s, in the host: press Play, move a fader, and "
                 "select a channel.")
        wanted: Dict[str, Callable[[Message], bool]] = {
            "play": lambda event: event.get("event") == "Transport" and
            event.get("state", {}).get("play") is True,
            "fader": lambda event: event.get("event") == "Mixer" and any(
                change.get("change") != "selection" for change in event.get("changed", [])),
            "selection": lambda event: event.get("event") == "Mixer" and any(
                change.get("change") == "selection" for change in event.get("changed", [])),
        }
        # Over as soon as all three were seen: a tester who was quick waits no longer.
        deadline = time.monotonic() + seconds
        seen: Dict[str, bool] = {key: False for key in wanted}
        while not all(seen.values()) and await self.events.wait_for(
                lambda event: any(fits(event) and not seen[key] for key, fits in wanted.items()),
                start, deadline - time.monotonic()) is not None:
            for event in self.events.seen[start:]:
                for key, fits in wanted.items():
                    seen[key] = seen[key] or fits(event)
        for name in ("Transport", "Mixer"):
            await self.bounded(client.request("Unsubscribe", name), f"Unsubscribe {name}")
        received = self.events.seen[start:]
        details.update({"seen": seen, "events": len(received), "mixerChanges": sorted({
            change.get("change") for event in received if event.get("event") == "Mixer"
            for change in event.get("changed", [])})})
        missing = [key for key, found in seen.items() if not found]
        if missing:
            self.not_checked.append(f"Events for what the tester did: none came for "
                                    f"{', '.join(missing)} within {seconds:g} s (nobody at the "
                                    "host, or the host did not tell the plug-in).")

    async def commands(self, details: Message) -> None:
        client = await self.connected()
        listed = {(command.get("contextId"), command.get("commandId"))
                  for command in self.first.get("Commands", {}).get("commands", [])}
        results: List[Message] = []
        details["commands"] = results
        for named in self.options.commands:
            context, _, command = named.partition(":")
            entry: Message = {"command": named, "listed": (context, command) in listed}
            results.append(entry)
            try:
                await self.bounded(client.execute_command(context, command), "ExecuteCommand")
                entry["result"] = "ran"
            except DialforgeError as problem:
                entry.update({"result": "refused", "code": problem.code,
                              "hostError": problem.host_error})
        refused = [entry for entry in results if entry["result"] != "ran"]
        if refused:
            raise StepFailed(f"{len(refused)} commands refused, first {refused[0]['command']}")

    # Putting back.

    def will_restore(self, what: str, action: Callable[[Client], Awaitable[None]]) -> None:
        if all(existing != what for existing, _ in self.restores):
            self.restores.append((what, action))

    async def restore(self) -> None:
        """Every change made, undone in reverse order, then the host's state compared with the
        state at the start."""
        if not self.restores:
            return
        actions: List[Message] = []
        self.restore_report = {"result": "passed", "actions": actions}
        reachable = True
        for what, action in reversed(self.restores):
            entry: Message = {"what": what, "result": "put back"}
            actions.append(entry)
            try:
                if not reachable:
                    raise DialforgeError("the plug-in could not be reached", "no-plugin")
                await action(await self.connected())
            except (DialforgeError, StepFailed, ValueError) as problem:
                reachable = not (isinstance(problem, DialforgeError) and
                                 problem.code in ("no-plugin", "busy", "timeout"))
                entry.update({"result": "failed", "message": str(problem)})
                if isinstance(problem, DialforgeError) and problem.host_error:
                    entry["hostError"] = problem.host_error
        try:
            if not reachable:
                raise DialforgeError("the plug-in could not be reached", "no-plugin")
            differences = await self.differences_from_start()
        except DialforgeError as problem:
            differences = [f"could not read the host's state: {problem}"]
        if differences or any(entry["result"] == "failed" for entry in actions):
            self.restore_report["result"] = "failed"
        self.restore_report["differencesFromStart"] = differences

    async def differences_from_start(self) -> List[str]:
        client = await self.connected()
        found: List[str] = []
        for name, key in (("LumetriParameters", "parameters"), ("LumetriMenu", "menus")):
            if name not in self.first:
                continue
            now = by_id(await self.bounded(client.snapshot(name), name), key)
            for item, value in by_id(self.first[name], key).items():
                if not close_enough(now.get(item), value):
                    found.append(f"{name} {item}: {value!r} at the start, {now.get(item)!r} now")
        if "Transport" in self.first:
            playing = self.first["Transport"].get("play") is True
            # The host tells its transport a moment after the request.
            deadline = time.monotonic() + self.timeout
            while True:
                state = await self.bounded(client.snapshot("Transport"), "Transport")
                if (state.get("play") is True) == playing or time.monotonic() > deadline:
                    break
                await asyncio.sleep(0.05)
            if (state.get("play") is True) != playing:
                found.append(f"Transport play: {playing} at the start, {state.get('play')} now")
        return found

    # Traces.

    async def switch_traces_on(self) -> None:
        folder = data_folder(self.options.home)
        markers = [os.path.join(folder, name) for name in ("enabletraces", "enablelogs")]
        on = all(os.path.exists(marker) for marker in markers)
        self.trace["on"] = on
        if on or not self.options.traces:
            return
        os.makedirs(os.path.join(folder, "Logs"), exist_ok=True)
        for marker in markers:
            if not os.path.exists(marker):
                with open(marker, "w", encoding="ascii"):
                    pass
                self.created_markers.append(marker)
        self.trace["on"] = True
        self.trace["switchedOnByTheKit"] = True
        switched = min(os.stat(marker).st_mtime for marker in markers)
        wait = self.options.connect_timeout
        self.say(f">>> Traces are switched on from the next time the host loads the plug-in: "
                 f"quit the host and start it again now (the kit waits {wait:g} s).")
        port_file = port_file_path(self.options.home)
        deadline = time.monotonic() + wait
        while True:
            try:
                if os.stat(port_file).st_mtime >= switched:
                    return
            except OSError:
                pass
            if time.monotonic() > deadline:
                raise DialforgeError(f"the plug-in did not start again within {wait:g} s",
                                     "no-plugin")
            await asyncio.sleep(0.1)

    def collect_trace(self) -> None:
        for marker in self.created_markers:
            try:
                os.remove(marker)
            except OSError as problem:
                self.not_checked.append(f"Could not remove a marker file the kit made: {problem}")
        if self.created_markers:
            self.trace["switchedOffByTheKit"] = True
            self.say(">>> Traces are switched off again from the next time the host loads the "
                     "plug-in.")
        if not self.trace["on"]:
            self.not_checked.append("The plug-in's trace: traces were off (run with --traces "
                                    "to switch them on for the run).")
            return
        logs = os.path.join(data_folder(self.options.home), "Logs")
        try:
            names = [name for name in os.listdir(logs) if name.endswith(".log") and
                     os.stat(os.path.join(logs, name)).st_mtime >= self.started_clock - 1]
        except OSError:
            names = []
        if not names:
            self.not_checked.append("The plug-in's trace: no log file was written during the "
                                    "run (the host may not have loaded the plug-in again).")
            return
        newest = max(names, key=lambda name: os.stat(os.path.join(logs, name)).st_mtime)
        with open(os.path.join(logs, newest), encoding="utf-8", errors="replace") as file:
            self.trace["file"] = newest
            self.trace["lines"] = [line.rstrip("\n") for _, line in
                                   zip(range(TRACE_LINES), file)]

    # The report.

    def report(self) -> Message:
        failed = [step["name"] for step in self.steps if step["result"] == "failed"]
        hello = self.hello or {}
        report: Message = scrubbed({
            "report": "dialforge-fieldtest", "format": REPORT_FORMAT, "kitVersion": __version__,
            "started": self.started, "finished": now_text(),
            "passed": not failed and not self.interrupted and self.unreachable is None and
            self.restore_report["result"] != "failed",
            "interrupted": self.interrupted, "unreachable": self.unreachable,
            "failedSteps": failed,
            "platform": {"system": platform.system(), "release": platform.release(),
                         "version": platform.version(), "machine": platform.machine(),
                         "python": platform.python_version()},
            "plugin": {"version": hello.get("version"), "protocol": hello.get("protocol"),
                       "port": self.port, "host": hello.get("host")},
            "options": {"commands": list(self.options.commands or []),
                        "traces": self.options.traces, "panelMode": self.options.panel_mode,
                        "watchSeconds": self.options.watch_seconds},
            "steps": self.steps, "restore": self.restore_report,
            "notChecked": self.not_checked, "trace": self.trace, "privacy": PRIVACY,
        }, private_folders(self.options.home))
        return report


def summary(report: Message) -> str:
    """The report as a person reads it."""
    lines = [f"Dialforge field test, {report['started']} to {report['finished']}"]
    if report["interrupted"]:
        verdict = "INTERRUPTED (everything changed was put back; see below)"
    elif report["unreachable"]:
        verdict = f"NOT RUN: the plug-in could not be reached: {report['unreachable']}"
    else:
        verdict = "PASSED" if report["passed"] else "FAILED: " + ", ".join(
            report["failedSteps"] or ["putting back"])
    lines.append(f"Result: {verdict}")
    system = report["platform"]
    lines.append(f"Platform: {system['system']} {system['release']} ({system['machine']}), "
                 f"Python {system['python']}")
    plugin = report["plugin"]
    if plugin["version"] is not None:
        lines.append(f"Plug-in: version {plugin['version']}, protocol {plugin['protocol']}")
    host = plugin.get("host")
    if isinstance(host, dict):
        version = host.get("interfaceVersion", {})
        refused = [name for name, granted in host.get("suites", {}).items() if granted is None]
        lines.append(f"Host: identifier {host.get('identifier')}, interface version "
                     f"{version.get('major')}.{version.get('minor')}, suites refused: "
                     f"{', '.join(refused) or 'none'}")
    lines.append("")
    for step in report["steps"]:
        line = f"  {step['result'].upper():<11} {step['title']} ({step['seconds']:.3f} s)"
        error = step.get("error")
        if error:
            line += f": {error['code']}"
            if error.get("hostError"):
                line += f" '{error['hostError']}'"
            line += f", {error['message']}"
        if step.get("why"):
            line += f": {step['why']}"
        details = step["details"]
        if step["name"] == "ping" and step["result"] == "passed":
            line += f": median {details['medianMs']} ms, p99 {details['p99Ms']} ms"
        if step["name"] == "events" and "seen" in details:
            line += ": seen " + (", ".join(key for key, seen in details["seen"].items()
                                           if seen) or "nothing")
        lines.append(line)
    restore = report["restore"]
    lines.append("")
    lines.append(f"Putting back: {restore['result']}")
    for action in restore.get("actions", []):
        lines.append(f"  {action['result']}: {action['what']}"
                     + (f" ({action['message']})" if action.get("message") else ""))
    for difference in restore.get("differencesFromStart", []):
        lines.append(f"  differs from the start: {difference}")
    if report["notChecked"]:
        lines.append("")
        lines.append("Not checked:")
        lines += [f"  - {text}" for text in report["notChecked"]]
    trace = report["trace"]
    if trace.get("lines"):
        lines.append("")
        lines.append(f"First lines of the plug-in's trace ({trace.get('file')}):")
        lines += [f"  {line}" for line in trace["lines"]]
    lines.append("")
    lines.append(report["privacy"])
    return "\n".join(lines) + "\n"


def parse_arguments(arguments: Optional[Sequence[str]]) -> argparse.Namespace:
    parser = argparse.ArgumentParser(
        prog="dialforge-fieldtest",
        description="Runs a fixed, safe sequence of requests against the Dialforge plug-in in "
                    "the host, puts back everything it changed, and writes a report to send "
                    "back (docs/field-test.md).")
    parser.add_argument("--report", metavar="FILE",
                        help="the JSON report (default: dialforge-fieldtest-<UTC time>.json "
                             "here); the text summary goes beside it, ending in .txt")
    parser.add_argument("--traces", action="store_true",
                        help="switches the plug-in's traces on for the run (the host must be "
                             "started again) and off afterwards")
    parser.add_argument("--commands", nargs="+", metavar="CONTEXT:COMMAND",
                        help="also runs these host commands (ids as the Commands snapshot "
                             "lists them); without it no command is run")
    parser.add_argument("--parameter", metavar="ID",
                        help="the Lumetri parameter to change (default: the first with a range)")
    parser.add_argument("--menu", metavar="ID",
                        help="the Lumetri menu to move (default: the first)")
    parser.add_argument("--panel-mode", type=int, default=0, choices=range(PANEL_MODES),
                        metavar="MODE", help="the panel mode to put back, 0 to 6 (default 0)")
    parser.add_argument("--watch-seconds", type=float, default=10.0, metavar="SECONDS",
                        help="how long the tester has to use the host (default 10)")
    parser.add_argument("--timeout", type=float, default=10.0, metavar="SECONDS",
                        help="how long an answer or an event may take (default 10)")
    parser.add_argument("--connect-timeout", type=float, default=30.0, metavar="SECONDS",
                        help="how long to wait for the plug-in (default 30)")
    parser.add_argument("--home", metavar="DIR",
                        help="the folder that stands for ~ (or %%LOCALAPPDATA%%) where the "
                             "plug-in writes its port file")
    parser.add_argument("--port", type=int, help="the plug-in's port, instead of the port file")
    parser.add_argument("--version", action="version", version=f"%(prog)s {__version__}")
    return parser.parse_args(arguments)


async def run(options: argparse.Namespace) -> FieldTest:
    """The steps, then the putting back, which an interruption does not cut short."""
    test = FieldTest(options)  # made on the running loop, which its waits belong to
    steps = asyncio.ensure_future(test.run_steps())
    loop = asyncio.get_running_loop()

    def interrupt(*_: object) -> None:
        test.interrupted = True
        loop.call_soon_threadsafe(steps.cancel)

    previous = {number: signal.signal(number, interrupt)
                for number in (signal.SIGINT, getattr(signal, "SIGTERM", signal.SIGINT))}
    try:
        try:
            await steps
        except asyncio.CancelledError:
            test.interrupted = True
            test.say(">>> Interrupted: putting back what the kit changed.")
        except DialforgeError as problem:
            test.unreachable = str(problem)
        except OSError as problem:
            test.unreachable = f"the kit could not switch traces on: {problem}"
        # A second interruption during the putting back is only noted.
        for number in previous:
            signal.signal(number, lambda *_: test.say(">>> Still putting back, please wait."))
        try:
            await test.restore()
        finally:
            test.collect_trace()
            if test.client is not None:
                await test.client.close()
    finally:
        for number, handler in previous.items():
            signal.signal(number, handler)
    return test


def main(arguments: Optional[Sequence[str]] = None) -> int:
    options = parse_arguments(arguments)
    if hasattr(sys.stdout, "reconfigure"):  # a console that cannot show a host's name
        sys.stdout.reconfigure(errors="replace")
    test = asyncio.run(run(options))
    report = test.report()
    path = options.report or "dialforge-fieldtest-{}.json".format(
        report["started"].replace(":", "").replace("-", ""))
    text = summary(report)
    with open(path, "w", encoding="utf-8") as file:
        json.dump(report, file, indent=1, ensure_ascii=False)
        file.write("\n")
    text_path = (path[:-5] if path.endswith(".json") else path) + ".txt"
    with open(text_path, "w", encoding="utf-8") as file:
        file.write(text)
    sys.stdout.write("\n" + text)
    print(f"Report: {path} and {text_path}; please send both back.", flush=True)
    if test.interrupted:
        return 130
    if report["unreachable"]:
        return 2
    return 0 if report["passed"] else 1


if __name__ == "__main__":
    sys.exit(main())
