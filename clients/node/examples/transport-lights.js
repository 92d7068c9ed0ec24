#!/usr/bin/env node
// Prints a line whenever Play, Record or the timecode change, as a controller's keys and display
// would show them; survives host restarts. Usage: node transport-lights.js [home folder]
import { watch } from "dialforge-client";

const light = (on) => (on ? "●" : "○");
let shown = "";
let current;

// Stopped by SIGINT or SIGTERM, it says Bye: the plug-in then serves its next client at once,
// without its 5-second pause.
for (const signal of ["SIGINT", "SIGTERM"]) {
  process.once(signal, async () => {
    await current?.close();
    process.exit(0);
  });
}

for await (const client of watch({ home: process.argv[2], onWait: (reason) => console.log(reason) })) {
  current = client;
  console.log(`connected to ${client.hello?.plugin ?? "Dialforge"} on port ${client.port}`);
  const show = (state) => {
    const line = `Play ${light(state.play)}  Record ${light(state.record)}  ${state.time ?? "--:--:--:--"}`;
    if (line !== shown) console.log((shown = line));
  };
  const events = client.subscribe("Transport");
  await events.ready;
  show(await client.snapshot("Transport"));
  for await (const event of events) show(event.state);
  console.log(`${(await client.closed)?.message ?? "the connection ended"}; waiting for the plug-in`);
}
