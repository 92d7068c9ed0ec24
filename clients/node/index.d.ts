// Types of dialforge-client. Self-contained: no Node type package is needed to check them.

export declare const version: string;

export type ErrorCode =
  | "no-plugin" | "busy" | "unauthorized" | "timeout" | "closed" | "protocol"
  | "invalid-message" | "unknown-keyword" | "invalid-value" | "unknown-snapshot"
  | "unavailable" | "host-refused" | "too-long" | "bad-handshake";

export declare class DialforgeError extends Error {
  readonly code: ErrorCode;
  /** The four-character code the host answered, for "host-refused". */
  readonly hostError?: string;
  readonly id?: string | null;
}

export interface ConnectOptions {
  /** The folder the port file is under: HOME on Linux and macOS, LOCALAPPDATA on Windows. */
  home?: string;
  /** The port, instead of the port file's. */
  port?: number;
  /** Milliseconds to keep trying; default 10000. */
  connectTimeout?: number;
  /** Milliseconds the plug-in may send nothing while a reply is due before the connection is
   * given up (code "timeout"); default 20000. */
  replyTimeout?: number;
  /** 1 for the text protocol; default 2. */
  protocol?: 1 | 2;
  /** Proves the client to a plug-in that serves others; default: socket.token beside the port
   * file (none with `port`). */
  token?: string;
  /** Called once for each reason the connection waits (no port file, a stale one, busy...). */
  onWait?: (reason: string) => void;
}

export interface Reply { id: string; ok: true; value?: number; [field: string]: unknown }

export interface Command { contextId: string; contextName: string; commandId: string; commandName: string }
export interface LumetriParameter { id: string; name: string; value: number | null; min?: number | null; max?: number | null }
export interface LumetriMenu { id: string; name: string; value: string | null }
export interface MixerParameter { index: number; name: string | null; value: number | null; text: string | null }
export interface MixerComponent {
  index: number; name: string | null; bypass: boolean | null; parameterCount: number | null;
  parameters: MixerParameter[];
}
export interface MixerChannel {
  row: number; id: number | null; name: string | null; states: Array<boolean | null>;
  volume: number | null; flags: number | null; audioChannels: number | null;
  audioChannelValue: number | null; panType: number | null; components: MixerComponent[];
}
export interface TransportState {
  play: boolean; record: boolean; rewind: boolean; forward: boolean;
  stop: boolean | null; pause: boolean | null; cycle: boolean | null;
  time: string | null; timeFormat: number | null;
}

export interface Snapshots {
  Commands: { commands: Command[] };
  LumetriParameters: { parameters: LumetriParameter[] };
  LumetriMenu: { menus: LumetriMenu[] };
  Mixer: { channels: MixerChannel[] };
  Transport: TransportState;
}
export type SnapshotName = keyof Snapshots;

export interface TransportEvent { event: "Transport"; state: TransportState }
/** `channel` is the id the Mixer snapshot gives the channel in `row` (null when the host gives
 * none); the host notifies the row. */
interface ChannelChange { channel: number | null; row: number }
export type MixerChange =
  | { change: "configuration"; first: number; count: number }
  | { change: "selection" }
  | ({ change: "channelState"; state: number; value: boolean } & ChannelChange)
  | ({ change: "automationMode"; mode: number } & ChannelChange)
  | { change: "channelOffset"; offset: number }
  | { change: "channelCount"; count: number }
  | { change: "rudeSolo"; value: boolean }
  | ({ change: "componentBypass"; component: number; value: boolean } & ChannelChange)
  | ({ change: "componentParameter"; component: number; parameter: number; value: number | null } & ChannelChange);
export interface MixerEvent { event: "Mixer"; changed: MixerChange[]; overflow: boolean }
export type DialforgeEvent = TransportEvent | MixerEvent;
export interface EventsByName { Transport: TransportEvent; Mixer: MixerEvent }

export interface Subscription<E> extends AsyncIterableIterator<E> {
  /** Settles with the plug-in's answer to the Subscribe request. */
  readonly ready: Promise<void>;
  return(): Promise<IteratorResult<E, undefined>>;
}

export interface Hello {
  id: string; ok: true; protocol: number; plugin: string; version: string;
  snapshots: string[]; events: string[];
}

export declare class Client {
  readonly port: number;
  /** The protocol spoken: 2, or 1 when asked for or when the plug-in speaks no other. */
  readonly protocol: 1 | 2;
  /** The plug-in's answer to Hello (protocol 2). */
  readonly hello?: Hello;
  /** Resolves once the connection has ended: undefined after close(), else a DialforgeError
   * with code "closed" saying why ("the plug-in closed the connection", "the host stopped"). */
  readonly closed: Promise<DialforgeError | undefined>;

  request(keyword: string, ...args: Array<string | number>): Promise<Reply>;
  snapshot<N extends SnapshotName>(name: N): Promise<Snapshots[N]>;
  snapshot(name: string): Promise<Record<string, unknown>>;
  transport(keyword: string): Promise<Reply>;
  play(): Promise<Reply>;
  stop(): Promise<Reply>;
  pause(): Promise<Reply>;
  record(): Promise<Reply>;
  jog(value1: number, value2: number, flag: boolean): Promise<Reply>;
  /** The value is sent in plain decimal; one not finite is refused with "invalid-value". */
  setLumetri(id: string, value: number): Promise<Reply>;
  resetLumetri(id: string): Promise<Reply>;
  nextMenuChoice(id: string): Promise<Reply>;
  panelMode(mode: number): Promise<Reply>;
  executeCommand(context: string, command: string): Promise<Reply>;
  navigate(flag1: boolean, value1: number, value2: number, flag2: boolean): Promise<Reply>;
  ping(): Promise<Reply>;
  subscribe<N extends keyof EventsByName>(name: N): Subscription<EventsByName[N]>;
  close(): Promise<void>;

  on(name: "event", listener: (event: DialforgeEvent) => void): this;
  on(name: "message", listener: (message: Record<string, unknown>) => void): this;
  on(name: "close", listener: (problem?: DialforgeError) => void): this;
  once(name: "event", listener: (event: DialforgeEvent) => void): this;
  once(name: "message", listener: (message: Record<string, unknown>) => void): this;
  once(name: "close", listener: (problem?: DialforgeError) => void): this;
  off(name: "event" | "message" | "close", listener: (...args: never[]) => void): this;
}

export declare function portFilePath(home?: string): string;
/** The token in socket.token beside the port file; undefined when missing or not 32 hex digits. */
export declare function readToken(portFile: string): Promise<string | undefined>;
/** The number in plain decimal notation that reads back as the same double. */
export declare function decimalText(value: number | string): string;
export declare function connect(options?: ConnectOptions): Promise<Client>;
export declare function watch(options?: Omit<ConnectOptions, "connectTimeout">): AsyncGenerator<Client, void, undefined>;
export declare function parseSnapshot(name: string, text: string): Record<string, unknown>;
