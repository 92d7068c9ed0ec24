// What the page may ask of the plug-in: the documented keywords only, each with its arguments
// checked and written as the plug-in reads them. Anything else is refused before it is sent.
import { decimalText } from "dialforge-client";

export const TRANSPORT_KEYWORDS = new Set([
  "BeginRewind", "EndRewind", "BeginForward", "EndForward", "Stop", "Play", "Record", "Pause",
  "ToggleCycle", "GotoPrevious", "GotoNext", "GotoStart", "ShuttleLeft", "ShuttleStop", "ShuttleRight",
]);

const MAX_ID_LENGTH = 256;
const INT32_MIN = -(2 ** 31);
const INT32_MAX = 2 ** 31 - 1;

export class RequestRefused extends Error {
  constructor(message) {
    super(message);
    this.code = "invalid-request";
  }
}

function identifier(value, what) {
  // A "|" would shift the fields, a control byte could end or cut the line.
  if (typeof value !== "string" || value.length === 0 || value.length > MAX_ID_LENGTH ||
      /[|\u0000-\u001f\u007f]/.test(value)) {
    throw new RequestRefused(`${what} must be text of 1 to ${MAX_ID_LENGTH} characters without '|' or control characters`);
  }
  return value;
}

function integer(value, what, low = INT32_MIN, high = INT32_MAX) {
  if (!Number.isInteger(value) || value < low || value > high) {
    throw new RequestRefused(`${what} must be a whole number from ${low} to ${high}`);
  }
  return String(value);
}

function flag(value, what) {
  if (typeof value !== "boolean") throw new RequestRefused(`${what} must be true or false`);
  return value ? "1" : "0";
}

// In plain decimal notation that reads back as the same number: the plug-in reads no exponent.
function plainDecimal(value, what = "the value") {
  if (typeof value !== "number" || !Number.isFinite(value)) throw new RequestRefused(`${what} must be a finite number`);
  return decimalText(value);
}

function count(args, wanted, keyword) {
  if (!Array.isArray(args) || args.length !== wanted) {
    throw new RequestRefused(`${keyword} takes ${wanted} argument${wanted === 1 ? "" : "s"}`);
  }
}

const RULES = {
  Transport(args) {
    if (Array.isArray(args) && args[0] === "JogDial") {
      count(args, 4, "Transport JogDial");
      return ["JogDial", integer(args[1], "the first jog value"), integer(args[2], "the second jog value"),
        flag(args[3], "the jog flag")];
    }
    count(args, 1, "Transport");
    if (!TRANSPORT_KEYWORDS.has(args[0])) throw new RequestRefused(`no transport keyword is called ${String(args[0]).slice(0, 40)}`);
    return [args[0]];
  },
  ChangeLumetri(args) {
    count(args, 2, "ChangeLumetri");
    return [identifier(args[0], "the parameter id"), plainDecimal(args[1])];
  },
  ResetChangeLumetri(args) {
    count(args, 1, "ResetChangeLumetri");
    return [identifier(args[0], "the parameter id")];
  },
  ChangeLumetriMenuValue(args) {
    count(args, 1, "ChangeLumetriMenuValue");
    return [identifier(args[0], "the menu id")];
  },
  ChangeLumetriPanelMode(args) {
    count(args, 1, "ChangeLumetriPanelMode");
    return [integer(args[0], "the panel mode", 0, 6)];
  },
  ExecuteCommand(args) {
    count(args, 2, "ExecuteCommand");
    return [identifier(args[0], "the context id"), identifier(args[1], "the command id")];
  },
  Navigate(args) {
    count(args, 4, "Navigate");
    return [[flag(args[0], "the first flag"), integer(args[1], "the first value"), integer(args[2], "the second value"),
      flag(args[3], "the second flag")].join(",")];
  },
  Ping(args) {
    count(args, 0, "Ping");
    return ["0"];
  },
};

// The fields to send for a request the page posted as { keyword, args }.
export function checkedRequest(body) {
  if (body === null || typeof body !== "object" || Array.isArray(body)) {
    throw new RequestRefused("a request is a JSON object with a keyword and its args");
  }
  const rule = Object.hasOwn(RULES, body.keyword) ? RULES[body.keyword] : undefined;
  if (rule === undefined) {
    throw new RequestRefused(`the panel sends no request called ${String(body.keyword).slice(0, 40)}`);
  }
  return { keyword: body.keyword, args: rule(body.args ?? []) };
}
