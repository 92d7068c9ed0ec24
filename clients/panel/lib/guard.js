// Who may use the panel. Any web page in the user's browser can send requests to 127.0.0.1, and a
// DNS name of theirs can be made to point there: only a page the panel served itself, holding
// its token, gets anything but the page's own files.
import { timingSafeEqual } from "node:crypto";

export const TOKEN_HEADER = "x-dialforge-token";

export function cookieName(port) {
  // Cookies are not told apart by port: one name per panel, so two panels keep their own.
  return `dialforge-panel-${port}`;
}

export function sessionCookie(port, token) {
  return `${cookieName(port)}=${token}; HttpOnly; SameSite=Strict; Path=/`;
}

// The Host header names the panel itself (a rebound DNS name does not).
export function hostAllowed(request, port) {
  const host = (request.headers.host ?? "").toLowerCase();
  return host === `127.0.0.1:${port}` || host === `localhost:${port}`;
}

// A POST comes from the panel's own page: browsers always send Origin with one.
export function originAllowed(request, port) {
  const origin = request.headers.origin;
  return origin === `http://127.0.0.1:${port}` || origin === `http://localhost:${port}`;
}

function cookieToken(request, port) {
  const name = cookieName(port);
  for (const part of (request.headers.cookie ?? "").split(";")) {
    const [key, ...value] = part.trim().split("=");
    if (key === name) return value.join("=");
  }
  return undefined;
}

function same(given, token) {
  if (typeof given !== "string") return false;
  const a = Buffer.from(given);
  const b = Buffer.from(token);
  return a.length === b.length && timingSafeEqual(a, b);
}

export function tokenInHeader(request, token) {
  return same(request.headers[TOKEN_HEADER], token);
}

// The token in the header or in the session cookie; never in the URL, which lands in logs.
export function tokenGiven(request, port, token) {
  return tokenInHeader(request, token) || same(cookieToken(request, port), token);
}
