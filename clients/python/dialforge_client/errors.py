"""The one exception of the package."""
from __future__ import annotations

from typing import Optional


class DialforgeError(Exception):
    """Why the plug-in could not be reached or refused a request. `code`: "no-plugin", "busy",
    "unauthorized", "timeout", "closed", "protocol", or the plug-in's own error code ("unknown-keyword",
    "invalid-value", "host-refused", ...); `host_error`: the host's four-character code."""

    def __init__(self, message: str, code: str = "protocol",
                 host_error: Optional[str] = None) -> None:
        super().__init__(message)
        self.code = code
        self.host_error = host_error
