// The page's side of the panel: the token of the address traded for the session cookie, the
// event stream, and requests posted.

// The address's #token=... becomes an HttpOnly cookie, and leaves the address bar and history.
export async function startSession() {
  const match = /(?:^#|&)token=([0-9a-f]+)/.exec(location.hash);
  if (!match) return true;
  history.replaceState(null, "", location.pathname);
  const response = await fetch("/session", {
    method: "POST",
    headers: { "X-Dialforge-Token": match[1], "Content-Type": "application/json" },
    body: "{}",
  });
  return response.ok;
}

// Calls handlers[kind](data) for each event; EventSource reconnects by itself.
export function listen(handlers, onProblem) {
  const source = new EventSource("/events");
  for (const [kind, handler] of Object.entries(handlers)) {
    source.addEventListener(kind, (message) => handler(JSON.parse(message.data)));
  }
  source.addEventListener("error", () => onProblem(source.readyState === EventSource.CLOSED));
  return source;
}

// Resolves with the answer's JSON: { ok, value?, error?, message?, hostError? }.
export async function post(path, body) {
  try {
    const response = await fetch(path, {
      method: "POST",
      headers: { "Content-Type": "application/json" },
      body: JSON.stringify(body),
    });
    const answer = await response.json().catch(() => ({}));
    return response.ok ? answer : { ok: false, error: answer.error ?? `http-${response.status}`, message: answer.message ?? response.statusText };
  } catch (problem) {
    return { ok: false, error: "no-panel", message: `the panel does not answer: ${problem.message}` };
  }
}

export function request(keyword, ...args) {
  return post("/request", { keyword, args });
}
