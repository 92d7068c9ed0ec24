// Compiled, not run: the README's uses of the API fit index.d.ts.
import { connect, watch, DialforgeError, type TransportState } from "../index.js";

export async function uses(): Promise<void> {
  const client = await connect({ home: "/tmp", connectTimeout: 5000 });
  const mixer = await client.snapshot("Mixer");
  const names: Array<string | null> = mixer.channels.map((channel) => channel.name);
  const state: TransportState = await client.snapshot("Transport");
  await client.setLumetri("exposure", 0.5).then((reply) => reply.value);
  try {
    await client.request("Nonsense", 1);
  } catch (problem) {
    if (problem instanceof DialforgeError && problem.code === "host-refused") console.log(problem.hostError);
  }
  const events = client.subscribe("Transport");
  await events.ready;
  for await (const event of events) console.log(event.state.time, names, state.play);
  client.on("close", (problem) => console.log(problem?.code));
  await client.close();
  for await (const each of watch({ home: "/tmp" })) await each.play();
  const shared = await connect({ token: "00112233445566778899aabbccddeeff", onWait: (reason) => console.log(reason) });
  for await (const { changed } of shared.subscribe("Mixer")) {
    for (const change of changed) {
      if (change.change === "componentParameter") console.log(change.channel, change.row, change.value);
    }
  }
}
