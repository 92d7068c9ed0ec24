"""A reference client of the Dialforge plug-in, standard library only.

    with Client() as client:                       # finds the port in the port file
        client.send("1|Transport|Play")            # returns once the request has run
        menus = client.snapshot("LumetriMenu")     # [{"id": ..., "name": ..., "value": ...}]

The wire marks no reply's end. Every snapshot request is therefore followed by a sentinel
request, "<sentinel id>|GetParameters|~", whose reply is its id and "|" alone: replies come in
order, so a snapshot reply ends where its sentinel's reply begins, at the start of a line. A
sentinel's reply also shows that every request sent before it has run. See docs/protocol.md.
"""

import os
import secrets
import socket
import time

# Under HOME on Linux and macOS; under LOCALAPPDATA on Windows, where HOME is not set.
if os.name == "nt":
    HOME_VARIABLE = "LOCALAPPDATA"
    PORT_FILE = os.path.join("Dialforge", "PluginData", "PremierePro", "socket.port")
else:
    HOME_VARIABLE = "HOME"
    PORT_FILE = ".local/share/Dialforge/PluginData/PremierePro/socket.port"
SNAPSHOTS = ("Commands", "LumetriMenu", "LumetriParameters", "Mixer")
SENTINEL_SNAPSHOT = "~"
CHANNEL_TITLE = "$ | Mixer | Channels | "
COMPONENT_TITLE = "$ | Mixer | Components | "


class DialforgeError(Exception):
    """The plug-in could not be reached, or a batch did not complete."""


class Stalled(DialforgeError):
    """Nothing came for the reply timeout."""


class Client:
    """One connection to the plug-in, which serves one client at a time."""

    def __init__(self, home=None, port=None, connect_timeout=10.0, reply_timeout=20.0):
        """Connects by the port file under home (default $HOME, or %LOCALAPPDATA% on Windows),
        or to the port. Tries again
        while the port file is missing, nothing listens on the port, or the plug-in closes the
        connection at once (it serves another client). A connection made while the plug-in
        pauses after a client (5 s) is served when the pause ends."""
        self._reply_timeout = reply_timeout
        self._token = "~" + secrets.token_hex(8)
        self._sentinels = 0
        path = os.path.join(home or os.environ.get(HOME_VARIABLE, ""), PORT_FILE)
        deadline = time.monotonic() + connect_timeout
        while True:
            self._socket, self._pending = None, b""
            try:
                self._socket = socket.create_connection(("127.0.0.1", port or _read_port(path)))
                self._socket.setsockopt(socket.IPPROTO_TCP, socket.TCP_NODELAY, 1)
                # The probe: its reply shows that the plug-in serves this connection.
                self._exchange([])
                return
            except (OSError, ValueError, DialforgeError) as problem:
                self.close()
                if isinstance(problem, Stalled) or time.monotonic() >= deadline:
                    raise DialforgeError(f"no plug-in answered: {problem}") from problem
                time.sleep(0.05)

    def __enter__(self):
        return self

    def __exit__(self, *exception):
        self.close()

    def close(self):
        if self._socket:
            self._socket.close()
            self._socket = None

    def send(self, *requests):
        """Sends the requests and returns, once all have run, the replies of the snapshot
        requests among them: (request id, snapshot name, text after the id's "|")."""
        return self._exchange(requests)

    def snapshot(self, name, request_id="1"):
        """The snapshot, read into plain data (see parse_snapshot)."""
        (_, _, text), = self.send(f"{request_id}|GetParameters|{name}")
        return parse_snapshot(name, text)

    def _next_sentinel(self):
        self._sentinels += 1
        return f"{self._token}.{self._sentinels}"

    def _exchange(self, requests):
        lines, expected, replies = [], [], []
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
        self._socket.settimeout(self._reply_timeout)
        self._socket.sendall("".join(line + "\n" for line in lines).encode())
        for request_id, name, terminator in expected:
            start = request_id.encode() + b"|"
            self._receive_until(lambda: len(self._pending) >= len(start))
            if not self._pending.startswith(start):
                raise DialforgeError(f"the reply to {request_id!r} was due, not {self._pending[:40]!r}")
            if terminator is None:
                self._pending = self._pending[len(start):]
                continue
            end = self._receive_until(lambda: _snapshot_end(self._pending, len(start), terminator))
            text = self._pending[len(start):end].decode("utf-8", "replace")
            replies.append((request_id, name, text))
            self._pending = self._pending[end:]
        return replies

    def _receive_until(self, complete):
        while True:
            found = complete()
            if found:
                return found
            try:
                chunk = self._socket.recv(65536)
            except socket.timeout as problem:
                raise Stalled(f"no reply for {self._reply_timeout} s") from problem
            if not chunk:
                raise DialforgeError("the plug-in closed the connection before every request ran")
            self._pending += chunk


def _fields(request):
    """The fields as the plug-in cuts them: a NUL ends the text, a trailing "|" adds no field."""
    text = request.split("\0")[0]
    text = text[:-1] if text.endswith("|") else text
    return text.split("|") if text else []


def _read_port(path):
    with open(path, encoding="ascii") as file:
        return int(file.read().strip())


def _snapshot_end(pending, start, sentinel):
    """Where the sentinel's reply begins: right after the id's "|", or at a line's start."""
    marker = sentinel.encode() + b"|"
    at = pending.find(marker, start)
    while at != -1:
        if at == start or pending[at - 1:at] == b"\n":
            return at
        at = pending.find(marker, at + 1)
    return None


def parse_snapshot(name, text):
    """The snapshot text as plain data, as dialforge-client --json gives it in "result":
    {"commands": [...]}, {"parameters": [...]}, {"menus": [...]} or {"channels": [...]}; an
    unknown name gives {}. Raises ValueError when the text does not fit."""
    lines = text.split("\n")
    if lines.pop() != "":
        raise ValueError("the last line has no line feed")
    if name == "Commands":
        keys = ("contextId", "contextName", "commandId", "commandName")
        return {"commands": [_row(line, keys) for line in lines]}
    if name == "LumetriParameters":
        rows = [_row(line, ("id", "name", "value")) for line in lines]
        for row in rows:
            row["value"] = float(row["value"])
        return {"parameters": rows}
    if name == "LumetriMenu":
        return {"menus": [_row(line, ("id", "name", "value")) for line in lines]}
    if name == "Mixer":
        return {"channels": _mixer(lines)}
    return {}


def _row(line, keys, trailing_bar=False):
    fields = line.split("|")
    if trailing_bar:
        if fields.pop() != "":
            raise ValueError(f"the row does not end in '|': {line!r}")
    if len(fields) != len(keys):
        raise ValueError(f"{len(fields)} fields instead of {len(keys)}: {line!r}")
    return dict(zip(keys, fields))


def _mixer(lines):
    if not lines:
        return []
    if not lines[0].startswith(CHANNEL_TITLE):
        raise ValueError("no channel table")
    count = int(lines[0][len(CHANNEL_TITLE):].split("N", 1)[0])
    keys = ("row", "id", "name", "states", "volume", "flags", "audioChannels",
            "audioChannelValue", "panType")
    channels = []
    for line in lines[1:1 + count]:
        channel = _row(line, keys, trailing_bar=True)
        entries = channel["states"].split(",")
        if len(entries) != 7 or entries.pop() != "":
            raise ValueError(f"channel states are not six entries: {line!r}")
        channel["states"] = [entry.split("-", 1)[1] != "0" for entry in entries]
        for key in ("row", "id", "flags", "audioChannels", "panType"):
            channel[key] = int(channel[key])
        for key in ("volume", "audioChannelValue"):
            channel[key] = float(channel[key])
        channel["components"] = []
        channels.append(channel)
    # The k-th component table belongs to the channel in row k.
    table = -1
    for line in lines[1 + count:]:
        if line.startswith(COMPONENT_TITLE):
            table += 1
        elif line.startswith("---"):
            index, rest = line[3:].split(",", 1)
            head, text = rest.split(", ", 1)
            parameter_name, value = head.rsplit(",", 1)
            channels[table]["components"][-1]["parameters"].append(
                {"index": int(index), "name": parameter_name, "value": float(value), "text": text})
        else:
            keys = ("index", "name", "bypass", "parameterCount")
            component = _row(line, keys, trailing_bar=True)
            for key in ("index", "parameterCount"):
                component[key] = int(component[key])
            component["bypass"] = component["bypass"] != "0"
            component["parameters"] = []
            channels[table]["components"].append(component)
    return channels
