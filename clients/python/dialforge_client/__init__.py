"""A client of the Dialforge plug-in, standard library only.

    client = await dialforge_client.connect()          # asyncio, protocol 2
    mixer = await client.snapshot("Mixer")
    async for event in client.subscribe("Transport"): ...

`dialforge_client.blocking.connect()` gives the same API for scripts, without asyncio; `Client`
is the protocol 1 client of earlier scripts, unchanged.
"""
from .aio import Client as AsyncClient
from .aio import Subscription, connect, decimal_text, port_file_path, read_token, watch
from .errors import DialforgeError
from .legacy import Client, Stalled
from .text import parse_snapshot

__version__ = "1.0.0"
__all__ = ["AsyncClient", "Client", "DialforgeError", "Stalled", "Subscription", "connect",
           "decimal_text", "parse_snapshot", "port_file_path", "read_token", "watch"]
