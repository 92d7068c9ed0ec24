"""The asyncio client: one TCP connection on the loopback address, protocol 2 (JSON
acknowledgements, snapshots and events) by default, protocol 1 (text, sentinels) on request or
when the plug-in speaks no other."""
from __future__ import annotations

import asyncio
import json
import math
import os
import secrets
import sys
import time
from decimal import Decimal
from typing import Any, AsyncIterator, Callable, Dict, List, Optional, Set, Union

from .errors import DialforgeError
from .text import TEXT_SNAPSHOTS, parse_snapshot, snapshot_end

# The plug-in drops longer lines; refusing them here keeps the replies in step.
MAX_LINE_BYTES = 131071
RETRY_SECONDS = 0.05
BYE_WAIT_SECONDS = 2.0
REPLY_TIMEOUT_SECONDS = 20.0
RETRIED = ("busy", "no-plugin", "closed")
# How long an accepted connection may go unanswered before the wait is said: the plug-in pauses.
PATIENCE_SECONDS = 0.25
# How long the port file is watched after the plug-in ends the connection, to tell a host that
# stopped (it withdraws the file right after) from a plug-in that closed this connection alone.
WITHDRAWAL_WAIT_SECONDS = 0.5
TOKEN_FILE = "socket.token"
WAITING_FOR_LISTENER = "waiting for the plug-in to listen again (it pauses 5 s after each client)"
WAITING_FOR_OTHER = ("waiting for the plug-in to finish with another client (it serves one at a "
                     "time)")
# What the plug-in's refusals of Hello mean.
REFUSALS = {
    "busy": "the plug-in serves as many clients as it takes, or a client of protocol 1, and "
            "takes no other now",
    "unauthorized": "the plug-in serves other clients and takes one more only with its token "
                    "(the file socket.token beside the port file, or token=), which this "
                    "connection did not prove",
}

Message = Dict[str, Any]


def port_file_path(home: Optional[str] = None) -> str:
    """Where the plug-in writes its port: under HOME on Linux and macOS, LOCALAPPDATA on Windows."""
    windows = sys.platform == "win32"
    variable = "LOCALAPPDATA" if windows else "HOME"
    base = home or os.environ.get(variable) or ""
    if not base:
        raise DialforgeError(f"{variable} is not set: no port file to read", "no-plugin")
    if windows:
        return os.path.join(base, "Dialforge", "PluginData", "PremierePro", "socket.port")
    return os.path.join(base, ".local", "share", "Dialforge", "PluginData", "PremierePro",
                        "socket.port")


def read_port(path: str) -> int:
    try:
        with open(path, encoding="ascii") as file:
            text = file.read().strip()
    except (OSError, ValueError) as problem:
        raise DialforgeError(f"waiting for the plug-in to write its port file {path} "
                             f"({problem.__class__.__name__})", "no-plugin") from problem
    port = int(text) if text.isdigit() and len(text) <= 5 else 0
    if not 1 <= port <= 65535:
        raise DialforgeError(f"unreadable port file {path}", "no-plugin")
    return port


def read_token(port_file: str) -> Optional[str]:
    """The token in socket.token beside the port file; None when missing or not 32 hex digits."""
    try:
        with open(os.path.join(os.path.dirname(port_file), TOKEN_FILE), encoding="ascii") as file:
            text = file.read().strip()
    except (OSError, ValueError):
        return None
    hex_digits = len(text) == 32 and all(c in "0123456789abcdefABCDEF" for c in text)
    return text if hex_digits else None


def decimal_text(value: Union[str, int, float]) -> str:
    """The number in plain decimal notation that reads back as the same float: the plug-in reads
    no exponent. Raises DialforgeError "invalid-value" for a number that is not finite."""
    if isinstance(value, bool) or not isinstance(value, (int, float)):
        return str(int(value) if isinstance(value, bool) else value)
    if isinstance(value, int):
        return str(value)
    if not math.isfinite(value):
        raise DialforgeError(f"{value} is not a finite number; nothing was sent", "invalid-value")
    return format(Decimal(repr(value)), "f")


async def connect(home: Optional[str] = None, port: Optional[int] = None,
                  connect_timeout: float = 10.0, protocol: int = 2, token: Optional[str] = None,
                  on_wait: Optional[Callable[[str], None]] = None,
                  reply_timeout: float = REPLY_TIMEOUT_SECONDS) -> Client:
    """Connects, trying again until connect_timeout (seconds) while no plug-in listens or it
    serves another client; a connection it has accepted is waited on, since it may pause after
    a client. on_wait(reason) is called once for each reason it waits. While a reply is due, the
    plug-in must send something within reply_timeout seconds, or the connection is given up."""
    return await _connect_until(home, port, protocol, time.monotonic() + connect_timeout, token,
                                on_wait, reply_timeout)


async def watch(home: Optional[str] = None, port: Optional[int] = None,
                protocol: int = 2, token: Optional[str] = None,
                on_wait: Optional[Callable[[str], None]] = None,
                reply_timeout: float = REPLY_TIMEOUT_SECONDS) -> AsyncIterator[Client]:
    """A connected client each time the plug-in appears; the next one once that connection ends."""
    while True:
        client = await _connect_until(home, port, protocol, float("inf"), token, on_wait,
                                      reply_timeout)
        try:
            yield client
            await client.wait_closed()
        finally:
            await client.close()


async def _connect_until(home: Optional[str], port: Optional[int], protocol: int,
                         deadline: float, token: Optional[str] = None,
                         on_wait: Optional[Callable[[str], None]] = None,
                         reply_timeout: float = REPLY_TIMEOUT_SECONDS) -> Client:
    path = None if port else port_file_path(home)
    if token is not None and (not token or any(c in token for c in "|\n\r\0")):
        raise DialforgeError("the token is text without '|', line feeds or NULs", "invalid-value")
    said: Set[str] = set()

    def wait(reason: str) -> None:
        if reason not in said:
            said.add(reason)
            if on_wait is not None:
                on_wait(reason)

    last = DialforgeError("no time left to connect", "timeout")
    while True:
        remaining = deadline - time.monotonic()
        if remaining <= 0:
            raise DialforgeError(f"{last}; gave up", last.code)
        try:
            found = port or read_port(path or "")
            # A port given may be anybody's: the token goes only where the private port file
            # points.
            proof = token if token is not None else read_token(path) if path else None
            client = await Client._open(found, 1 if protocol == 1 else 2, remaining, proof, path,
                                        wait)
            client._reply_timeout = reply_timeout
            return client
        except DialforgeError as problem:
            # An attempt is given what time is left: its timeout is the deadline, and the
            # refusal before it says more.
            if problem.code == "timeout" and last.code != "timeout":
                raise DialforgeError(f"{last}; gave up", last.code) from None
            if problem.code not in RETRIED:
                raise
            last = problem
            wait(str(problem))
        await asyncio.sleep(min(RETRY_SECONDS, max(0.0, deadline - time.monotonic())))


class Subscription:
    """The events of one kind, from the Subscribe's acknowledgement until aclose() or the
    connection's end. `await subscription.ready` waits for that acknowledgement."""

    def __init__(self, client: Client, name: str) -> None:
        self.name = name
        self._client = client
        self._events: asyncio.Queue[Optional[Message]] = asyncio.Queue()
        self.done = False
        self.ready: asyncio.Future[Message] = asyncio.ensure_future(
            client.request("Subscribe", name))

    def __aiter__(self) -> Subscription:
        return self

    async def __anext__(self) -> Message:
        await self.ready
        event = await self._events.get()
        if event is None:
            raise StopAsyncIteration
        return event

    def _finish(self) -> None:
        if not self.done:
            self.done = True
            self._client._streams.discard(self)
            self._events.put_nowait(None)

    async def aclose(self) -> None:
        """Unsubscribes; returns at once when the connection has ended, and within 2 s always."""
        if self.done:
            return
        self._finish()
        if not any(other.name == self.name for other in self._client._streams):
            try:
                await asyncio.wait_for(self._client.request("Unsubscribe", self.name),
                                       BYE_WAIT_SECONDS)
            except (DialforgeError, asyncio.TimeoutError):
                pass


class _Due:
    """A protocol 1 reply due: its sentinel, and the snapshot text before it, if any."""

    def __init__(self, request_id: str, sentinel: str, snapshot: bool,
                 future: asyncio.Future[Message]) -> None:
        self.request_id, self.sentinel, self.snapshot, self.future = (request_id, sentinel,
                                                                      snapshot, future)
        self.text = ""


class Client:
    """One connection to the plug-in, which serves one client at a time."""

    @staticmethod
    async def _open(port: int, protocol: int, timeout: float, token: Optional[str] = None,
                    port_file: Optional[str] = None,
                    wait: Optional[Callable[[str], None]] = None) -> Client:
        try:
            reader, writer = await asyncio.open_connection("127.0.0.1", port)
        except OSError as problem:
            where = (f"stale port file {port_file}? is the host running?" if port_file else
                     "is the host running? is it the port the plug-in wrote?")
            raise DialforgeError(f"nothing listens on port {port} ({where})",
                                 "no-plugin") from problem
        client = Client(reader, writer, port, protocol, token, port_file)
        loop = asyncio.get_running_loop()
        patience = loop.call_later(min(PATIENCE_SECONDS, timeout),
                                   lambda: wait(WAITING_FOR_LISTENER) if wait else None)
        try:
            return await asyncio.wait_for(asyncio.shield(client._ready), min(timeout, 1e9))
        except asyncio.TimeoutError:
            client._end(DialforgeError(f"the plug-in on port {port} did not answer within "
                                       f"{timeout:.1f} s", "timeout"))
            raise DialforgeError(str(client._ready.exception()), "timeout") from None
        finally:
            patience.cancel()

    def __init__(self, reader: asyncio.StreamReader, writer: asyncio.StreamWriter, port: int,
                 protocol: int, token: Optional[str] = None,
                 port_file: Optional[str] = None) -> None:
        self.port = port
        self.protocol = protocol
        self._port_file = port_file
        self._closing = False
        self._reply_timeout = REPLY_TIMEOUT_SECONDS
        self._stall: Optional[asyncio.TimerHandle] = None
        self.hello: Optional[Message] = None
        self._reader, self._writer = reader, writer
        self._stage = "hello"
        self._buffer = b""
        self._next_id = 0
        self._pending: Dict[str, asyncio.Future[Message]] = {}
        self._queue: List[_Due] = []
        self._streams: Set[Subscription] = set()
        self._listeners: Dict[str, List[Callable[..., None]]] = {}
        self._token = "~" + secrets.token_hex(8)
        self._sentinels = 0
        self._hello_sentinel = self._next_sentinel()
        self._ended = False
        self._reading_ended = False
        self._closed = asyncio.get_running_loop().create_future()
        self._ready: asyncio.Future[Client] = asyncio.get_running_loop().create_future()
        proof = f"|{token}" if token else ""
        hello = f"{self._new_id()}|Hello|2{proof}\n" if protocol == 2 else ""
        # The sentinel's reply shows that the plug-in serves us, and in which protocol.
        writer.write(f"{hello}{self._hello_sentinel}|GetParameters|~\n".encode())
        self._task = asyncio.ensure_future(self._read())

    async def __aenter__(self) -> Client:
        return self

    async def __aexit__(self, *exception: object) -> None:
        await self.close()

    def on(self, name: str, listener: Callable[..., None]) -> None:
        """Calls listener(event) for "event", (message) for "message" (every JSON line), and
        (problem or None) for "close"."""
        self._listeners.setdefault(name, []).append(listener)

    async def request(self, keyword: str, *args: Union[str, int, float]) -> Message:
        """One request; returns the plug-in's acknowledgement (protocol 1: once it has run).
        Raises DialforgeError with the plug-in's code when it refused."""
        return await self._send([keyword, *map(decimal_text, args)], False)

    async def snapshot(self, name: str) -> Message:
        reply = await self._send(["GetParameters", name], True)
        if self.protocol == 2:
            result: Message = reply["result"]
            return result
        if name not in TEXT_SNAPSHOTS:
            raise DialforgeError(f"no snapshot is called {name}", "unknown-snapshot")
        return parse_snapshot(name, reply["text"])

    async def transport(self, keyword: str) -> Message:
        return await self.request("Transport", keyword)

    async def play(self) -> Message:
        return await self.transport("Play")

    async def stop(self) -> Message:
        return await self.transport("Stop")

    async def pause(self) -> Message:
        return await self.transport("Pause")

    async def record(self) -> Message:
        return await self.transport("Record")

    async def jog(self, value1: int, value2: int, flag: bool) -> Message:
        return await self.request("Transport", "JogDial", value1, value2, int(flag))

    async def set_lumetri(self, parameter_id: str, value: float) -> Message:
        return await self.request("ChangeLumetri", parameter_id, value)

    async def reset_lumetri(self, parameter_id: str) -> Message:
        return await self.request("ResetChangeLumetri", parameter_id)

    async def next_menu_choice(self, menu_id: str) -> Message:
        return await self.request("ChangeLumetriMenuValue", menu_id)

    async def panel_mode(self, mode: Union[int, str]) -> Message:
        return await self.request("ChangeLumetriPanelMode", mode)

    async def execute_command(self, context: str, command: str) -> Message:
        return await self.request("ExecuteCommand", context, command)

    async def navigate(self, flag1: bool, value1: int, value2: int, flag2: bool) -> Message:
        return await self.request(
            "Navigate",
            f"{int(flag1)},{decimal_text(value1)},{decimal_text(value2)},{int(flag2)}")

    async def ping(self) -> Message:
        return await self.request("Ping", "0")

    def subscribe(self, name: str) -> Subscription:
        if self.protocol != 2:
            raise DialforgeError("events need protocol 2", "protocol")
        subscription = Subscription(self, name)
        self._streams.add(subscription)

        def refused(ready: asyncio.Future[Message]) -> None:
            if not ready.cancelled() and ready.exception() is not None:
                subscription._finish()

        subscription.ready.add_done_callback(refused)
        return subscription

    async def close(self) -> None:
        """Says Bye (protocol 2), so the plug-in serves its next client at once, and ends; at
        once when the connection has ended already, and within 2 s always."""
        if self._reading_ended:
            self._end(DialforgeError("the plug-in closed the connection", "closed"))
        self._closing = True
        if not self._ended and self.protocol == 2 and self._stage == "lines":
            try:
                await asyncio.wait_for(self.request("Bye", "0"), BYE_WAIT_SECONDS)
            except (DialforgeError, asyncio.TimeoutError):
                pass
        self._end(None)
        await self.wait_closed()

    async def wait_closed(self) -> Optional[DialforgeError]:
        """Returns once the connection has ended: None after close(), else a DialforgeError with
        code "closed" saying why ("the plug-in closed the connection", "the host stopped")."""
        result: Optional[DialforgeError] = await asyncio.shield(self._closed)
        return result

    def _new_id(self) -> str:
        self._next_id += 1
        return str(self._next_id)

    def _next_sentinel(self) -> str:
        self._sentinels += 1
        return f"{self._token}.{self._sentinels}"

    def _send(self, fields: List[str], snapshot: bool) -> asyncio.Future[Message]:
        future: asyncio.Future[Message] = asyncio.get_running_loop().create_future()
        text = "|".join(fields)
        request_id = self._new_id()
        line = f"{request_id}|{text}\n"
        if self._ended:
            future.set_exception(DialforgeError("the connection has ended", "closed"))
        elif "\n" in text or "\0" in text:
            future.set_exception(DialforgeError("a request cannot hold a line feed or a NUL",
                                                "invalid-message"))
        elif len(line.encode()) > MAX_LINE_BYTES:
            future.set_exception(DialforgeError(f"a request is at most {MAX_LINE_BYTES} bytes",
                                                "too-long"))
        elif self.protocol == 2:
            self._pending[request_id] = future
            self._writer.write(line.encode())
        else:
            sentinel = self._next_sentinel()
            self._queue.append(_Due(request_id, sentinel, snapshot, future))
            self._writer.write(f"{line}{sentinel}|GetParameters|~\n".encode())
        self._watch_replies()
        return future

    def _watch_replies(self) -> None:
        """While a reply is due, the plug-in must send something within the reply timeout."""
        if self._stall is not None:
            self._stall.cancel()
            self._stall = None
        if self._ended or not (self._pending or self._queue):
            return
        problem = DialforgeError(f"nothing came from the plug-in for {self._reply_timeout} s "
                                 "while a reply was due", "timeout")
        self._stall = asyncio.get_running_loop().call_later(self._reply_timeout, self._end,
                                                            problem)

    def _emit(self, name: str, value: Any) -> None:
        for listener in list(self._listeners.get(name, [])):
            listener(value)

    async def _read(self) -> None:
        problem: Optional[DialforgeError] = None
        try:
            while not self._ended:
                chunk = await self._reader.read(65536)
                if not chunk:
                    break
                self._buffer += chunk
                while not self._ended and self._step():
                    pass
                self._watch_replies()
            self._reading_ended = True
            if self._stage == "hello":
                problem = DialforgeError(WAITING_FOR_OTHER, "busy")
            elif not self._closing and not self._ended:
                problem = DialforgeError(await self._why_closed(), "closed")
        except asyncio.CancelledError:
            # The program ends: nothing may wait for a reply that cannot come.
            self._end(DialforgeError("the connection's reader was stopped", "closed"))
            raise
        except OSError as error:
            problem = DialforgeError(f"port {self.port}: {error}", "closed")
        except DialforgeError as error:
            problem = error
        except ValueError as error:
            problem = DialforgeError(str(error), "protocol")
        self._end(problem)

    async def _why_closed(self) -> str:
        """The host withdraws its port file as it stops; a plug-in that ends one connection
        keeps it."""
        if not self._port_file:
            return "the plug-in closed the connection"
        deadline = time.monotonic() + WITHDRAWAL_WAIT_SECONDS
        while True:
            try:
                if read_port(self._port_file) != self.port:
                    return "the host stopped"
            except DialforgeError:
                return "the host stopped"
            if time.monotonic() >= deadline:
                return "the plug-in closed the connection"
            await asyncio.sleep(0.01)

    def _step(self) -> bool:
        """Takes one reply off the buffer; False when it needs more bytes."""
        if self._stage == "hello":
            if not self._buffer:
                return False
            if self._buffer.startswith(b"{"):
                hello = self._take_json()
                if hello is None:
                    return False
                refusal = REFUSALS.get(hello.get("error", "")) if hello.get("ok") is False else None
                if refusal is not None:
                    raise DialforgeError(f"{refusal} ({hello.get('message', '')})",
                                         hello["error"])
                if hello.get("ok") is not True or not hello.get("protocol", 0) >= 2:
                    raise DialforgeError(f"the plug-in refused Hello: {hello}", "protocol")
                self.hello, self._stage = hello, "hello sentinel"
                return True
            if not self._take_marker(self._hello_sentinel):
                return False
            self.protocol = 1
            self._serving()
            return True
        if self._stage == "hello sentinel":
            if self._take_json() is None:
                return False
            self._serving()
            return True
        return self._step_json() if self.protocol == 2 else self._step_text()

    def _serving(self) -> None:
        self._stage = "lines"
        self._ready.set_result(self)

    def _step_json(self) -> bool:
        message = self._take_json()
        if message is None:
            return False
        self._emit("message", message)
        if isinstance(message.get("event"), str):
            for stream in list(self._streams):
                if stream.name == message["event"]:
                    stream._events.put_nowait(message)
            self._emit("event", message)
            return True
        # Replies come in order: one without a known id (a line too long) is the oldest's.
        request_id = message.get("id")
        if request_id not in self._pending:
            request_id = next(iter(self._pending), None)
        future = self._pending.pop(request_id) if request_id is not None else None
        if future is None:
            raise DialforgeError(f"a reply that no request awaits: {message}", "protocol")
        if future.done():
            return True
        if message.get("ok") is True:
            future.set_result(message)
        else:
            future.set_exception(DialforgeError(message.get("message", "refused"),
                                                message.get("error", "protocol"),
                                                message.get("hostError")))
        return True

    def _step_text(self) -> bool:
        if not self._buffer:
            return False
        if not self._queue:
            raise DialforgeError("bytes that no request awaits", "protocol")
        head = self._queue[0]
        if head.snapshot:
            start = f"{head.request_id}|".encode()
            if len(self._buffer) < len(start):
                return False
            if not self._buffer.startswith(start):
                raise DialforgeError(f"the reply to {head.request_id} was due", "protocol")
            end = snapshot_end(self._buffer, len(start), head.sentinel)
            if end is None:
                return False
            head.text = self._buffer[len(start):end].decode("utf-8", "replace")
            head.snapshot = False
            self._buffer = self._buffer[end:]
        if not self._take_marker(head.sentinel):
            return False
        self._queue.pop(0)
        if not head.future.done():
            head.future.set_result({"id": head.request_id, "ok": True, "text": head.text})
        return True

    def _take_json(self) -> Optional[Message]:
        end = self._buffer.find(b"\n")
        if end < 0:
            return None
        line, self._buffer = self._buffer[:end], self._buffer[end + 1:]
        message = json.loads(line.decode("utf-8"))
        if not isinstance(message, dict):
            raise DialforgeError(f"not a JSON object: {line[:80]!r}", "protocol")
        return message

    def _take_marker(self, sentinel: str) -> bool:
        marker = f"{sentinel}|".encode()
        if len(self._buffer) < len(marker):
            return False
        if not self._buffer.startswith(marker):
            raise DialforgeError(f"the reply to {sentinel} was due", "protocol")
        self._buffer = self._buffer[len(marker):]
        return True

    def _end(self, problem: Optional[DialforgeError]) -> None:
        if self._ended:
            return
        self._ended = True
        if self._stall is not None:
            self._stall.cancel()
        self._writer.close()
        if not self._ready.done():
            self._ready.set_exception(problem or DialforgeError("the connection ended", "closed"))
        reason = f"the connection ended: {problem}" if problem else "the connection ended"
        due = list(self._pending.values()) + [entry.future for entry in self._queue]
        for future in due:
            if not future.done():
                future.set_exception(DialforgeError(reason, "closed"))
        self._pending.clear()
        self._queue = []
        for stream in list(self._streams):
            stream._finish()
        if asyncio.current_task() is not self._task:
            self._task.cancel()
        self._closed.set_result(problem)
        self._emit("close", problem)
