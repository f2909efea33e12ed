'use strict';
// The console's web remote: a device list, then one device's output pairs as tabs with their
// strips. Every move is sent to the console, which makes it through the window's edit path and
// tells every page what changed. ?dev=NAME&pair=N is the player's view: that pair only.

const $ = (id) => document.getElementById(id);
const params = new URLSearchParams(location.search);
const player = params.has('dev') && params.has('pair');
const minDb = -128, faderFloorDb = -60, maxDb = 6;

let socket = null, device = params.get('dev'), pair = Number(params.get('pair') || 0), mix = null;

// Fader position 0..1: the lowest twentieth is "off", the rest runs -60..+6 dB evenly.
function dbToPos(db) { return db <= faderFloorDb ? Math.max(0, (db - minDb) / (faderFloorDb - minDb)) * 0.05 : 0.05 + 0.95 * (db - faderFloorDb) / (maxDb - faderFloorDb); }
function posToDb(p) { p = Math.min(1, Math.max(0, p)); return p < 0.05 ? (p < 0.01 ? minDb : faderFloorDb) : Math.round((faderFloorDb + (p - 0.05) / 0.95 * (maxDb - faderFloorDb)) * 10) / 10; }
function dbText(db) { return db <= minDb ? '-∞' : (db > 0 ? '+' : '') + db.toFixed(1); }

function send(message) { if (socket && socket.readyState === WebSocket.OPEN) socket.send(JSON.stringify(message)); }
function say(text, bad) { $('message').textContent = text; $('message').hidden = !text; $('message').className = bad ? 'unavailable' : ''; }

// ---- pairing and the connection ----------------------------------------------------------
async function pairAndConnect(code) {
  let token = sessionStorage.getItem('arx-session');
  if (!token || code) {
    const answer = await fetch('/pair' + (code ? '?code=' + encodeURIComponent(code) : ''), { cache: 'no-store' });
    if (answer.status !== 200) {
      $('pairing').hidden = false;
      $('pairError').textContent = answer.status === 401 ? '' : answer.status === 429 ? 'Too many tries: wait a moment.' : 'Wrong code.';
      return;
    }
    token = (await answer.json()).session;
    sessionStorage.setItem('arx-session', token);
  }
  $('pairing').hidden = true;
  connect(token);
}

function connect(token) {
  socket = new WebSocket(`ws://${location.host}/ws?session=${encodeURIComponent(token)}`);
  socket.onopen = () => { say(''); player ? openDevice(device) : send({ t: 'list' }); sendMeterWish(); };
  socket.onmessage = (e) => receive(JSON.parse(e.data));
  socket.onclose = () => {
    say('Connection lost: trying again…', true);
    sessionStorage.removeItem('arx-session');
    setTimeout(() => pairAndConnect(), 2000);
  };
}

function sendMeterWish() { send({ t: 'meters', on: document.visibilityState === 'visible' && !!mix }); }
document.addEventListener('visibilitychange', sendMeterWish);

// ---- what the console says -----------------------------------------------------------------
function receive(m) {
  if (m.t === 'devices') showDevices(m.list);
  else if (m.t === 'mix' && m.dev === device) { mix = m; render(); sendMeterWish(); }
  else if (m.t === 'ch' && m.dev === device && mix) { m.c.forEach(applyChange); showUndo(m); }
  else if (m.t === 'meters' && m.dev === device) showMeters(m);
  else if (m.t === 'unavailable') { say(`${m.dev} is not available (its window is closed).`, true); $('strips').hidden = true; }
  else if (m.t === 'error') console.warn('console:', m.msg);
}

function showDevices(list) {
  $('devices').hidden = false; $('tabs').hidden = true; $('strips').hidden = true; $('back').hidden = true;
  $('title').textContent = 'Devices';
  const ul = $('deviceList'); ul.replaceChildren();
  if (!list.length) say('No device connected.');
  for (const d of list) {
    const b = document.createElement('button');
    b.textContent = `${d.model} — ${d.dev}` + (d.available ? '' : ' (window closed)');
    b.disabled = !d.available;
    b.onclick = () => openDevice(d.dev);
    const li = document.createElement('li'); li.append(b); ul.append(li);
  }
}

function openDevice(name) { device = name; mix = null; send({ t: 'open', dev: name }); }

// ---- strips --------------------------------------------------------------------------------
const controls = new Map(); // "ml:3:0" -> {set(value)}

function render() {
  $('devices').hidden = true; $('strips').hidden = false; $('back').hidden = player;
  $('undo').hidden = $('redo').hidden = player;
  const pairs = Math.floor(mix.outputs.length / 2);
  pair = Math.min(pair, Math.max(0, pairs - 1));
  $('title').textContent = player ? `${device}: ${pairName(pair)}` : device;
  const tabs = $('tabs'); tabs.replaceChildren(); tabs.hidden = player;
  for (let p = 0; p < pairs && !player; p++) {
    const b = document.createElement('button');
    b.textContent = pairName(p); b.setAttribute('role', 'tab'); b.setAttribute('aria-selected', String(p === pair));
    b.onclick = () => { pair = p; render(); };
    tabs.append(b);
  }
  controls.clear();
  const strips = $('strips'); strips.replaceChildren();
  const inputs = group('inputs');
  mix.inputs.forEach((input, i) => {
    const [level, pan, mute, solo] = input.mix[pair];
    inputs.append(strip('in', i, input.name.trim() || `In ${i + 1}`, { level: ['ml', i, 2 * pair, level], pan: ['mp', i, 2 * pair, pan], mute: ['mm', i, 2 * pair, mute], solo: ['ms', i, 2 * pair, solo] }));
  });
  strips.append(inputs);
  if (!player) {
    const playbacks = group('playbacks');
    mix.playbacks.forEach((pb, c) => playbacks.append(strip('pb', c, pb.name.trim() || `Play ${c + 1}`, { level: ['pl', c, 0, pb.level], mute: ['pm', c, 0, pb.mute], solo: ['ps', c, 0, pb.solo] })));
    strips.append(playbacks);
  }
  const outputs = group('outputs');
  for (const c of [2 * pair, 2 * pair + 1]) {
    const o = mix.outputs[c];
    outputs.append(strip('out', c, outName(c), { level: ['ol', c, 0, o.level], mute: ['om', c, 0, o.mute] }));
  }
  strips.append(outputs);
  showUndo(mix);
}

function pairName(p) { return `${outName(2 * p)} / ${outName(2 * p + 1)}`; }
function outName(c) { return mix.outputs[c].name.trim() || `Out ${c + 1}`; }
function group(name) { const g = document.createElement('div'); g.className = 'group ' + name; return g; }
function key(k, a, b) { return k[0] === 'm' ? `${k}:${a}:${b >> 1}` : `${k}:${a}`; }

function strip(kind, channel, name, parts) {
  const s = document.createElement('section');
  s.className = 'strip ' + { in: 'input', pb: 'playback', out: 'output' }[kind];
  s.dataset.kind = kind; s.dataset.ch = channel;
  const label = document.createElement('div'); label.className = 'name'; label.textContent = name; s.append(label);
  if (parts.pan) s.append(panControl(parts.pan));
  const body = document.createElement('div'); body.className = 'body';
  const [slider, readout] = fader(parts.level);
  body.append(slider);
  if (kind !== 'pb') { const m = document.createElement('div'); m.className = 'meter'; m.dataset.meter = kind + channel; m.append(document.createElement('span')); body.append(m); }
  s.append(body, readout);
  s.append(toggle('mute', 'M', parts.mute));
  if (parts.solo) s.append(toggle('solo', 'S', parts.solo));
  return s;
}

function fader([k, a, b, value]) {
  const f = document.createElement('div'); f.className = 'fader'; f.tabIndex = 0;
  f.setAttribute('role', 'slider'); f.setAttribute('aria-valuemin', minDb); f.setAttribute('aria-valuemax', maxDb);
  const cap = document.createElement('div'); cap.className = 'cap'; f.append(cap);
  const readout = document.createElement('div'); readout.className = 'value';
  let db = value, dragging = false, pending = null;
  const show = (v) => { db = v; cap.style.top = `${(1 - dbToPos(v)) * 100}%`; readout.textContent = dbText(v); f.setAttribute('aria-valuenow', v); f.dataset.value = v; };
  const flush = () => { if (pending !== null) { send({ t: 'set', dev: device, k, a, b, v: pending }); pending = null; } };
  const move = (v) => { show(v); pending = v; requestAnimationFrame(flush); };
  const fromPointer = (e) => { const r = f.getBoundingClientRect(); return posToDb(1 - (e.clientY - r.top) / r.height); };
  f.addEventListener('pointerdown', (e) => { dragging = true; f.setPointerCapture(e.pointerId); send({ t: 'begin', dev: device }); move(fromPointer(e)); e.preventDefault(); });
  f.addEventListener('pointermove', (e) => { if (dragging) move(fromPointer(e)); });
  const end = () => { if (dragging) { dragging = false; flush(); send({ t: 'end', dev: device }); } };
  f.addEventListener('pointerup', end); f.addEventListener('pointercancel', end);
  f.addEventListener('keydown', (e) => {
    const step = { ArrowUp: 0.5, ArrowDown: -0.5, PageUp: 6, PageDown: -6 }[e.key];
    if (step === undefined) return;
    e.preventDefault();
    const from = db <= faderFloorDb && step > 0 ? faderFloorDb : db;
    move(Math.min(maxDb, Math.max(minDb, Math.round((from + step) * 10) / 10)));
  });
  show(value);
  controls.set(key(k, a, b), { set: (v) => { if (!dragging) show(v); } });
  return [f, readout];
}

function panControl([k, a, b, value]) {
  const p = document.createElement('input'); p.type = 'range'; p.min = 0; p.max = 1; p.step = 0.01; p.value = value;
  p.className = 'pan'; p.setAttribute('aria-label', 'Pan');
  p.addEventListener('pointerdown', () => send({ t: 'begin', dev: device }));
  p.addEventListener('pointerup', () => send({ t: 'end', dev: device }));
  p.addEventListener('input', () => send({ t: 'set', dev: device, k, a, b, v: Number(p.value) }));
  controls.set(key(k, a, b), { set: (v) => { p.value = v; } });
  return p;
}

function toggle(cls, text, [k, a, b, value]) {
  const t = document.createElement('button'); t.className = 'toggle ' + cls; t.textContent = text;
  t.setAttribute('aria-label', cls === 'mute' ? 'Mute' : 'Solo');
  const show = (on) => t.setAttribute('aria-pressed', String(!!on));
  t.onclick = () => { const on = t.getAttribute('aria-pressed') !== 'true'; show(on); send({ t: 'set', dev: device, k, a, b, v: on }); };
  show(value);
  controls.set(key(k, a, b), { set: show });
  return t;
}

function applyChange([k, a, b, v]) {
  // Keep the model too, so that another tab shows it when chosen.
  if (k[0] === 'm') { const idx = { ml: 0, mp: 1, mm: 2, ms: 3 }[k]; if (mix.inputs[a]) mix.inputs[a].mix[b >> 1][idx] = v; }
  else if (k[0] === 'p' && mix.playbacks[a]) mix.playbacks[a][{ pl: 'level', pm: 'mute', ps: 'solo' }[k]] = v;
  else if (k[0] === 'o' && mix.outputs[a]) mix.outputs[a][{ ol: 'level', om: 'mute' }[k]] = v;
  const c = controls.get(key(k, a, b));
  if (c && (k[0] !== 'm' || (b >> 1) === pair)) c.set(v);
}

function showUndo(m) { $('undo').disabled = !m.undo; $('redo').disabled = !m.redo; }

function showMeters(m) {
  for (const el of document.querySelectorAll('[data-meter]')) {
    const kind = el.dataset.meter.startsWith('out') ? 'out' : 'in';
    const db = m[kind][Number(el.dataset.meter.slice(kind.length))];
    el.firstChild.style.height = `${db === undefined ? 0 : Math.max(0, (db + 60) / 60) * 100}%`;
  }
}

$('undo').onclick = () => send({ t: 'undo', dev: device });
$('redo').onclick = () => send({ t: 'redo', dev: device });
$('back').onclick = () => { mix = null; device = null; sendMeterWish(); send({ t: 'list' }); };
$('pairing').onsubmit = (e) => { e.preventDefault(); pairAndConnect($('code').value.trim()); };
pairAndConnect();
