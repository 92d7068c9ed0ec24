// A client of the Dialforge plug-in: one TCP connection on the loopback address, protocol 2 (JSON
// acknowledgements, snapshots and events) by default, protocol 1 (text, sentinels) on request or
// when the plug-in does not speak 2. No dependencies beyond Node itself.
import { randomBytes } from "node:crypto";
import { EventEmitter } from "node:events";
import { readFile } from "node:fs/promises";
import { connect as connectTcp } from "node:net";
import { homedir } from "node:os";
import { dirname, join } from "node:path";

export const version = "1.0.0";

// The plug-in drops longer lines; refusing them here keeps the replies in step.
const MAX_LINE_BYTES = 131071;
const RETRY_MS = 50;
const BYE_WAIT_MS = 2000;
const REPLY_TIMEOUT_MS = 20000;
// How long an accepted connection may go unanswered before the wait is said: the plug-in pauses.
const PATIENCE_MS = 250;
// How long the port file is watched after the plug-in ends the connection, to tell a host that
// stopped (it withdraws the file right after) from a plug-in that closed this connection alone.
const WITHDRAWAL_WAIT_MS = 500;
const TOKEN_FILE = "socket.token";
const WAITING_FOR_LISTENER = "waiting for the plug-in to listen again (it pauses 5 s after each client)";
const CHANNEL_TITLE = "$ | Mixer | Channels | ";
const COMPONENT_TITLE = "$ | Mixer | Components | ";
const TEXT_SNAPSHOTS = ["Commands", "LumetriParameters", "LumetriMenu", "Mixer"];
// What the plug-in's refusals of Hello mean.
const REFUSALS = {
  busy: "the plug-in serves as many clients as it takes, or a client of protocol 1, and takes no other now",
  unauthorized: "the plug-in serves other clients and takes one more only with its token (the file socket.token beside the port file, or the token option), which this connection did not prove",
};

export class DialforgeError extends Error {
  constructor(code, message, details = {}) {
    super(message);
    this.name = "DialforgeError";
    this.code = code;
    Object.assign(this, details);
  }
}

// Where the plug-in writes its port: under HOME on Linux and macOS, under LOCALAPPDATA on Windows.
export function portFilePath(home) {
  const windows = process.platform === "win32";
  const base = home ?? (windows ? process.env.LOCALAPPDATA : process.env.HOME || homedir());
  if (!base) {
    throw new DialforgeError("no-plugin", "LOCALAPPDATA is not set: no port file to read");
  }
  return windows
    ? join(base, "Dialforge", "PluginData", "PremierePro", "socket.port")
    : join(base, ".local", "share", "Dialforge", "PluginData", "PremierePro", "socket.port");
}

async function readPort(path) {
  let text;
  try {
    text = await readFile(path, "ascii");
  } catch (problem) {
    throw new DialforgeError("no-plugin", `waiting for the plug-in to write its port file ${path} (${problem.code})`);
  }
  const port = /^\d{1,5}$/.test(text.trim()) ? Number(text.trim()) : 0;
  if (port < 1 || port > 65535) {
    throw new DialforgeError("no-plugin", `unreadable port file ${path}`);
  }
  return port;
}

// The token beside the port file: 32 hex digits, or none when the file is missing or holds other.
export async function readToken(portFile) {
  try {
    const text = (await readFile(join(dirname(portFile), TOKEN_FILE), "ascii")).trim();
    return /^[0-9a-fA-F]{32}$/.test(text) ? text : undefined;
  } catch {
    return undefined;
  }
}

// Plain decimal that reads back as the same double: the plug-in reads no exponent.
export function decimalText(value) {
  if (typeof value !== "number") return String(value);
  if (!Number.isFinite(value)) {
    throw new DialforgeError("invalid-value", `${value} is not a finite number; nothing was sent`);
  }
  if (Object.is(value, -0)) return "-0";
  const match = /^(-?)(\d+)(?:\.(\d+))?e([+-]\d+)$/.exec(String(value));
  if (!match) return String(value);
  const [, sign, whole, fraction = "", exponent] = match;
  const digits = whole + fraction;
  const point = whole.length + Number(exponent);
  if (point <= 0) return `${sign}0.${"0".repeat(-point)}${digits}`;
  if (point >= digits.length) return sign + digits + "0".repeat(point - digits.length);
  return `${sign}${digits.slice(0, point)}.${digits.slice(point)}`;
}

// The promise, or undefined once ms have passed; the timer does not outlive it.
function within(promise, ms) {
  let timer;
  const expired = new Promise((resolve) => { timer = setTimeout(resolve, ms); });
  return Promise.race([promise, expired]).finally(() => clearTimeout(timer));
}

function checkedToken(token) {
  if (typeof token !== "string" || token === "" || /[|\n\r\0]/.test(token)) {
    throw new DialforgeError("invalid-value", "the token is text without '|', line feeds or NULs");
  }
  return token;
}

const delay = (ms) => new Promise((resolve) => setTimeout(resolve, ms));

// Tries until the deadline (Infinity: forever) while no plug-in listens or it serves another
// client; a connection it has accepted is waited on, since it may be pausing after a client.
async function connectUntil(options, deadline) {
  const path = options.port ? null : portFilePath(options.home);
  const given = options.token === undefined ? undefined : checkedToken(options.token);
  const said = new Set();
  const wait = (reason) => {
    if (said.has(reason)) return;
    said.add(reason);
    options.onWait?.(reason);
  };
  let last = new DialforgeError("timeout", "no time left to connect");
  for (;;) {
    const remaining = deadline - Date.now();
    if (remaining <= 0) {
      throw new DialforgeError(last.code, `${last.message}; gave up after ${options.connectTimeout} ms`);
    }
    try {
      const port = options.port ?? (await readPort(path));
      // A port given may be anybody's: the token goes only where the private port file points.
      const token = given ?? (path ? await readToken(path) : undefined);
      return await Client._open(port, options.protocol === 1 ? 1 : 2, remaining,
        { token, portFile: path, wait, replyTimeout: options.replyTimeout ?? REPLY_TIMEOUT_MS });
    } catch (problem) {
      // An attempt is given what time is left: its timeout is the deadline, and the refusal
      // before it says more.
      if (problem instanceof DialforgeError && problem.code === "timeout" && last.code !== "timeout") {
        throw new DialforgeError(last.code, `${last.message}; gave up after ${options.connectTimeout} ms`);
      }
      if (!(problem instanceof DialforgeError) || !["busy", "no-plugin", "closed"].includes(problem.code)) {
        throw problem;
      }
      last = problem;
      wait(problem.message);
    }
    await delay(Math.min(RETRY_MS, Math.max(0, deadline - Date.now())));
  }
}

export function connect(options = {}) {
  const connectTimeout = options.connectTimeout ?? 10000;
  return connectUntil({ ...options, connectTimeout }, Date.now() + connectTimeout);
}

// A connected client each time the plug-in appears; the next one once that connection ends.
export async function* watch(options = {}) {
  for (;;) {
    const client = await connectUntil({ ...options, connectTimeout: Infinity }, Infinity);
    try {
      yield client;
      await client.closed;
    } finally {
      await client.close();
    }
  }
}

export class Client extends EventEmitter {
  static _open(port, protocol, timeoutMs, { token, portFile, wait, replyTimeout } = {}) {
    return new Promise((resolve, reject) => {
      const client = new Client(port, protocol, token, portFile);
      client._replyTimeout = replyTimeout ?? REPLY_TIMEOUT_MS;
      const timer = setTimeout(() => {
        client._end(new DialforgeError("timeout", `the plug-in on port ${port} did not answer within ${timeoutMs} ms`));
      }, Math.min(timeoutMs, 2 ** 31 - 1));
      const patience = setTimeout(() => wait?.(WAITING_FOR_LISTENER), Math.min(PATIENCE_MS, timeoutMs));
      client._ready = (problem) => {
        clearTimeout(timer);
        clearTimeout(patience);
        client._ready = null;
        if (problem) {
          reject(problem);
        } else {
          resolve(client);
        }
      };
    });
  }

  constructor(port, protocol, token, portFile) {
    super();
    this.port = port;
    this.protocol = protocol;
    this._portFile = portFile;
    this._closing = false;
    this._socketClosed = false;
    this._stage = "hello";
    this._buffer = Buffer.alloc(0);
    this._nextId = 0;
    this._pending = new Map(); // protocol 2: id -> {resolve, reject}
    this._queue = []; // protocol 1: replies due, in order
    this._streams = new Set();
    this._token = `~${randomBytes(8).toString("hex")}`;
    this._sentinels = 0;
    this._helloSentinel = this._nextSentinel();
    this._ended = false;
    this.closed = new Promise((resolve) => this.once("close", resolve));
    this._socket = connectTcp({ host: "127.0.0.1", port, noDelay: true });
    this._socket.on("connect", () => {
      const proof = token ? `|${token}` : "";
      const hello = protocol === 2 ? `${this._newId()}|Hello|2${proof}\n` : "";
      // The sentinel's reply shows that the plug-in serves us, and in which protocol.
      this._socket.write(`${hello}${this._helloSentinel}|GetParameters|~\n`);
    });
    this._socket.on("data", (chunk) => this._receive(chunk));
    this._socket.on("error", (problem) => {
      // A connection reset before any reply is the plug-in refusing a second client.
      const refused = problem.code === "ECONNREFUSED";
      if (this._stage === "hello" && refused) {
        const where = portFile
          ? `nothing listens on port ${port} (stale port file ${portFile}? is the host running?)`
          : `nothing listens on port ${port} (is the host running? is it the port the plug-in wrote?)`;
        this._end(new DialforgeError("no-plugin", where));
        return;
      }
      const code = this._stage !== "hello" ? "closed" : "busy";
      this._end(new DialforgeError(code, `port ${port}: ${problem.message}`));
    });
    this._socket.on("close", () => {
      this._socketClosed = true;
      if (this._stage === "hello") {
        this._end(new DialforgeError("busy", "waiting for the plug-in to finish with another client (it serves one at a time)"));
      } else if (this._closing || this._ended) {
        this._end(undefined);
      } else {
        this._whyClosed().then((reason) => this._end(new DialforgeError("closed", reason)));
      }
    });
  }

  // The host withdraws its port file as it stops; a plug-in that ends one connection keeps it.
  async _whyClosed() {
    if (!this._portFile) return "the plug-in closed the connection";
    const deadline = Date.now() + WITHDRAWAL_WAIT_MS;
    for (;;) {
      const port = await readPort(this._portFile).catch(() => undefined);
      if (port !== this.port) return "the host stopped";
      if (Date.now() >= deadline) return "the plug-in closed the connection";
      await delay(10);
    }
  }

  // One request; resolves with the plug-in's acknowledgement (protocol 1: once it has run).
  // Numbers are sent in plain decimal; one that is not finite is refused before anything is sent.
  request(keyword, ...args) {
    try {
      return this._send([keyword, ...args.map(decimalText)], null);
    } catch (problem) {
      return Promise.reject(problem);
    }
  }

  async snapshot(name) {
    if (this.protocol === 2) {
      return (await this._send(["GetParameters", name], name)).result;
    }
    const text = (await this._send(["GetParameters", name], name)).text;
    if (!TEXT_SNAPSHOTS.includes(name)) {
      throw new DialforgeError("unknown-snapshot", `no snapshot is called ${name}`);
    }
    return parseSnapshot(name, text);
  }

  transport(keyword) { return this.request("Transport", keyword); }
  play() { return this.transport("Play"); }
  stop() { return this.transport("Stop"); }
  pause() { return this.transport("Pause"); }
  record() { return this.transport("Record"); }
  jog(value1, value2, flag) { return this.request("Transport", "JogDial", value1, value2, flag ? 1 : 0); }
  setLumetri(id, value) { return this.request("ChangeLumetri", id, value); }
  resetLumetri(id) { return this.request("ResetChangeLumetri", id); }
  nextMenuChoice(id) { return this.request("ChangeLumetriMenuValue", id); }
  panelMode(mode) { return this.request("ChangeLumetriPanelMode", mode); }
  executeCommand(context, command) { return this.request("ExecuteCommand", context, command); }
  navigate(flag1, value1, value2, flag2) {
    try {
      return this.request("Navigate", `${flag1 ? 1 : 0},${decimalText(value1)},${decimalText(value2)},${flag2 ? 1 : 0}`);
    } catch (problem) {
      return Promise.reject(problem);
    }
  }
  ping() { return this.request("Ping", "0"); }

  // The events of one kind, from the Subscribe's acknowledgement until the loop is left or the
  // connection ends. `ready` settles with that acknowledgement.
  subscribe(name) {
    if (this.protocol !== 2) {
      throw new DialforgeError("protocol", "events need protocol 2");
    }
    const stream = { name, events: [], waiters: [], done: false };
    this._streams.add(stream);
    const finish = () => {
      stream.done = true;
      this._streams.delete(stream);
      for (const waiter of stream.waiters.splice(0)) waiter.resolve({ value: undefined, done: true });
    };
    const ready = this.request("Subscribe", name).then(
      () => undefined,
      (problem) => {
        for (const waiter of stream.waiters.splice(0)) waiter.reject(problem);
        finish();
        throw problem;
      });
    ready.catch(() => {});
    stream.push = (event) => {
      const waiter = stream.waiters.shift();
      if (waiter) waiter.resolve({ value: event, done: false });
      else stream.events.push(event);
    };
    stream.finish = finish;
    const client = this;
    return {
      ready,
      [Symbol.asyncIterator]() { return this; },
      async next() {
        if (stream.events.length > 0) return { value: stream.events.shift(), done: false };
        if (stream.done) return { value: undefined, done: true };
        await ready;
        return new Promise((resolve, reject) => stream.waiters.push({ resolve, reject }));
      },
      async return() {
        if (!stream.done) {
          finish();
          const others = [...client._streams].some((other) => other.name === name);
          if (!others && !client._ended) {
            await within(client.request("Unsubscribe", name).catch(() => {}), BYE_WAIT_MS);
          }
        }
        return { value: undefined, done: true };
      },
    };
  }

  // Says Bye (protocol 2), so the plug-in serves its next client at once, and ends the connection.
  async close() {
    if (this._socketClosed) {
      this._end(new DialforgeError("closed", "the plug-in closed the connection"));
    }
    if (this._ended) {
      await this.closed;
      return;
    }
    this._closing = true;
    if (this.protocol === 2 && this._stage === "lines") {
      await within(this.request("Bye", "0").catch(() => {}), BYE_WAIT_MS);
    }
    this._end(undefined);
    await this.closed;
  }

  _newId() {
    this._nextId += 1;
    return String(this._nextId);
  }

  _nextSentinel() {
    this._sentinels += 1;
    return `${this._token}.${this._sentinels}`;
  }

  _send(fields, snapshotName) {
    if (this._ended || this._socketClosed) {
      return Promise.reject(new DialforgeError("closed", "the connection has ended"));
    }
    const text = fields.join("|");
    if (/[\n\0]/.test(text)) {
      return Promise.reject(new DialforgeError("invalid-message", "a request cannot hold a line feed or a NUL"));
    }
    const id = this._newId();
    let line = `${id}|${text}\n`;
    if (Buffer.byteLength(line) > MAX_LINE_BYTES) {
      return Promise.reject(new DialforgeError("too-long", `a request is at most ${MAX_LINE_BYTES} bytes`));
    }
    return new Promise((resolve, reject) => {
      if (this.protocol === 2) {
        this._pending.set(id, { resolve, reject });
      } else {
        const sentinel = this._nextSentinel();
        this._queue.push({ id, sentinel, snapshot: snapshotName !== null, resolve, reject });
        line += `${sentinel}|GetParameters|~\n`;
      }
      this._socket.write(line);
      this._watchReplies();
    });
  }

  _receive(chunk) {
    this._buffer = this._buffer.length > 0 ? Buffer.concat([this._buffer, chunk]) : chunk;
    try {
      while (!this._ended && this._step());
    } catch (problem) {
      this._end(problem instanceof DialforgeError ? problem : new DialforgeError("protocol", problem.message));
    }
    this._watchReplies();
  }

  // While a reply is due, the plug-in must send something within the reply timeout.
  _watchReplies() {
    clearTimeout(this._stall);
    if (this._ended || (this._pending.size === 0 && this._queue.length === 0)) return;
    this._stall = setTimeout(() => {
      this._end(new DialforgeError("timeout", `nothing came from the plug-in for ${this._replyTimeout} ms while a reply was due`));
    }, this._replyTimeout);
  }

  // Takes one reply off the buffer; false when it needs more bytes.
  _step() {
    if (this._stage === "hello") {
      if (this._buffer.length === 0) return false;
      if (this._buffer[0] === 0x7b) {
        const hello = this._takeJson();
        if (hello === undefined) return false;
        if (hello.ok === false && REFUSALS[hello.error]) {
          throw new DialforgeError(hello.error, `${REFUSALS[hello.error]} (${hello.message})`);
        }
        if (hello.ok !== true || !(hello.protocol >= 2)) {
          throw new DialforgeError("protocol", `the plug-in refused Hello: ${JSON.stringify(hello)}`);
        }
        this.hello = hello;
        this._stage = "helloSentinel";
        return true;
      }
      if (!this._takeMarker(this._helloSentinel)) return false;
      this.protocol = 1;
      this._serving();
      return true;
    }
    if (this._stage === "helloSentinel") {
      if (this._takeJson() === undefined) return false;
      this._serving();
      return true;
    }
    return this.protocol === 2 ? this._stepJson() : this._stepText();
  }

  _serving() {
    this._stage = "lines";
    this._ready?.(undefined);
  }

  _stepJson() {
    const message = this._takeJson();
    if (message === undefined) return false;
    this.emit("message", message);
    if (typeof message.event === "string") {
      for (const stream of this._streams) if (stream.name === message.event) stream.push(message);
      this.emit("event", message);
      return true;
    }
    // Replies come in order: one without a known id (a line too long) is the oldest's.
    let id = message.id;
    if (!this._pending.has(id)) id = this._pending.keys().next().value;
    const waiter = this._pending.get(id);
    if (waiter === undefined) {
      throw new DialforgeError("protocol", `a reply that no request awaits: ${JSON.stringify(message)}`);
    }
    this._pending.delete(id);
    if (message.ok === true) {
      waiter.resolve(message);
    } else {
      const { error, message: text, ...details } = message;
      waiter.reject(new DialforgeError(error ?? "protocol", text ?? "refused", details));
    }
    return true;
  }

  _stepText() {
    const head = this._queue[0];
    if (this._buffer.length === 0) return false;
    if (head === undefined) {
      throw new DialforgeError("protocol", "bytes that no request awaits");
    }
    if (head.snapshot) {
      const start = Buffer.from(`${head.id}|`);
      if (this._buffer.length < start.length) return false;
      if (!this._buffer.subarray(0, start.length).equals(start)) {
        throw new DialforgeError("protocol", `the reply to ${head.id} was due`);
      }
      const end = snapshotEnd(this._buffer, start.length, head.sentinel);
      if (end < 0) return false;
      head.text = this._buffer.subarray(start.length, end).toString("utf8");
      head.snapshot = false;
      this._buffer = this._buffer.subarray(end);
    }
    if (!this._takeMarker(head.sentinel)) return false;
    this._queue.shift();
    head.resolve({ id: head.id, ok: true, text: head.text });
    return true;
  }

  _takeJson() {
    const end = this._buffer.indexOf(0x0a);
    if (end < 0) return undefined;
    const line = this._buffer.subarray(0, end).toString("utf8");
    this._buffer = this._buffer.subarray(end + 1);
    try {
      return JSON.parse(line);
    } catch {
      throw new DialforgeError("protocol", `not a JSON line: ${line.slice(0, 80)}`);
    }
  }

  _takeMarker(sentinel) {
    const marker = Buffer.from(`${sentinel}|`);
    if (this._buffer.length < marker.length) return false;
    if (!this._buffer.subarray(0, marker.length).equals(marker)) {
      throw new DialforgeError("protocol", `the reply to ${sentinel} was due`);
    }
    this._buffer = this._buffer.subarray(marker.length);
    return true;
  }

  _end(problem) {
    if (this._ended) return;
    this._ended = true;
    clearTimeout(this._stall);
    this._socket.destroy();
    if (this._ready) {
      this._ready(problem ?? new DialforgeError("closed", "the connection ended"));
    }
    const lost = () => new DialforgeError("closed", problem ? `the connection ended: ${problem.message}` : "the connection ended");
    for (const waiter of this._pending.values()) waiter.reject(lost());
    for (const waiter of this._queue) waiter.reject(lost());
    this._pending.clear();
    this._queue = [];
    for (const stream of [...this._streams]) stream.finish();
    this.emit("close", problem);
  }
}

// Where the sentinel's reply begins: right after the id's "|", or at a line's start.
function snapshotEnd(buffer, start, sentinel) {
  const marker = Buffer.from(`${sentinel}|`);
  for (let at = buffer.indexOf(marker, start); at >= 0; at = buffer.indexOf(marker, at + 1)) {
    if (at === start || buffer[at - 1] === 0x0a) return at;
  }
  return -1;
}

function row(line, keys, trailingBar = false) {
  const fields = line.split("|");
  if (trailingBar && fields.pop() !== "") {
    throw new DialforgeError("protocol", `the row does not end in '|': ${line}`);
  }
  if (fields.length !== keys.length) {
    throw new DialforgeError("protocol", `${fields.length} fields instead of ${keys.length}: ${line}`);
  }
  return Object.fromEntries(keys.map((key, index) => [key, fields[index]]));
}

// A protocol 1 snapshot text read into the shapes of protocol 2's results.
export function parseSnapshot(name, text) {
  const lines = text.split("\n");
  if (lines.pop() !== "") {
    throw new DialforgeError("protocol", "the last line has no line feed");
  }
  if (name === "Commands") {
    return { commands: lines.map((line) => row(line, ["contextId", "contextName", "commandId", "commandName"])) };
  }
  if (name === "LumetriParameters") {
    const parameters = lines.map((line) => row(line, ["id", "name", "value"]));
    for (const parameter of parameters) parameter.value = Number(parameter.value);
    return { parameters };
  }
  if (name === "LumetriMenu") {
    return { menus: lines.map((line) => row(line, ["id", "name", "value"])) };
  }
  if (name === "Mixer") {
    return { channels: parseMixer(lines) };
  }
  return {};
}

function parseMixer(lines) {
  if (lines.length === 0) return [];
  if (!lines[0].startsWith(CHANNEL_TITLE)) {
    throw new DialforgeError("protocol", "no channel table");
  }
  const count = parseInt(lines[0].slice(CHANNEL_TITLE.length), 10);
  const keys = ["row", "id", "name", "states", "volume", "flags", "audioChannels", "audioChannelValue", "panType"];
  const channels = lines.slice(1, 1 + count).map((line) => {
    const channel = row(line, keys, true);
    const entries = channel.states.split(",");
    if (entries.length !== 7 || entries.pop() !== "") {
      throw new DialforgeError("protocol", `channel states are not six entries: ${line}`);
    }
    channel.states = entries.map((entry) => entry.split("-")[1] !== "0");
    for (const key of ["row", "id", "flags", "audioChannels", "panType", "volume", "audioChannelValue"]) {
      channel[key] = Number(channel[key]);
    }
    channel.components = [];
    return channel;
  });
  // The k-th component table belongs to the channel in row k.
  let table = -1;
  for (const line of lines.slice(1 + count)) {
    if (line.startsWith(COMPONENT_TITLE)) {
      table += 1;
    } else if (line.startsWith("---")) {
      const match = /^---(\d+),(.*?),([^,]*), (.*)$/s.exec(line);
      if (!match) throw new DialforgeError("protocol", `not a parameter line: ${line}`);
      channels[table].components.at(-1).parameters.push({
        index: Number(match[1]), name: match[2], value: Number(match[3]), text: match[4] });
    } else {
      const component = row(line, ["index", "name", "bypass", "parameterCount"], true);
      component.index = Number(component.index);
      component.parameterCount = Number(component.parameterCount);
      component.bypass = component.bypass !== "0";
      component.parameters = [];
      channels[table].components.push(component);
    }
  }
  return channels;
}
