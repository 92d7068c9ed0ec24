// The panel's HTTP server: the page's own files, the event stream, and the requests the page
// posts, each behind the checks of guard.js.
import { readFileSync } from "node:fs";
import { createServer } from "node:http";
import { EventStreams } from "./event-stream.js";
import { hostAllowed, originAllowed, sessionCookie, tokenGiven, tokenInHeader } from "./guard.js";
import { checkedRequest, RequestRefused } from "./requests.js";

export const MAX_BODY_BYTES = 64 * 1024;

const SECURITY_HEADERS = {
  "Content-Security-Policy": "default-src 'self'; base-uri 'none'; form-action 'none'; frame-ancestors 'none'",
  "X-Content-Type-Options": "nosniff",
  "X-Frame-Options": "DENY",
  "Referrer-Policy": "no-referrer",
  "Cross-Origin-Opener-Policy": "same-origin",
  "Cross-Origin-Resource-Policy": "same-origin",
};

const TYPES = { html: "text/html", css: "text/css", js: "text/javascript", svg: "image/svg+xml" };
// The only files served, read once: no path from a request reaches the file system.
const FILES = new Map(["index.html", "panel.css", "app.js", "connection.js", "views.js", "icon.svg"].map((name) => [
  name === "index.html" ? "/" : `/${name}`,
  {
    type: `${TYPES[name.split(".").pop()]}; charset=utf-8`,
    body: readFileSync(new URL(`../public/${name}`, import.meta.url)),
  },
]));

function answer(response, status, body, headers = {}) {
  const text = body === undefined ? "" : JSON.stringify(body);
  response.writeHead(status, {
    ...SECURITY_HEADERS,
    "Cache-Control": "no-store",
    ...(body !== undefined && { "Content-Type": "application/json; charset=utf-8" }),
    ...headers,
  });
  response.end(text);
}

function refuse(response, status, message) {
  answer(response, status, { ok: false, error: "forbidden", message }, { Connection: "close" });
}

// The body as JSON, or an answer sent already (undefined).
function readJson(request, response) {
  return new Promise((resolve) => {
    if (!/^application\/json\b/i.test(request.headers["content-type"] ?? "")) {
      answer(response, 415, { ok: false, error: "invalid-request", message: "the body must be application/json" });
      resolve(undefined);
      return;
    }
    if (Number(request.headers["content-length"] ?? 0) > MAX_BODY_BYTES) {
      refuse(response, 413, `a request body is at most ${MAX_BODY_BYTES} bytes`);
      request.destroy();
      resolve(undefined);
      return;
    }
    const chunks = [];
    let size = 0;
    request.on("data", (chunk) => {
      size += chunk.length;
      if (size > MAX_BODY_BYTES) {
        refuse(response, 413, `a request body is at most ${MAX_BODY_BYTES} bytes`);
        request.destroy();
        resolve(undefined);
      } else {
        chunks.push(chunk);
      }
    });
    request.on("end", () => {
      if (size > MAX_BODY_BYTES) return;
      try {
        resolve(JSON.parse(Buffer.concat(chunks).toString("utf8")));
      } catch {
        answer(response, 400, { ok: false, error: "invalid-request", message: "the body is not JSON" });
        resolve(undefined);
      }
    });
    request.on("error", () => resolve(undefined));
  });
}

async function post(request, response, link) {
  const body = await readJson(request, response);
  if (body === undefined) return;
  if (request.url === "/refresh") {
    await link.refresh();
    answer(response, 200, { ok: true });
    return;
  }
  let fields;
  try {
    fields = checkedRequest(body);
  } catch (problem) {
    if (!(problem instanceof RequestRefused)) throw problem;
    answer(response, 400, { ok: false, error: problem.code, message: problem.message });
    return;
  }
  const { status, body: reply } = await link.send(fields);
  answer(response, status, reply);
}

export function createPanelServer({ link, token, getPort }) {
  const streams = new EventStreams();
  link.on("change", (message) => streams.send(message));

  const server = createServer((request, response) => {
    const port = getPort();
    if (!hostAllowed(request, port)) {
      refuse(response, 403, "the Host must be the panel's own address");
      return;
    }
    const path = request.url.split("?")[0];
    const file = FILES.get(path);
    if (file && (request.method === "GET" || request.method === "HEAD")) {
      response.writeHead(200, { ...SECURITY_HEADERS, "Content-Type": file.type, "Cache-Control": "no-cache" });
      response.end(request.method === "HEAD" ? undefined : file.body);
      return;
    }
    if (request.method === "POST" && !originAllowed(request, port)) {
      refuse(response, 403, "a POST must come from the panel's own page");
      return;
    }
    // The page trades the token of its address for the session cookie.
    if (path === "/session" && request.method === "POST") {
      if (tokenInHeader(request, token)) {
        answer(response, 204, undefined, { "Set-Cookie": sessionCookie(port, token) });
      } else {
        refuse(response, 403, "the panel's token is missing or wrong");
      }
      return;
    }
    if (!tokenGiven(request, port, token)) {
      refuse(response, 403, "the panel's token is missing or wrong");
      return;
    }
    if (path === "/events" && request.method === "GET") {
      const { connection, snapshots, transport, panelMode } = link.state;
      streams.open(response, [
        { kind: "connection", data: connection },
        ...Object.entries(snapshots).map(([name, result]) => ({ kind: "snapshot", data: { name, result } })),
        ...(transport ? [{ kind: "transport", data: transport }] : []),
        { kind: "panelMode", data: panelMode },
        { kind: "ready", data: null },
      ], SECURITY_HEADERS);
      return;
    }
    if ((path === "/request" || path === "/refresh") && request.method === "POST") {
      post(request, response, link).catch((problem) => {
        answer(response, 500, { ok: false, error: "internal", message: problem.message });
      });
      return;
    }
    answer(response, FILES.has(path) || ["/events", "/request", "/refresh", "/session"].includes(path) ? 405 : 404,
      { ok: false, error: "not-found", message: `no ${request.method} ${path}` });
  });
  server.on("close", () => streams.close());
  server.closeStreams = () => streams.close();
  return server;
}
