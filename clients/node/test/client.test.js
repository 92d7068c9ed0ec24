// dialforge-client against the real plug-in in dialforge-host, the user at the host driven through
// its standard input. Environment: DIALFORGE_HOST (the program), DIALFORGE_PYTHON and
// DIALFORGE_SCHEMA (every protocol 2 message received is checked against the schema).
import assert from "node:assert/strict";
import { spawn, spawnSync } from "node:child_process";
import { mkdtempSync, rmSync } from "node:fs";
import { tmpdir } from "node:os";
import { join } from "node:path";
import { after, test } from "node:test";
import { fileURLToPath } from "node:url";
import { connect, watch } from "../index.js";

const home = mkdtempSync(join(tmpdir(), "dialforge-node-"));
const messages = [];
const hostProgram = process.env.DIALFORGE_HOST;
const userLines = spawnSync(hostProgram, ["--help"], { encoding: "utf8" }).stdout.includes("standard input");

function startHost() {
  const host = spawn(hostProgram, ["--home", home, "--quiet"], { stdio: ["pipe", "ignore", "inherit"] });
  host.exited = new Promise((resolve) => host.on("exit", resolve));
  return host;
}
async function stopHost(host) {
  host.kill("SIGINT");
  assert.equal(await host.exited, 0);
}
async function connected(options = {}) {
  const client = await connect({ home, connectTimeout: 30000, ...options });
  if (client.protocol === 2) {
    messages.push(client.hello);
    client.on("message", (message) => messages.push(message));
  }
  return client;
}
let host = startHost();

after(async () => {
  await stopHost(host);
  rmSync(home, { recursive: true, force: true });
  const checker = fileURLToPath(new URL("../../../tests/clients/check_messages.py", import.meta.url));
  const check = spawnSync(process.env.DIALFORGE_PYTHON ?? "python3", [checker, process.env.DIALFORGE_SCHEMA],
    { input: messages.map((message) => JSON.stringify(message)).join("\n"), encoding: "utf8" });
  process.stdout.write(check.stdout);
  assert.equal(check.status, 0, check.stderr);
});

test("snapshots, acknowledgements and refusals with their codes, several in flight", async () => {
  const client = await connected();
  assert.equal(client.protocol, 2);
  assert.equal(client.hello.version, "1.0.0");
  const { commands } = await client.snapshot("Commands");
  assert.deepEqual(commands[3], { contextId: "12", contextName: "Timeline", commandId: "1001", commandName: "Add Edit" });
  const [clamped, , parameters] = await Promise.all([
    client.setLumetri("exposure", 9), client.nextMenuChoice("lut"), client.snapshot("LumetriParameters")]);
  assert.equal(clamped.value, 4);
  assert.deepEqual(parameters.parameters[0], { id: "exposure", name: "Exposure", value: 4, min: -4, max: 4 });
  const refusals = [
    [client.request("Nonsense", "x"), "unknown-keyword"],
    [client.panelMode("three"), "invalid-value"],
    [client.snapshot("Nothing"), "unknown-snapshot"],
    [client.executeCommand("12", "9999"), "host-refused"],
  ];
  for (const [refused, code] of refusals) {
    await assert.rejects(refused, (problem) => problem.code === code && problem.message.length > 0);
  }
  await assert.rejects(client.executeCommand("12", "9999"), { hostError: "Item" });
  await client.close();
});

test("a Transport event after the user presses Play at the host", { skip: !userLines && "dialforge-host reads no user lines" }, async () => {
  const client = await connected();
  const seen = [];
  client.on("event", (event) => seen.push(event));
  const events = client.subscribe("Transport");
  await events.ready;
  host.stdin.write("play\n");
  for await (const event of events) {
    if (event.state.play) break;
  }
  assert.ok(seen.some((event) => event.event === "Transport" && event.state.play));
  await client.close();
});

test("a busy plug-in, then served at once after Bye", async () => {
  const first = await connected();
  // Long enough for a loaded machine to see the refusal at least once.
  await assert.rejects(connect({ home, connectTimeout: 2000 }), { code: "busy" });
  await first.close();
  const second = await connected({ connectTimeout: 2000 });
  await second.ping();
  await second.close();
});

test("protocol 1 when asked for", async () => {
  const client = await connected({ protocol: 1 });
  assert.equal(client.protocol, 1);
  const { channels } = await client.snapshot("Mixer");
  assert.deepEqual(channels.map((channel) => channel.name), ["Dialogue", "Music", "Effects", "Master"]);
  assert.deepEqual(channels[0].components[1].parameters[0], { index: 0, name: "Threshold", value: 0.6, text: "-18.0 dB" });
  await client.play();
  assert.throws(() => client.subscribe("Transport"), { code: "protocol" });
  await client.close();
});

test("watch yields a new client after the host restarts; no plug-in is said so", async () => {
  const clients = watch({ home });
  const first = (await clients.next()).value;
  await stopHost(host);
  assert.equal(await first.closed, undefined);
  await assert.rejects(connect({ home, connectTimeout: 100 }), { code: "no-plugin" });
  host = startHost();
  const second = (await clients.next()).value;
  assert.equal((await second.snapshot("LumetriMenu")).menus[0].id, "lut");
  await clients.return();
});
