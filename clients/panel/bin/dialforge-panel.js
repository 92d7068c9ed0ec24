#!/usr/bin/env node
// dialforge-panel [--home DIR] [--port N] [--open]: the host's state in a browser.
import { spawn } from "node:child_process";
import { startPanel, version } from "../lib/panel.js";

const USAGE = `usage: dialforge-panel [--home DIR] [--port N] [--open]

Connects to the Dialforge plug-in as a protocol 2 client (again whenever the host restarts),
serves a control panel of the host on 127.0.0.1, and prints its address, token included:
  Dialforge panel: http://127.0.0.1:PORT/#token=...
Open that address; anyone else, and any other web page, is refused.

  --home DIR   the folder whose port file names the plug-in's port (default $HOME;
               %LOCALAPPDATA% on Windows)
  --port N     the panel's own port (default: a free one)
  --open       opens the address in the default browser
  --help, --version

Stop it with Ctrl-C: it says Bye, so the plug-in serves its next client at once.
Exit status: 0; 1 when the port cannot be listened on; 2 for bad arguments.`;

function fail(message) {
  process.stderr.write(`dialforge-panel: ${message}\nRun with --help for more information.\n`);
  process.exit(2);
}

function parse(argv) {
  const options = { open: false };
  for (let index = 0; index < argv.length; index += 1) {
    const [name, inline] = argv[index].startsWith("--") ? argv[index].split(/=(.*)/s) : [argv[index]];
    const value = () => {
      if (inline !== undefined) return inline;
      index += 1;
      if (index >= argv.length) fail(`${name} requires an argument`);
      return argv[index];
    };
    if (name === "--help" || name === "-h") {
      process.stdout.write(`${USAGE}\n`);
      process.exit(0);
    } else if (name === "--version") {
      process.stdout.write(`dialforge-panel ${version}\n`);
      process.exit(0);
    } else if (name === "--home") {
      options.home = value();
    } else if (name === "--port") {
      const text = value();
      if (!/^\d{1,5}$/.test(text) || Number(text) > 65535) fail(`--port: ${text} is no port number`);
      options.port = Number(text);
    } else if (name === "--open" && inline === undefined) {
      options.open = true;
    } else {
      fail(`The following argument was not expected: ${argv[index]}`);
    }
  }
  return options;
}

function openBrowser(url) {
  const [program, ...args] = process.platform === "darwin" ? ["open"]
    : process.platform === "win32" ? ["cmd", "/c", "start", ""] : ["xdg-open"];
  const child = spawn(program, [...args, url], { stdio: "ignore", detached: true });
  child.on("error", (problem) => process.stderr.write(`dialforge-panel: could not open a browser: ${problem.message}\n`));
  child.unref();
}

const options = parse(process.argv.slice(2));
let panel;
try {
  panel = await startPanel({ home: options.home, port: options.port ?? 0 });
} catch (problem) {
  process.stderr.write(`dialforge-panel: cannot listen on 127.0.0.1:${options.port ?? 0}: ${problem.message}\n`);
  process.exit(1);
}
process.stdout.write(`Dialforge panel: ${panel.url}\n`);
panel.link.on("change", ({ kind, data }) => {
  if (kind === "connection") process.stderr.write(`dialforge-panel: ${data.message}\n`);
});
if (options.open) openBrowser(panel.url);

let signals = 0;
const stop = async () => {
  signals += 1;
  if (signals > 1) process.exit(0);
  await panel.stop();
  process.exit(0);
};
process.on("SIGINT", stop);
process.on("SIGTERM", stop);
