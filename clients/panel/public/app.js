// The panel page: the host's state as the panel's event stream tells it, and the controls that
// send requests through the panel.
import { listen, post, request, startSession } from "./connection.js";
import * as views from "./views.js";

const FULL = ["Mixer", "Commands", "LumetriParameters", "LumetriMenu", "Transport"];
const rendered = new Set();
let connected = false;
let fullyRendered = false;

// Marked once every part has been shown, for measuring a load (performance.getEntriesByName).
function checkFullRender() {
  if (fullyRendered || !connected || !FULL.every((name) => rendered.has(name))) return;
  fullyRendered = true;
  requestAnimationFrame(() => setTimeout(() => {
    performance.mark("dialforge-full-render");
    document.body.dataset.rendered = "full";
  }));
}

function describe(answer) {
  const hostError = answer.hostError ? ` '${answer.hostError}'` : "";
  return `${answer.error}${hostError}: ${answer.message ?? ""}`;
}

async function send(what, keyword, ...args) {
  if (!connected) {
    views.log(`${what}: not sent, the panel is not connected to the plug-in`, "refusal");
    return { ok: false };
  }
  const answer = await request(keyword, ...args);
  if (!answer.ok) views.log(`${what} refused: ${describe(answer)}`, "refusal");
  return answer;
}

// One change per parameter in flight; values moved to meanwhile collapse into the newest, and
// the same value again while it is in flight (a slider's change after its input) is not resent.
const changes = new Map();
function changeParameter(id, value) {
  const entry = changes.get(id) ?? { sending: undefined, next: undefined };
  changes.set(id, entry);
  if (entry.sending !== undefined) {
    entry.next = value === entry.sending ? undefined : value;
    return;
  }
  entry.next = value;
  (async () => {
    while (entry.next !== undefined) {
      entry.sending = entry.next;
      entry.next = undefined;
      await send(`${id} to ${entry.sending}`, "ChangeLumetri", id, entry.sending);
    }
    entry.sending = undefined;
  })();
}

function wireTransport() {
  for (const key of document.querySelectorAll("[data-key]")) {
    key.addEventListener("click", () => send(key.dataset.key, "Transport", key.dataset.key));
  }
  // Rewind and forward wind while held, by pointer or by Space or Enter.
  for (const key of document.querySelectorAll("[data-hold]")) {
    const name = key.dataset.hold;
    let held = false;
    const begin = () => {
      if (held) return;
      held = true;
      send(`Begin${name}`, "Transport", `Begin${name}`);
    };
    const end = () => {
      if (!held) return;
      held = false;
      send(`End${name}`, "Transport", `End${name}`);
    };
    key.addEventListener("pointerdown", (event) => {
      key.setPointerCapture(event.pointerId);
      begin();
    });
    for (const kind of ["pointerup", "pointercancel", "lostpointercapture", "blur"]) key.addEventListener(kind, end);
    key.addEventListener("keydown", (event) => {
      if (event.key === " " || event.key === "Enter") {
        event.preventDefault();
        if (!event.repeat) begin();
      }
    });
    key.addEventListener("keyup", (event) => {
      if (event.key === " " || event.key === "Enter") end();
    });
  }
  const jog = document.getElementById("jog");
  let turned = 0;
  const turn = (ticks) => {
    turned += ticks;
    document.getElementById("jog-count").textContent = String(turned);
    jog.setAttribute("aria-valuenow", String(turned));
    send(`Jog ${ticks}`, "Transport", "JogDial", ticks, 0, false);
  };
  jog.addEventListener("wheel", (event) => {
    event.preventDefault();
    if (event.deltaY !== 0) turn(event.deltaY < 0 ? 1 : -1);
  }, { passive: false });
  jog.addEventListener("keydown", (event) => {
    const step = { ArrowRight: 1, ArrowUp: 1, ArrowLeft: -1, ArrowDown: -1 }[event.key];
    if (step === undefined) return;
    event.preventDefault();
    turn(event.shiftKey ? step * 10 : step);
  });
}

const lumetriActions = {
  change: changeParameter,
  reset: (id) => send(`Reset ${id}`, "ResetChangeLumetri", id),
};
// While a slider is dragged, the values coming back do not move it under the pointer.
document.addEventListener("pointerdown", (event) => {
  if (event.target.classList?.contains("slider")) event.target.dataset.dragging = "yes";
});
document.addEventListener("pointerup", () => {
  for (const slider of document.querySelectorAll(".slider[data-dragging]")) delete slider.dataset.dragging;
});

const handlers = {
  connection({ state, message }) {
    const was = connected;
    connected = state === "connected";
    views.showConnection(state, message);
    if (was !== connected || state !== "connecting") views.log(message, connected ? "info" : "warning");
    checkFullRender();
  },
  snapshot({ name, result }) {
    if (name === "Mixer") views.renderMixer(result);
    if (name === "LumetriParameters") views.renderParameters(result.parameters ?? [], lumetriActions);
    if (name === "LumetriMenu") views.renderMenus(result.menus ?? [], (id) => send(`Next choice of ${id}`, "ChangeLumetriMenuValue", id));
    if (name === "Commands") {
      views.renderCommands(result.commands ?? [], (command) => send(
        `Execute ${command.commandName} (${command.contextId}/${command.commandId})`,
        "ExecuteCommand", command.contextId, command.commandId));
      views.filterCommands(document.getElementById("command-filter").value);
    }
    rendered.add(name);
    checkFullRender();
  },
  transport(state) {
    views.renderTransport(state);
    rendered.add("Transport");
    checkFullRender();
  },
  parameter({ id, value }) {
    views.showParameter(id, value);
  },
  panelMode(mode) {
    views.renderModes(mode, (chosen) => send(`Panel mode ${chosen}`, "ChangeLumetriPanelMode", chosen));
  },
};

async function start() {
  wireTransport();
  document.getElementById("command-filter").addEventListener("input", (event) => views.filterCommands(event.target.value));
  document.getElementById("refresh").addEventListener("click", () => post("/refresh", {}));
  if (!(await startSession())) {
    views.showConnection("refused", "The panel refused this address's token: open the address the panel printed.");
    return;
  }
  listen(handlers, (closed) => {
    connected = false;
    views.showConnection("lost", closed
      ? "The panel refused this page: open the address the panel printed (with its #token=...)."
      : "The panel does not answer (stopped?); trying again.");
  });
}

start();
