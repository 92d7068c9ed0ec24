// What the page shows of the host's state. Host text is hostile like any other input: it goes
// into the page as text, never as markup.

function element(tag, properties = {}, ...children) {
  const node = document.createElement(tag);
  for (const [key, value] of Object.entries(properties)) {
    if (key === "class") node.className = value;
    else if (key.startsWith("data-") || key.startsWith("aria-")) node.setAttribute(key, value);
    else node[key] = value;
  }
  node.append(...children);
  return node;
}

const shown = (value) => (value === null || value === undefined ? "?" : String(value));
const number = (value, digits = 2) => (typeof value === "number" ? value.toFixed(digits) : "?");

export function renderTransport(state) {
  document.getElementById("time").textContent = state.time ?? "--:--:--:--";
  for (const key of document.querySelectorAll("[data-light]")) {
    const lit = state[key.dataset.light] === true;
    key.classList.toggle("lit", lit);
    key.setAttribute("aria-pressed", String(lit));
  }
}

// The host's text and the value: a host may keep its text while the value moves.
function parameterText(parameter) {
  const value = typeof parameter.value === "number" ? String(Math.round(parameter.value * 1e6) / 1e6) : "?";
  return parameter.text ? `${parameter.text} (${value})` : value;
}

function channelStrip(channel) {
  const states = element("div", { class: "states", "aria-label": "Channel states 0 to 5" },
    ...channel.states.map((on, index) => element("span", {
      class: on ? "state on" : "state", title: `state ${index}: ${shown(on)}`, textContent: String(index) })));
  const components = element("ul", { class: "components" }, ...channel.components.map((component) => element("li",
    { class: component.bypass ? "bypassed" : "" },
    element("strong", { textContent: shown(component.name) }),
    component.bypass ? element("span", { class: "badge", textContent: "bypassed" }) : "",
    element("ul", {}, ...component.parameters.map((parameter) => element("li", {},
      `${shown(parameter.name)}: `, element("span", { class: "value", textContent: parameterText(parameter) })))))));
  const volume = typeof channel.volume === "number" ? channel.volume : 0;
  return element("article", { class: "strip", "data-channel": shown(channel.id) },
    element("h3", { textContent: channel.name ?? `row ${channel.row}` }),
    element("p", { class: "meta", textContent: `id ${shown(channel.id)} · row ${shown(channel.row)} · ${shown(channel.audioChannels)} ch · pan ${shown(channel.panType)}` }),
    states,
    element("label", { class: "volume" }, "Volume ",
      element("meter", { min: 0, max: 1, value: volume }), element("span", { class: "value", textContent: number(channel.volume) })),
    components);
}

export function renderMixer(mixer) {
  const strips = document.getElementById("channels");
  strips.replaceChildren(...(mixer.channels ?? []).map(channelStrip));
  if (strips.childElementCount === 0) strips.append(element("p", { class: "empty", textContent: "No channels" }));
}

// The rows are made once per list of ids, so a change of value keeps the focus where it is.
export function renderParameters(parameters, actions) {
  const container = document.getElementById("parameters");
  const ids = parameters.map((parameter) => parameter.id).join("\n");
  if (container.dataset.ids !== ids) {
    container.dataset.ids = ids;
    container.replaceChildren(...parameters.map((parameter, index) => parameterRow(parameter, index, actions)));
  }
  parameters.forEach((parameter) => showParameter(parameter.id, parameter.value));
}

function parameterRow(parameter, index, actions) {
  const name = shown(parameter.name ?? parameter.id);
  const low = parameter.min ?? 0;
  const high = parameter.max ?? 1;
  const slider = element("input", { type: "range", id: `parameter-${index}`, min: low, max: high,
    step: (high - low) / 1000 || "any", class: "slider" });
  const entry = element("input", { type: "number", step: "any", class: "entry", "aria-label": `${name}: value to send` });
  const kept = element("output", { class: "kept", "aria-label": `${name}: value the host kept` });
  for (const kind of ["input", "change"]) slider.addEventListener(kind, () => actions.change(parameter.id, Number(slider.value)));
  entry.addEventListener("change", () => {
    if (entry.value !== "") actions.change(parameter.id, Number(entry.value));
  });
  const reset = element("button", { type: "button", textContent: "Reset", "aria-label": `Reset ${name}` });
  reset.addEventListener("click", () => actions.reset(parameter.id));
  return element("div", { class: "parameter", "data-id": parameter.id },
    element("label", { htmlFor: slider.id, textContent: name }),
    slider, entry, kept,
    element("span", { class: "range", textContent: `${number(parameter.min)} to ${number(parameter.max)}` }),
    reset);
}

export function showParameter(id, value) {
  const row = [...document.querySelectorAll("#parameters .parameter")].find((node) => node.dataset.id === id);
  if (!row) return;
  row.querySelector(".kept").textContent = typeof value === "number" ? String(Math.round(value * 1e6) / 1e6) : "?";
  const slider = row.querySelector(".slider");
  if (typeof value === "number" && slider.dataset.dragging !== "yes") slider.value = String(value);
  const entry = row.querySelector(".entry");
  if (typeof value === "number" && document.activeElement !== entry) entry.value = String(Math.round(value * 1e6) / 1e6);
}

export function renderMenus(menus, next) {
  document.getElementById("menus").replaceChildren(...menus.map((menu) => {
    const button = element("button", { type: "button", textContent: "Next choice", "aria-label": `${shown(menu.name)}: next choice` });
    button.addEventListener("click", () => next(menu.id));
    return element("div", { class: "menu", "data-id": menu.id },
      element("span", { class: "name", textContent: shown(menu.name) }),
      element("output", { class: "value", textContent: shown(menu.value) }), button);
  }));
}

export function renderModes(mode, choose) {
  const container = document.getElementById("panel-mode");
  if (container.childElementCount === 0) {
    for (let index = 0; index <= 6; index += 1) {
      const button = element("button", { type: "button", textContent: String(index), "aria-pressed": "false", "aria-label": `Panel mode ${index}` });
      button.addEventListener("click", () => choose(index));
      container.append(button);
    }
  }
  [...container.children].forEach((button, index) => button.setAttribute("aria-pressed", String(index === mode)));
}

export function renderCommands(commands, execute) {
  document.getElementById("command-list").replaceChildren(...commands.map((command) => {
    const button = element("button", { type: "button", textContent: "Execute",
      "aria-label": `Execute ${shown(command.commandName)}` });
    button.addEventListener("click", () => execute(command));
    return element("li", { "data-search": `${command.contextName} ${command.commandName} ${command.contextId} ${command.commandId}`.toLowerCase() },
      element("span", { class: "context", textContent: shown(command.contextName) }),
      element("span", { class: "name", textContent: shown(command.commandName) }),
      element("span", { class: "ids", textContent: `${command.contextId}/${command.commandId}` }), button);
  }));
}

export function filterCommands(text) {
  const words = text.toLowerCase().split(/\s+/).filter(Boolean);
  for (const item of document.getElementById("command-list").children) {
    item.hidden = !words.every((word) => item.dataset.search.includes(word));
  }
}

const MAX_LOG_ENTRIES = 200;

export function log(text, kind = "info") {
  const list = document.getElementById("log-list");
  const time = new Date().toLocaleTimeString();
  list.prepend(element("li", { class: kind }, element("time", { textContent: time }), " ", text));
  while (list.childElementCount > MAX_LOG_ENTRIES) list.lastElementChild.remove();
}

export function showConnection(state, message) {
  const node = document.getElementById("connection");
  node.dataset.state = state;
  node.textContent = message;
  document.body.classList.toggle("offline", state !== "connected");
}
