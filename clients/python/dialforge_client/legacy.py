"""The protocol 1 client of scripts written before protocol 2, kept as it was:

    with Client() as client:                       # finds the port in the port file
        client.send("1|Transport|Play")            # returns once the request has run
        menus = client.snapshot("LumetriMenu")     # [{"id": ..., "name": ..., "value": ...}]

The wire marks no protocol 1 reply's end. Every snapshot request is therefore followed by a
sentinel request, "<sentinel id>|GetParameters|~", whose reply is its id and "|" alone: replies
come in order, so a snapshot reply ends where its sentinel's reply begins, at the start of a line.
A sentinel's reply also shows that every request sent before it has run. See docs/protocol.md.
"""
from __future__ import annotations

import secrets
import socket
import time
from typing import Any, Callable, List, Optional, Tuple

from .aio import port_file_path, read_port
from .errors import DialforgeError
from .text import parse_snapshot, snapshot_end

SENTINEL_SNAPSHOT = "~"
Reply = Tuple[str, str, str]


class Stalled(DialforgeError):
    """Nothing came for the reply timeout."""


class Client:
    """One connection to the plug-in, which serves one client at a time."""

    def __init__(self, home: Optional[str] = None, port: Optional[int] = None,
                 connect_timeout: float = 10.0, reply_timeout: float = 20.0) -> None:
        """Connects by the port file under home (default $HOME), or to the port. Tries again
        while the port file is missing, nothing listens on the port, or the plug-in closes the
        connection at once (it serves another client). A connection made while the plug-in
        pauses after a client (5 s) is served when the pause ends."""
        self._reply_timeout = reply_timeout
        self._token = "~" + secrets.token_hex(8)
        self._sentinels = 0
        path = port_file_path(home)
        deadline = time.monotonic() + connect_timeout
        while True:
            self._socket: Optional[socket.socket] = None
            self._pending = b""
            try:
                self._socket = socket.create_connection(("127.0.0.1", port or read_port(path)))
                self._socket.setsockopt(socket.IPPROTO_TCP, socket.TCP_NODELAY, 1)
                # The probe: its reply shows that the plug-in serves this connection.
                self._exchange(())
                return
            except (OSError, ValueError, DialforgeError) as problem:
                self.close()
                if isinstance(problem, Stalled) or time.monotonic() >= deadline:
                    code = problem.code if isinstance(problem, DialforgeError) else "no-plugin"
                    raise DialforgeError(f"no plug-in answered: {problem}", code) from problem
                time.sleep(0.05)

    def __enter__(self) -> Client:
        return self

    def __exit__(self, *exception: object) -> None:
        self.close()

    def close(self) -> None:
        if self._socket:
            self._socket.close()
            self._socket = None

    def send(self, *requests: str) -> List[Reply]:
        """Sends the requests and returns, once all have run, the replies of the snapshot
        requests among them: (request id, snapshot name, text after the id's "|")."""
        return self._exchange(requests)

    def snapshot(self, name: str, request_id: str = "1") -> Any:
        """The snapshot, read into plain data (see parse_snapshot)."""
        (_, _, text), = self.send(f"{request_id}|GetParameters|{name}")
        return parse_snapshot(name, text)

    def _next_sentinel(self) -> str:
        self._sentinels += 1
        return f"{self._token}.{self._sentinels}"

    def _exchange(self, requests: Tuple[str, ...]) -> List[Reply]:
        lines: List[str] = []
        expected: List[Tuple[str, Optional[str], Optional[str]]] = []
        replies: List[Reply] = []
        confirmed = False  # whether a sentinel follows the last request
        for request in requests:
            if "\n" in request:
                raise ValueError(f"a request is one line: {request!r}")
            lines.append(request)
            confirmed = False
            fields = _fields(request)
            if len(fields) >= 3 and fields[1] == "GetParameters":
                sentinel = self._next_sentinel()
                lines.append(f"{sentinel}|GetParameters|{SENTINEL_SNAPSHOT}")
                expected += [(fields[0], fields[2], sentinel), (sentinel, None, None)]
                confirmed = True
        if not confirmed:
            sentinel = self._next_sentinel()
            lines.append(f"{sentinel}|GetParameters|{SENTINEL_SNAPSHOT}")
            expected.append((sentinel, None, None))
        if self._socket is None:
            raise DialforgeError("the connection has ended", "closed")
        self._socket.settimeout(self._reply_timeout)
        self._socket.sendall("".join(line + "\n" for line in lines).encode())
        for request_id, name, terminator in expected:
            start = request_id.encode() + b"|"
            self._receive_until(lambda: len(self._pending) >= len(start))
            if not self._pending.startswith(start):
                raise DialforgeError(
                    f"the reply to {request_id!r} was due, not {self._pending[:40]!r}")
            if terminator is None:
                self._pending = self._pending[len(start):]
                continue
            end = self._receive_until(
                lambda: snapshot_end(self._pending, len(start), terminator or ""))
            text = self._pending[len(start):end].decode("utf-8", "replace")
            replies.append((request_id, name or "", text))
            self._pending = self._pending[end:]
        return replies

    def _receive_until(self, complete: Callable[[], Optional[int]]) -> int:
        while True:
            found = complete()
            if found:
                return found
            try:
                assert self._socket is not None
                chunk = self._socket.recv(65536)
            except socket.timeout as problem:
                raise Stalled(f"no reply for {self._reply_timeout} s", "timeout") from problem
            if not chunk:
                raise DialforgeError("the plug-in closed the connection before every request ran",
                                     "closed")
            self._pending += chunk


def _fields(request: str) -> List[str]:
    """The fields as the plug-in cuts them: a NUL ends the text, a trailing "|" adds no field."""
    text = request.split("\0")[0]
    text = text[:-1] if text.endswith("|") else text
    return text.split("|") if text else []


