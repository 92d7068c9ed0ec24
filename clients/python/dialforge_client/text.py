"""Protocol 1 snapshot texts read into plain data, the shapes of protocol 2's results."""
from __future__ import annotations

from typing import Any, Dict, List, Optional, Sequence

CHANNEL_TITLE = "$ | Mixer | Channels | "
COMPONENT_TITLE = "$ | Mixer | Components | "
TEXT_SNAPSHOTS = ("Commands", "LumetriMenu", "LumetriParameters", "Mixer")


def snapshot_end(pending: bytes, start: int, sentinel: str) -> Optional[int]:
    """Where the sentinel's reply begins: right after the id's "|", or at a line's start."""
    marker = sentinel.encode() + b"|"
    at = pending.find(marker, start)
    while at != -1:
        if at == start or pending[at - 1:at] == b"\n":
            return at
        at = pending.find(marker, at + 1)
    return None


def parse_snapshot(name: str, text: str) -> Dict[str, Any]:
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


def _row(line: str, keys: Sequence[str], trailing_bar: bool = False) -> Dict[str, Any]:
    fields = line.split("|")
    if trailing_bar:
        if fields.pop() != "":
            raise ValueError(f"the row does not end in '|': {line!r}")
    if len(fields) != len(keys):
        raise ValueError(f"{len(fields)} fields instead of {len(keys)}: {line!r}")
    return dict(zip(keys, fields))


def _mixer(lines: List[str]) -> List[Dict[str, Any]]:
    if not lines:
        return []
    if not lines[0].startswith(CHANNEL_TITLE):
        raise ValueError("no channel table")
    count = int(lines[0][len(CHANNEL_TITLE):].split("N", 1)[0])
    keys = ("row", "id", "name", "states", "volume", "flags", "audioChannels",
            "audioChannelValue", "panType")
    channels: List[Dict[str, Any]] = []
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
            component = _row(line, ("index", "name", "bypass", "parameterCount"), trailing_bar=True)
            for key in ("index", "parameterCount"):
                component[key] = int(component[key])
            component["bypass"] = component["bypass"] != "0"
            component["parameters"] = []
            channels[table]["components"].append(component)
    return channels
