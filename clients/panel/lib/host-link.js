// The panel's one connection to the plug-in: connects (again after the host restarts), keeps the
// host's state the page shows, and tells every change to its listeners as { kind, data }.
import { EventEmitter } from "node:events";
import { connect } from "dialforge-client";

// Longer than the plug-in's pause after a client that left without Bye: an attempt it has
// accepted meanwhile is waited on, not dropped and made again (which would be one more such
// client).
const ATTEMPT_MS = 30000;
// Between attempts that connect() does not repeat itself (a token refused, say).
const RETRY_MS = 1000;
const SNAPSHOTS = ["Mixer", "Commands", "LumetriParameters", "LumetriMenu"];

const delay = (ms) => new Promise((resolve) => setTimeout(resolve, ms));

export class HostLink extends EventEmitter {
  constructor({ home, port } = {}) {
    super();
    this._options = { home, port };
    this._client = null;
    this._stopping = false;
    this._everConnected = false;
    this._lastWait = "";
    this._mixerReading = null;
    this._mixerAgain = false;
    this.state = {
      connection: { state: "connecting", message: "looking for the plug-in" },
      snapshots: {},
      transport: null,
      panelMode: null,
    };
  }

  // Runs until stop(): each connection until it ends, then the next.
  async run() {
    const onWait = (reason) => this._waiting(reason);
    while (!this._stopping) {
      let client;
      try {
        client = await connect({ ...this._options, connectTimeout: ATTEMPT_MS, onWait });
      } catch (problem) {
        if (this._stopping) break;
        // connect() said already why it waited for no plug-in or a busy one.
        if (!["no-plugin", "busy"].includes(problem.code)) {
          this._waiting(problem.code === "unauthorized" ? `refused: ${problem.message}` : problem.message);
        }
        await delay(RETRY_MS);
        continue;
      }
      this._lastWait = "";
      if (this._stopping) {
        await client.close();
        break;
      }
      const problem = await this._serve(client);
      this._client = null;
      if (this._stopping) break;
      const why = problem?.message ?? "the connection failed";
      this._connection("lost", `connection lost: ${why}; reconnecting`);
    }
  }

  // Each reason once, as the command-line client says it.
  _waiting(reason) {
    if (this._stopping || reason === this._lastWait) return;
    this._lastWait = reason;
    this._connection(this._everConnected ? "lost" : "connecting", reason);
  }

  async _serve(client) {
    this._client = client;
    client.on("event", (event) => this._event(event));
    try {
      if (client.protocol === 2) {
        await Promise.all([client.request("Subscribe", "Transport"), client.request("Subscribe", "Mixer")]);
      }
      const names = client.protocol === 2 ? [...SNAPSHOTS, "Transport"] : SNAPSHOTS;
      const results = await Promise.all(names.map((name) => client.snapshot(name)));
      names.forEach((name, index) => this._snapshot(name, results[index]));
      const version = client.hello?.version ? ` ${client.hello.version}` : "";
      const events = client.protocol === 2 ? "" : " (protocol 1: no events)";
      this._connection("connected", `${this._everConnected ? "reconnected" : "connected"} to Dialforge${version} on port ${client.port}${events}`);
      this._everConnected = true;
    } catch (problem) {
      await client.close();
      return problem;
    }
    // Undefined after close(); otherwise why the connection ended.
    return client.closed;
  }

  _event(event) {
    if (event.event === "Transport") {
      this._snapshot("Transport", event.state);
    } else if (event.event === "Mixer") {
      this._readMixer();
    }
  }

  // Mixer events say what changed; the snapshot read after them says what is, whatever the
  // event's fields. One read at a time, and one more when events came meanwhile.
  _readMixer() {
    if (this._mixerReading) {
      this._mixerAgain = true;
      return;
    }
    const client = this._client;
    this._mixerReading = client.snapshot("Mixer").then(
      (mixer) => { if (client === this._client) this._snapshot("Mixer", mixer); },
      () => {}).finally(() => {
      this._mixerReading = null;
      if (this._mixerAgain && client === this._client) {
        this._mixerAgain = false;
        this._readMixer();
      }
    });
  }

  _snapshot(name, result) {
    if (name === "Transport") {
      this.state.transport = result;
      this.emit("change", { kind: "transport", data: result });
      return;
    }
    this.state.snapshots[name] = result;
    this.emit("change", { kind: "snapshot", data: { name, result } });
  }

  _connection(state, message) {
    this.state.connection = { state, message };
    this.emit("change", { kind: "connection", data: this.state.connection });
  }

  // Sends checked fields; resolves with the plug-in's answer, ok or not.
  async send({ keyword, args }) {
    const client = this._client;
    if (!client || this.state.connection.state !== "connected") {
      return { status: 503, body: { ok: false, error: "no-plugin", message: "the panel is not connected to the plug-in" } };
    }
    try {
      const reply = await client.request(keyword, ...args);
      this._after(client, keyword, args, reply);
      return { status: 200, body: { ok: true, ...(reply.value !== undefined && { value: reply.value }) } };
    } catch (problem) {
      const { code, message, hostError } = problem;
      return { status: 200, body: { ok: false, error: code ?? "protocol", message, ...(hostError && { hostError }) } };
    }
  }

  // What the answer tells of the host's state, shown to every page.
  _after(client, keyword, args, reply) {
    if ((keyword === "ChangeLumetri" || keyword === "ResetChangeLumetri") && reply.value !== undefined) {
      const parameters = this.state.snapshots.LumetriParameters?.parameters ?? [];
      const parameter = parameters.find((entry) => entry.id === args[0]);
      if (parameter) {
        parameter.value = reply.value;
        this.emit("change", { kind: "parameter", data: { id: parameter.id, value: reply.value } });
      }
    } else if (keyword === "ChangeLumetriMenuValue") {
      client.snapshot("LumetriMenu").then((menus) => {
        if (client === this._client) this._snapshot("LumetriMenu", menus);
      }, () => {});
    } else if (keyword === "ChangeLumetriPanelMode") {
      this.state.panelMode = Number(args[0]);
      this.emit("change", { kind: "panelMode", data: this.state.panelMode });
    }
  }

  // Reads every snapshot again (the host may change what sends no event, such as Lumetri values).
  async refresh() {
    const client = this._client;
    if (!client) return;
    const results = await Promise.all(SNAPSHOTS.map((name) => client.snapshot(name).catch(() => undefined)));
    SNAPSHOTS.forEach((name, index) => {
      if (results[index] !== undefined && client === this._client) this._snapshot(name, results[index]);
    });
  }

  // Says Bye to the plug-in, so that its next client is served at once.
  async stop() {
    this._stopping = true;
    await this._client?.close();
  }
}
