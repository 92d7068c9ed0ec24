// dialforge-client against the real plug-in in dialforge-host, the user at the host driven through
// its standard input. Environment: DIALFORGE_HOST (the program), DIALFORGE_PYTHON and
// DIALFORGE_SCHEMA (every protocol 2 message received is checked against the schema).
import assert from "node:assert/strict";
import { spawn, spawnSync } from "node:child_process";
import { mkdirSync, mkdtempSync, rmSync, writeFileSync } from "node:fs";
import { createServer } from "node:net";
import { tmpdir } from "node:os";
import { dirname, join } from "node:path";
import { after, afterEach, test } from "node:test";
import { fileURLToPath } from "node:url";
import { connect, portFilePath, watch } from "../index.js";

const home = mkdtempSync(join(tmpdir(), "dialforge-node-"));
const messages = [];
const hostProgram = process.env.DIALFORGE_HOST;
const userLines = spawnSync(hostProgram, ["--help"], { encoding: "utf8" }).stdout.includes("standard input");

function startHost(where = home, ...options) {
  const host = spawn(hostProgram, ["--home", where, "--quiet", ...options], { stdio: ["pipe", "ignore", "inherit"] });
  host.exited = new Promise((resolve) => host.on("exit", resolve));
  return host;
}
async function stopHost(host) {
  host.kill("SIGINT");
  assert.equal(await host.exited, 0);
}
// Closed after each case, so that a case that fails halfway keeps no client that shuts others out.
const clientsOfTheCase = [];
async function connected(options = {}) {
  const client = await connect({ home, connectTimeout: 30000, ...options });
  clientsOfTheCase.push(client);
  if (client.protocol === 2) {
    messages.push(client.hello);
    client.on("message", (message) => messages.push(message));
  }
  return client;
}
let host = startHost();

afterEach(async () => {
  await Promise.all(clientsOfTheCase.splice(0).map((client) => client.close()));
});

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

test("clients share the plug-in with the token; a wrong one is unauthorized; protocol 1 keeps others busy", async () => {
  const first = await connected();
  const second = await connected({ connectTimeout: 2000 });
  await Promise.all([first.ping(), second.ping()]);
  await assert.rejects(connect({ home, connectTimeout: 2000, token: "0".repeat(32) }), { code: "unauthorized" });
  await Promise.all([first.close(), second.close()]);
  const old = await connected({ protocol: 1, connectTimeout: 2000 }); // at once after Bye
  assert.equal(old.protocol, 1);
  const { channels } = await old.snapshot("Mixer");
  assert.deepEqual(channels.map((channel) => channel.name), ["Dialogue", "Music", "Effects", "Master"]);
  assert.deepEqual(channels[0].components[1].parameters[0], { index: 0, name: "Threshold", value: 0.6, text: "-18.0 dB" });
  await old.play();
  assert.throws(() => old.subscribe("Transport"), { code: "protocol" });
  // Long enough for a loaded machine to see the refusal at least once.
  await assert.rejects(connect({ home, connectTimeout: 2000 }), { code: "busy" });
  await old.close();
});

test("watch yields a new client after the host restarts; no plug-in is said so", async () => {
  const clients = watch({ home });
  const first = (await clients.next()).value;
  await stopHost(host);
  const gone = await first.closed;
  assert.deepEqual([gone.code, gone.message], ["closed", "the host stopped"]);
  await assert.rejects(connect({ home, connectTimeout: 100 }), { code: "no-plugin" });
  host = startHost();
  const second = (await clients.next()).value;
  assert.equal((await second.snapshot("LumetriMenu")).menus[0].id, "lut");
  await clients.return();
});

test("numbers reach the host as the nearest float, written without an exponent", async () => {
  const wideHome = mkdtempSync(join(tmpdir(), "dialforge-node-"));
  const fixture = join(wideHome, "project.json");
  writeFileSync(fixture, JSON.stringify({ lumetri: { parameters: [{ id: "wide", name: "Wide", min: -3e38, max: 3e38 }] } }));
  const wideHost = startHost(wideHome, "--fixture", fixture);
  try {
    const client = await connect({ home: wideHome, connectTimeout: 30000 });
    for (const value of [0.1 + 0.2 - 0.3, 1e-300, 1e-7, 2.5e-5, 123456789.125, -0, 1e21]) {
      const { value: kept } = await client.setLumetri("wide", value);
      assert.ok(Object.is(Math.fround(kept), Math.fround(value)), `${value} kept as ${kept}`);
    }
    for (const value of [NaN, -Infinity]) {
      await assert.rejects(client.setLumetri("wide", value), { code: "invalid-value" });
    }
    await client.close();
  } finally {
    await stopHost(wideHost);
    rmSync(wideHome, { recursive: true, force: true });
  }
});

// A peer of the test's own behind a port file: it keeps each connection's first line and answers
// with answer(socket, id).
async function fakePlugin() {
  const peer = { home: mkdtempSync(join(tmpdir(), "dialforge-peer-")), firstLines: [], sockets: [] };
  peer.server = createServer((socket) => {
    peer.sockets.push(socket);
    let text = "";
    const first = (chunk) => {
      text += chunk;
      if (!text.includes("\n")) return;
      socket.off("data", first);
      const line = text.slice(0, text.indexOf("\n"));
      peer.firstLines.push(line);
      peer.answer(socket, line.split("|")[0]);
    };
    socket.on("data", first);
    socket.on("error", () => {});
  });
  await new Promise((resolve) => peer.server.listen(0, "127.0.0.1", resolve));
  peer.folder = dirname(portFilePath(peer.home));
  mkdirSync(peer.folder, { recursive: true });
  writeFileSync(join(peer.folder, "socket.port"), String(peer.server.address().port));
  return peer;
}
const served = (socket, id) => socket.write(`{"id":"${id}","ok":true,"protocol":2,"plugin":"Dialforge","version":"1.0.0","snapshots":[],"events":[]}\n{"id":null,"ok":false,"error":"unknown-snapshot","message":"~"}\n`);
const refused = (error) => (socket, id) => socket.end(`{"id":"${id}","ok":false,"error":"${error}","message":"as the test says"}\n`);

test("the token beside the port file in Hello; busy and unauthorized told apart; the plug-in's close said", async () => {
  const peer = await fakePlugin();
  try {
    peer.answer = served;
    const client = await connect({ home: peer.home });
    assert.equal(peer.firstLines.at(-1), "1|Hello|2", "no token file, no token");
    peer.sockets.at(-1).destroy();
    const why = await client.closed;
    assert.deepEqual([why.code, why.message], ["closed", "the plug-in closed the connection"]);

    const token = "0123456789abcdef0123456789ABCDEF";
    writeFileSync(join(peer.folder, "socket.token"), `${token}\n`);
    peer.answer = refused("unauthorized");
    const waits = [];
    await assert.rejects(connect({ home: peer.home, onWait: (reason) => waits.push(reason) }),
      (problem) => problem.code === "unauthorized" && /token/.test(problem.message));
    assert.equal(peer.firstLines.at(-1), `1|Hello|2|${token}`);
    assert.deepEqual(waits, [], "refused for good: not tried again");

    writeFileSync(join(peer.folder, "socket.token"), "not a token");
    peer.answer = refused("busy");
    const before = peer.firstLines.length;
    await assert.rejects(connect({ home: peer.home, connectTimeout: 300, onWait: (reason) => waits.push(reason) }),
      (problem) => problem.code === "busy" && /serves as many clients/.test(problem.message));
    assert.ok(peer.firstLines.length > before + 1, "tried again while busy");
    assert.ok(peer.firstLines.slice(before).every((line) => line === "1|Hello|2"), "an unreadable token is no token");
    assert.equal(waits.length, 1, `the wait said once: ${waits}`);

    await assert.rejects(connect({ home: peer.home, token: "given", connectTimeout: 100 }), { code: "busy" });
    assert.equal(peer.firstLines.at(-1), "1|Hello|2|given", "the option overrides the file");

    peer.answer = served;
    const unanswered = await connect({ home: peer.home, replyTimeout: 200 });
    await assert.rejects(unanswered.ping(), { code: "closed" });
    assert.equal((await unanswered.closed).code, "timeout", "a reply due but never sent ends the wait");
  } finally {
    peer.server.close();
    for (const socket of peer.sockets) socket.destroy();
    rmSync(peer.home, { recursive: true, force: true });
  }
});
