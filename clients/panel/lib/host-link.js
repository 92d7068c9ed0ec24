// The panel's one connection to the plug-in: connects (again after the host restarts), keeps the
// host's state the page shows, and tells every change to its listeners as { kind, data }.
import { EventEmitter } from "node:events";
import { connect } from "dialforge-client";

const ATTEMPT_MS = 1000;
const SNAPSHOTS = ["Mixer", "Commands", "LumetriParameters", "LumetriMenu"];

const delay = (ms) => new Promise((resolve) => setTimeout(resolve, ms));

function waitingReason(problem) {
  if (problem?.code === "busy") return "the plug-in is serving another client";
  if (problem?.code === "no-plugin") return `no plug-in found (${problem.message})`;
  return problem?.message ?? String(problem);
}

export class HostLink extends EventEmitter {
  constructor({ home, port } = {}) {
    super();
    this._options = { home, port };
    this._client = null;
    this._stopping = false;
    this._everConnected = false;
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
    let lastWait = "";
    while (!this._stopping) {
      let client;
      try {
        client = await connect({ ...this._options, connectTimeout: ATTEMPT_MS });
      } catch (problem) {
        if (this._stopping) break;
        const reason = waitingReason(problem);
        if (reason !== lastWait) {
          lastWait = reason;
          this._connection(this._everConnected ? "lost" : "connecting", `waiting: ${reason}`);
        }
        // Retried at once for the codes connect() retries itself; anything else not in a hot loop.
        if (!["busy", "no-plugin", "timeout", "closed"].includes(problem?.code)) await delay(ATTEMPT_MS);
        continue;
      }
      lastWait = "";
      if (this._stopping) {
        await client.close();
        break;
      }
      const problem = await this._serve(client);
      this._client = null;
      if (this._stopping) break;
      // Older packages close with nothing when the plug-in ends the connection, newer ones say why.
      const why = problem?.message ?? "the host stopped or closed the connection";
      this._connection("lost", `connection lost: ${why}; reconnecting`);
    }
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
      if (!this._stopping) this._connection("lost", `the connection failed: ${problem.message}`);
      await client.close();
    }
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
