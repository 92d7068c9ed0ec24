// The panel in a real browser (Debian's chromium, driven by puppeteer-core) against the real
// plug-in in dialforge-host serving fixture.json, the user at the host driven through its
// standard input. Environment: DIALFORGE_HOST (the program), DIALFORGE_CHROMIUM (default
// /usr/bin/chromium), DIALFORGE_PANEL_SCREENSHOT (where the picture goes).
import assert from "node:assert/strict";
import { spawn } from "node:child_process";
import { existsSync, mkdirSync, mkdtempSync, readFileSync, rmSync, writeFileSync } from "node:fs";
import { request as httpRequest } from "node:http";
import { tmpdir } from "node:os";
import { join } from "node:path";
import { after, before, test } from "node:test";
import { fileURLToPath } from "node:url";

const chromium = process.env.DIALFORGE_CHROMIUM ?? "/usr/bin/chromium";
const puppeteer = await import("puppeteer-core").then((module) => module.default, () => null);
const skip = !existsSync(chromium) ? `skipped: no chromium at ${chromium}`
  : !puppeteer ? "skipped: puppeteer-core is not installed (npm ci in clients/panel)" : false;

const here = (path) => fileURLToPath(new URL(path, import.meta.url));
const scratch = mkdtempSync(join(tmpdir(), "dialforge-panel-"));
const home = join(scratch, "home");
const journal = join(scratch, "journal");
const DEADLINE_MS = 15000;
// What the plug-in traces on the host's standard output (the enabletraces marker is made).
let hostOutput = "";
let host;
let panel;
let address;
let browser;
let page;

function startHost() {
  const child = spawn(process.env.DIALFORGE_HOST,
    ["--home", home, "--fixture", here("fixture.json"), "--journal", journal, "--quiet"],
    { stdio: ["pipe", "pipe", "inherit"] });
  child.stdout.setEncoding("utf8");
  child.stdout.on("data", (text) => { hostOutput += text; });
  child.exited = new Promise((resolve) => child.on("exit", resolve));
  return child;
}

async function stop(child) {
  child.kill("SIGINT");
  assert.equal(await child.exited, 0);
}

async function until(condition, what) {
  for (const end = Date.now() + DEADLINE_MS; !(await condition());) {
    if (Date.now() > end) assert.fail(`no ${what} within ${DEADLINE_MS} ms`);
    await new Promise((resolve) => setTimeout(resolve, 20));
  }
}

const journalCount = (line) => (existsSync(journal) ? readFileSync(journal, "utf8").split("\n").filter((entry) => entry === line).length : 0);
// Waits for the journal to hold the line more often than `before` times.
const journalHas = (line, before = 0) => until(() => journalCount(line) > before, `journal line ${JSON.stringify(line)}`);
const median = (values) => [...values].sort((a, b) => a - b)[Math.floor(values.length / 2)];

const traced = (line) => hostOutput.split("\n").filter((entry) => entry.includes(line)).length;

before(async () => {
  if (skip) return;
  const dialforge = join(home, ".local", "share", "Dialforge");
  mkdirSync(dialforge, { recursive: true });
  writeFileSync(join(dialforge, "enabletraces"), "");
  host = startHost();
  panel = spawn(process.execPath, [here("../bin/dialforge-panel.js"), "--home", home], { stdio: ["ignore", "pipe", "inherit"] });
  panel.exited = new Promise((resolve) => panel.on("exit", resolve));
  address = await new Promise((resolve, reject) => {
    let text = "";
    panel.stdout.on("data", (chunk) => {
      text += chunk;
      const match = /^Dialforge panel: (http:\/\/127\.0\.0\.1:(\d+)\/#token=([0-9a-f]{32}))$/m.exec(text);
      if (match) resolve({ url: match[1], port: Number(match[2]), token: match[3] });
    });
    panel.on("exit", () => reject(new Error("the panel ended before printing its address")));
  });
  browser = await puppeteer.launch({
    executablePath: chromium,
    headless: true,
    userDataDir: join(scratch, "browser"),
    defaultViewport: { width: 1280, height: 800 },
    args: ["--no-sandbox", "--disable-gpu", "--disable-background-networking", "--disable-component-update",
      "--disable-sync", "--no-first-run"],
  });
  page = await browser.newPage();
});

after(async () => {
  await browser?.close();
  if (host) await stop(host);
  if (panel?.exitCode === null) panel.kill("SIGKILL");
  rmSync(scratch, { recursive: true, force: true });
});

// What a user does who follows the README: the printed address in a browser of their own.
test("the printed address shows the fixture and drives the host", { skip }, async () => {
  const context = await browser.createBrowserContext();
  const fresh = await context.newPage();
  await fresh.goto(address.url);
  for (const name of ["Voice Over", "Score", "Master"]) await fresh.waitForSelector(`::-p-text(${name})`, { timeout: DEADLINE_MS });
  await fresh.click("button::-p-text(Play)");
  await fresh.waitForSelector("button[aria-pressed='true']::-p-text(Play)", { timeout: DEADLINE_MS });
  // Past the slider's max: the browser holds it at the max, and the host keeps that.
  await fresh.$eval("::-p-aria(Contrast)", (slider) => {
    slider.value = "1000";
    slider.dispatchEvent(new Event("change", { bubbles: true }));
  });
  await fresh.waitForSelector("::-p-aria(Contrast: value the host kept)::-p-text(100)", { timeout: DEADLINE_MS });
  await journalHas("Lumetri\tSetParameterValue\tcontrast\t100.000000");
  await context.close();
  host.stdin.write("stop\n");
});

test("the page shows the host's state and drives it; events reach the screen", { skip }, async (t) => {
  const loads = [];
  for (let load = 0; load < 3; load += 1) {
    await page.goto("about:blank");
    await page.goto(address.url);
    await page.waitForFunction(() => document.body.dataset.rendered === "full", { timeout: DEADLINE_MS });
    loads.push(await page.evaluate(() => performance.getEntriesByName("dialforge-full-render")[0].startTime));
    assert.equal(await page.evaluate(() => location.hash), "", "the token leaves the address bar");
  }
  t.diagnostic(`page load to first full render: median ${median(loads).toFixed(0)} ms of ${loads.map(Math.round)}`);
  const texts = (selector) => page.$$eval(selector, (nodes) => nodes.map((node) => node.textContent));
  assert.deepEqual(await texts(".strip h3"), ["Voice Over", "Score", "Master"]);
  assert.deepEqual(await texts(".parameter label"), ["Exposure", "Contrast", "Saturation"]);
  assert.deepEqual(await texts(".parameter .range"), ["-4.00 to 4.00", "-100.00 to 100.00", "0.00 to 200.00"]);
  assert.deepEqual(await texts(".menu .value"), ["None", "Cinematic Warm"]);

  await page.waitForSelector("#play:not(.lit)", { timeout: DEADLINE_MS });
  const plays = journalCount("Transport\tPlay");
  await page.click("#play");
  await journalHas("Transport\tPlay", plays);
  await page.waitForSelector("#play.lit", { timeout: DEADLINE_MS });

  // Each change of the Play key, stamped when the frame that shows it is drawn.
  await page.evaluate(() => {
    const play = document.getElementById("play");
    window.playSeen = [];
    new MutationObserver(() => {
      const lit = play.classList.contains("lit");
      requestAnimationFrame(() => window.playSeen.push({ lit, at: Date.now() }));
    }).observe(play, { attributes: true, attributeFilter: ["class"] });
  });
  const unlit = [];
  const lit = [];
  for (let round = 0; round < 8; round += 1) {
    for (const [line, wanted, samples] of [["stop", false, unlit], ["play", true, lit]]) {
      const typed = Date.now();
      host.stdin.write(`${line}\n`);
      const seen = await page.waitForFunction((since, want) => window.playSeen.find((entry) => entry.at >= since && entry.lit === want)?.at,
        { timeout: DEADLINE_MS }, typed, wanted);
      samples.push((await seen.jsonValue()) - typed);
    }
  }
  // Measured, not asserted: the machine may be loaded by anything.
  const within = (samples) => `${samples.filter((ms) => ms <= 500).length} of ${samples.length} within 500 ms`;
  t.diagnostic(`stop typed at the host to Play unlit on screen: median ${median(unlit)} ms of ${unlit} (${within(unlit)})`);
  t.diagnostic(`play typed at the host to Play lit on screen: median ${median(lit)} ms of ${lit} (${within(lit)})`);
  host.stdin.write("stop\n");

  // The time display moves with the host's, and a strip with the host's Mixer events.
  host.stdin.write("seek 00:01:02:03\n");
  await page.waitForFunction(() => document.getElementById("time").textContent === "00:01:02:03", { timeout: DEADLINE_MS });
  host.stdin.write("set 7/0/0 0.25\n");
  await page.waitForFunction(() => document.querySelector(".strip[data-channel='7'] .components .value")?.textContent === "-24.0 dB (0.25)",
    { timeout: DEADLINE_MS });

  // A value past the slider's max: the host keeps its max, and the page shows that.
  const entry = ".parameter[data-id='exposure'] .entry";
  await page.$eval(entry, (node) => { node.value = ""; });
  await page.type(entry, "9");
  await page.keyboard.press("Tab");
  await journalHas("Lumetri\tSetParameterValue\texposure\t9.000000");
  await page.waitForFunction(() => document.querySelector(".parameter[data-id='exposure'] .kept").textContent === "4",
    { timeout: DEADLINE_MS });
  assert.equal(await page.$eval(".parameter[data-id='exposure'] .slider", (node) => node.value), "4");

  // The fixture makes the host refuse every command.
  await page.type("#command-filter", "add edit");
  assert.deepEqual(await texts("#command-list li:not([hidden]) .name"), ["Add Edit"]);
  await page.click("#command-list li:not([hidden]) button");
  await journalHas("Command\tExecuteCommand\t12\t1001");
  await page.waitForFunction(() => /Add Edit .*refused: host-refused 'Busy'/.test(document.getElementById("log-list").textContent),
    { timeout: DEADLINE_MS });

  // By keyboard: the jog dial takes arrow keys, keys take Enter.
  await page.focus("#jog");
  await page.keyboard.press("ArrowRight");
  await journalHas("Transport\tJogDial\t0\t1.000000\t0.000000");
  await page.focus("#play");
  await page.keyboard.press("Enter");
  await page.waitForSelector("#play.lit", { timeout: DEADLINE_MS });

  await page.screenshot({ path: process.env.DIALFORGE_PANEL_SCREENSHOT ?? join(scratch, "panel.png") });
  await page.setViewport({ width: 420, height: 800 });
  assert.ok(await page.evaluate(() => document.documentElement.scrollWidth <= window.innerWidth), "no sideways scrolling when narrow");
  await page.setViewport({ width: 1280, height: 800 });
});

test("the page says when the host stops, and reconnects when it starts again", { skip }, async () => {
  await stop(host);
  await page.waitForSelector("#connection[data-state='lost']", { timeout: DEADLINE_MS });
  host = startHost();
  await page.waitForFunction(() => {
    const node = document.getElementById("connection");
    return node.dataset.state === "connected" && node.textContent.startsWith("reconnected");
  }, { timeout: DEADLINE_MS });
  assert.match(await page.$eval("#log-list", (node) => node.textContent), /connection lost/);
});

function call(method, path, headers, body = "") {
  return new Promise((resolve, reject) => {
    const outgoing = httpRequest({ host: "127.0.0.1", port: address.port, method, path,
      headers: { Host: `127.0.0.1:${address.port}`, ...headers } }, (response) => {
      response.resume();
      response.on("end", () => resolve(response.statusCode));
    });
    outgoing.on("error", reject);
    outgoing.end(body);
  });
}

test("other web pages and a wrong token are refused", { skip }, async () => {
  const own = `http://127.0.0.1:${address.port}`;
  const json = { "Content-Type": "application/json", Origin: own };
  const play = JSON.stringify({ keyword: "Transport", args: ["Play"] });
  const token = { "X-Dialforge-Token": address.token };
  const cookie = { Cookie: `dialforge-panel-${address.port}=${address.token}` };
  const cases = [
    [200, "GET", "/", {}],
    [403, "GET", "/", { Host: `rebound.example:${address.port}` }],
    [403, "GET", "/events", {}],
    [403, "GET", "/events", { Cookie: `dialforge-panel-${address.port}=${"0".repeat(32)}` }],
    [403, "POST", "/request", { ...json, "X-Dialforge-Token": "f".repeat(32) }, play],
    [403, "POST", "/request", { ...json }, play],
    [403, "POST", "/request", { ...json, ...cookie, Origin: "http://evil.example" }, play],
    [403, "POST", "/session", { ...json, Origin: "null", ...token }, "{}"],
    [413, "POST", "/request", { ...json, ...token }, "x".repeat(64 * 1024 + 1)],
    [400, "POST", "/request", { ...json, ...token }, JSON.stringify({ keyword: "Bye", args: ["0"] })],
    [400, "POST", "/request", { ...json, ...cookie }, JSON.stringify({ keyword: "ChangeLumetri", args: ["exposure|x", 1] })],
    [200, "POST", "/request", { ...json, ...cookie }, JSON.stringify({ keyword: "Ping", args: [] })],
  ];
  for (const [status, method, path, headers, body] of cases) {
    assert.equal(await call(method, path, headers, body), status, `${method} ${path} ${JSON.stringify(headers)}`);
  }
});

// The promise, or a failure once the deadline has passed.
function within(promise, what) {
  let timer;
  const expired = new Promise((resolve, reject) => {
    timer = setTimeout(() => reject(new Error(`no ${what} within ${DEADLINE_MS} ms`)), DEADLINE_MS);
  });
  return Promise.race([promise, expired]).finally(() => clearTimeout(timer));
}

test("beside a companion subscribed to Transport, which stays served; stopping the panel says Bye", { skip }, async () => {
  const { connect } = await import("dialforge-client");
  const companion = await connect({ home, connectTimeout: DEADLINE_MS });
  const events = companion.subscribe("Transport");
  await events.ready;
  const stream = events[Symbol.asyncIterator]();
  const companionSees = async (play) => {
    for (;;) {
      const { value, done } = await within(stream.next(), `Transport event with play ${play} at the companion`);
      assert.ok(!done, "the companion's events ended");
      if (value.state.play === play) return;
    }
  };
  // The page drives the host while the companion is served, and both see what the host does.
  await page.click("#play");
  await page.waitForSelector("#play.lit", { timeout: DEADLINE_MS });
  await companionSees(true);
  host.stdin.write("stop\n");
  await page.waitForSelector("#play:not(.lit)", { timeout: DEADLINE_MS });
  await companionSees(false);

  const goodbyes = traced("Client said goodbye");
  panel.kill("SIGINT");
  assert.equal(await panel.exited, 0);
  await until(() => traced("Client said goodbye") > goodbyes, "goodbye traced by the plug-in");
  host.stdin.write("play\n");
  await companionSees(true);
  await companion.ping();
  await companion.close();
});
