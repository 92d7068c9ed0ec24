// The panel: its connection to the plug-in and its HTTP server on 127.0.0.1.
import { randomBytes } from "node:crypto";
import { once } from "node:events";
import { HostLink } from "./host-link.js";
import { createPanelServer } from "./server.js";

export const version = "1.0.0";

// Resolves once the panel listens; `url` holds its token. `home` and `pluginPort` find the
// plug-in as dialforge-client's connect() does; `port` 0 takes a free port.
export async function startPanel({ home, pluginPort, port = 0 } = {}) {
  const token = randomBytes(16).toString("hex");
  const link = new HostLink({ home, port: pluginPort });
  let listening = 0;
  const server = createPanelServer({ link, token, getPort: () => listening });
  server.listen(port, "127.0.0.1");
  await Promise.race([once(server, "listening"), once(server, "error").then(([problem]) => { throw problem; })]);
  listening = server.address().port;
  const running = link.run();
  return {
    port: listening,
    url: `http://127.0.0.1:${listening}/#token=${token}`,
    link,
    // Says Bye to the plug-in and stops serving pages.
    async stop() {
      server.closeStreams();
      server.close();
      server.closeAllConnections?.();
      await link.stop();
      await Promise.race([running, new Promise((resolve) => setTimeout(resolve, 100))]);
    },
  };
}
