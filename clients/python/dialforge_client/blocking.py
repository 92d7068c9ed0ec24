"""The asyncio client for scripts: each call runs the client's loop until it is done.

    with dialforge_client.blocking.connect() as client:
        client.play()
        for event in client.subscribe("Transport"): ...
"""
from __future__ import annotations

import asyncio
from typing import Any, Awaitable, Callable, Dict, Iterator, Optional, TypeVar, Union

from . import aio

T = TypeVar("T")
Message = Dict[str, Any]


def connect(home: Optional[str] = None, port: Optional[int] = None,
            connect_timeout: float = 10.0, protocol: int = 2, token: Optional[str] = None,
            on_wait: Optional[Callable[[str], None]] = None,
            reply_timeout: float = aio.REPLY_TIMEOUT_SECONDS) -> BlockingClient:
    """As dialforge_client.connect, blocking."""
    loop = asyncio.new_event_loop()
    try:
        client = loop.run_until_complete(
            aio.connect(home, port, connect_timeout, protocol, token, on_wait, reply_timeout))
    except BaseException:
        loop.close()
        raise
    return BlockingClient(loop, client)


class BlockingClient:
    """The methods of dialforge_client.AsyncClient, blocking; events are read while a call runs."""

    def __init__(self, loop: asyncio.AbstractEventLoop, client: aio.Client) -> None:
        self._loop, self.client = loop, client
        self.protocol, self.hello = client.protocol, client.hello

    def __enter__(self) -> BlockingClient:
        return self

    def __exit__(self, *exception: object) -> None:
        self.close()

    def _run(self, step: Awaitable[T]) -> T:
        return self._loop.run_until_complete(step)

    def request(self, keyword: str, *args: Union[str, int, float]) -> Message:
        return self._run(self.client.request(keyword, *args))

    def snapshot(self, name: str) -> Message:
        return self._run(self.client.snapshot(name))

    def transport(self, keyword: str) -> Message:
        return self._run(self.client.transport(keyword))

    def play(self) -> Message:
        return self.transport("Play")

    def stop(self) -> Message:
        return self.transport("Stop")

    def pause(self) -> Message:
        return self.transport("Pause")

    def record(self) -> Message:
        return self.transport("Record")

    def jog(self, value1: int, value2: int, flag: bool) -> Message:
        return self._run(self.client.jog(value1, value2, flag))

    def set_lumetri(self, parameter_id: str, value: float) -> Message:
        return self._run(self.client.set_lumetri(parameter_id, value))

    def reset_lumetri(self, parameter_id: str) -> Message:
        return self._run(self.client.reset_lumetri(parameter_id))

    def next_menu_choice(self, menu_id: str) -> Message:
        return self._run(self.client.next_menu_choice(menu_id))

    def panel_mode(self, mode: Union[int, str]) -> Message:
        return self._run(self.client.panel_mode(mode))

    def execute_command(self, context: str, command: str) -> Message:
        return self._run(self.client.execute_command(context, command))

    def navigate(self, flag1: bool, value1: int, value2: int, flag2: bool) -> Message:
        return self._run(self.client.navigate(flag1, value1, value2, flag2))

    def ping(self) -> Message:
        return self._run(self.client.ping())

    def subscribe(self, name: str) -> Iterator[Message]:
        """The events, from the Subscribe's acknowledgement; leaving the loop unsubscribes."""
        subscription = self._run(self._subscribe(name))
        self._run(subscription.ready)
        try:
            while True:
                try:
                    yield self._run(subscription.__anext__())
                except StopAsyncIteration:
                    return
        finally:
            if not self._loop.is_closed():
                self._run(subscription.aclose())

    async def _subscribe(self, name: str) -> aio.Subscription:
        # Inside the loop: the subscription's acknowledgement is a task of it.
        return self.client.subscribe(name)

    def close(self) -> None:
        if not self._loop.is_closed():
            self._run(self.client.close())
            self._loop.close()
