// Abuse of the web remote's server by raw sockets and the `ws` client, against a running console
// and its lab (tests/e2e/test_web_remote_security.cpp runs it with ARX_WEB_URL, ARX_DEVSIM,
// ARX_DEVICE_DIR and ARX_DEVICE): two half-open connections stay silent throughout; a WebSocket
// from a foreign origin is refused; a 10 MB frame and a flood of frames each end their own
// connection; and meanwhile the page is served and a well-behaved client's edit reaches the
// device. Exit code 0 when every step held.
import WebSocket from 'ws';
import { execFileSync } from 'node:child_process';
import net from 'node:net';

const env = (name) => { const v = process.env[name]; if (!v) throw new Error(`${name} is not set`); return v; };
const url = new URL(env('ARX_WEB_URL')), devsim = env('ARX_DEVSIM'), dir = env('ARX_DEVICE_DIR'), device = env('ARX_DEVICE');
const origin = url.origin, wsUrl = `ws://${url.host}/ws`;
const dump = () => JSON.parse(execFileSync(devsim, ['dump', '--dir', dir, device], { encoding: 'utf8' }));

async function until(what, condition, timeoutMs = 10000) {
  const end = Date.now() + timeoutMs;
  for (;;) {
    if (await condition()) return;
    if (Date.now() > end) throw new Error(`timed out: ${what}`);
    await new Promise((r) => setTimeout(r, 50));
  }
}

// Resolves with how the connection went: 'open' then (after `whenOpen`) 'closed', or 'refused'.
function connect(options, whenOpen = (ws) => ws.close()) {
  return new Promise((resolve) => {
    const ws = new WebSocket(wsUrl, { origin, ...options });
    let opened = false;
    ws.on('open', () => { opened = true; whenOpen(ws); });
    ws.on('error', () => {});
    ws.on('unexpected-response', () => resolve('refused'));
    ws.on('close', () => resolve(opened ? 'closed' : 'refused'));
  });
}

function halfOpen(text) {
  const socket = net.connect(Number(url.port), url.hostname, () => socket.write(text));
  socket.on('error', () => {});
  return socket;
}

const silent = [
  halfOpen('GET /index.html HTT'),
  halfOpen(`GET /ws HTTP/1.1\r\nHost: ${url.host}\r\nUpgrade: websock`),
];
try {
  if ((await connect({ origin: 'http://elsewhere.example' })) !== 'refused')
    throw new Error('a WebSocket from a foreign origin was accepted');

  const huge = 'x'.repeat(10 * 1024 * 1024);
  if ((await connect({}, (ws) => ws.send(huge))) !== 'closed')
    throw new Error('the 10 MB frame did not end its connection');

  const flood = JSON.stringify({ t: 'list' });
  if ((await connect({}, (ws) => { for (let i = 0; i < 5000; i++) ws.send(flood); })) !== 'closed')
    throw new Error('the flood did not end its connection');

  // The console still serves: the page, and an edit from a client that behaves.
  const page = await fetch(`${origin}/index.html`);
  if (page.status !== 200) throw new Error(`the page answered ${page.status}`);
  const before = dump().mixer.monitorMute[3][0];
  let edited = null;
  const good = new WebSocket(wsUrl, { origin });
  good.on('error', (e) => { throw e; });
  await new Promise((r) => good.on('open', r));
  good.send(JSON.stringify({ t: 'set', dev: device, k: 'mm', a: 3, b: 0, v: !before }));
  await until('the edit reaches the device', () => (edited = dump().mixer.monitorMute[3][0]) !== before)
    .catch((e) => { throw new Error(`${e.message}: mute of input 4 stays ${edited}`); });
  if (good.readyState !== WebSocket.OPEN) throw new Error('the well-behaved client was dropped');
  good.close();
} catch (e) {
  console.error(e.message);
  process.exitCode = 1;
} finally {
  for (const s of silent) s.destroy();
}
