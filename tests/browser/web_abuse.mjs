// Abuse of the web remote's server by raw sockets and the `ws` client, against a running console
// and its lab (tests/e2e/test_web_remote_security.cpp runs it with ARX_WEB_URL, ARX_DEVSIM,
// ARX_DEVICE_DIR and ARX_DEVICE): two half-open connections stay silent throughout; a WebSocket
// from a foreign origin is refused; a 10 MB frame and a flood of frames each end their own
// connection; and meanwhile the page is served and a well-behaved client's edit reaches the
// device. Exit code 0 when every step held.
import WebSocket from 'ws';
import net from 'node:net';
import { dump, env, until } from './lab.mjs';

const url = new URL(env('ARX_WEB_URL')), device = env('ARX_DEVICE');
const origin = url.origin, wsUrl = `ws://${url.host}/ws`;

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
