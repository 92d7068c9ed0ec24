// The Server-Sent Events streams of the open pages. A page that does not read is dropped once
// its backlog passes a bound (its EventSource reconnects and gets the whole state again), so no
// page holds the panel's memory.
const MAX_BACKLOG_BYTES = 1 << 20;
const KEEPALIVE_MS = 15000;

export class EventStreams {
  constructor() {
    this._streams = new Set();
    this._keepalive = setInterval(() => this._write(": keepalive\n\n"), KEEPALIVE_MS);
    this._keepalive.unref();
  }

  // Takes over the response; `first` are the messages the new page starts from.
  open(response, first, headers = {}) {
    response.writeHead(200, {
      ...headers,
      "Content-Type": "text/event-stream; charset=utf-8",
      "Cache-Control": "no-store",
      "X-Accel-Buffering": "no",
    });
    this._streams.add(response);
    response.on("close", () => this._streams.delete(response));
    for (const message of first) response.write(format(message));
  }

  send(message) {
    this._write(format(message));
  }

  _write(text) {
    for (const response of this._streams) {
      if (response.writableLength > MAX_BACKLOG_BYTES) {
        this._streams.delete(response);
        response.destroy();
      } else {
        response.write(text);
      }
    }
  }

  close() {
    clearInterval(this._keepalive);
    for (const response of this._streams) response.end();
    this._streams.clear();
  }
}

function format({ kind, data }) {
  return `event: ${kind}\ndata: ${JSON.stringify(data)}\n\n`;
}
