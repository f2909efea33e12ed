// The web remote in a real browser, against a running console and its lab. The end-to-end test
// (tests/e2e/test_web_remote.cpp) starts both and runs this with:
//   ARX_WEB_URL, ARX_DEVSIM, ARX_DEVICE_DIR, ARX_DEVICE, ARX_SIGNALS (a folder), ARX_SHOT (a PNG path)
// Half-way it asks the test to change a mute in the console window (file "window" in
// ARX_SIGNALS) and waits for "window-done". Exit code 0 when every step held.
import puppeteer from 'puppeteer-core';
import { existsSync, writeFileSync } from 'node:fs';
import { join } from 'node:path';
import { dump, env, until } from './lab.mjs';

const url = env('ARX_WEB_URL'), device = env('ARX_DEVICE'), signals = env('ARX_SIGNALS'), shot = env('ARX_SHOT');
const strip = (kind, ch) => `.strip[data-kind="${kind}"][data-ch="${ch}"]`;
const pressed = (page, selector) => page.$eval(selector, (b) => b.getAttribute('aria-pressed') === 'true');

const browser = await puppeteer.launch({
  executablePath: process.env.ARX_CHROMIUM || '/usr/bin/chromium',
  headless: true,
  args: ['--no-sandbox', '--disable-gpu', '--disable-dev-shm-usage'],
});
try {
  const phone = { width: 390, height: 844, deviceScaleFactor: 2, isMobile: true, hasTouch: true };
  const open = async () => {
    const page = await browser.newPage();
    await page.setViewport(phone);
    page.on('pageerror', (e) => { console.error('page error:', e.message); process.exitCode = 1; });
    await page.goto(url);
    await page.waitForSelector('#deviceList button:not([disabled])');
    await page.click('#deviceList button');
    await page.waitForSelector(strip('in', 0));
    return page;
  };
  const second = await open();
  const first = await open();
  await first.bringToFront();
  console.log('two pages show the device');

  // The page's meters follow the lab's signal, which swells on every channel.
  const meter = () => first.$eval('[data-meter="in0"] span', (s) => s.style.height);
  await until('the page shows the signal', async () => !['', '0%'].includes(await meter()));
  const height = await meter();
  await until('the meters move', async () => (await meter()) !== height);
  console.log('the meters move');

  // A fader drag by touch: input 2 to near the top of its travel on the first pair.
  const before = dump().mixer.monitorGain[2][0];
  const fader = await first.$(`${strip('in', 2)} .fader`);
  const box = await fader.boundingBox();
  const x = box.x + box.width / 2;
  await first.touchscreen.touchStart(x, box.y + box.height * 0.9);
  for (let i = 1; i <= 5; i++) await first.touchscreen.touchMove(x, box.y + box.height * (0.9 - i * 0.16));
  await first.touchscreen.touchEnd();
  const shown = Number(await first.$eval(`${strip('in', 2)} .fader`, (f) => f.dataset.value));
  await until('the device takes the fader', () => dump().mixer.monitorGain[2][0] !== before);
  const secondShows = () => second.$eval(`${strip('in', 2)} .fader`, (f) => Number(f.dataset.value));
  await until('the second page follows the fader', async () => (await secondShows()) === shown)
    .catch(async (e) => { throw new Error(`${e.message}: first ${shown}, second ${await secondShows()}, device code ${dump().mixer.monitorGain[2][0]}`); });
  console.log(`fader moved to ${shown} dB: device and second page follow`);

  // A mute by a click of the mouse.
  const mute = `${strip('in', 3)} .mute`;
  const wasMuted = await pressed(first, mute);
  await first.click(mute);
  await until('the device takes the mute', () => dump().mixer.monitorMute[3][0] === (wasMuted ? 0 : 1));
  await until('the second page follows the mute', async () => (await pressed(second, mute)) === !wasMuted);
  console.log('mute reaches the device and the second page');

  // The window's own change shows on the page.
  const windowMute = `${strip('in', 6)} .mute`;
  const windowWas = await pressed(first, windowMute);
  writeFileSync(join(signals, 'window'), '');
  await until('the test changed the window', () => existsSync(join(signals, 'window-done')), 30000);
  await until('the page follows the window', async () => (await pressed(first, windowMute)) === !windowWas);
  console.log('a mute clicked in the window shows on the page');

  // Undo on the page takes the window's click back.
  await first.click('#undo');
  await until('undo from the page', async () => (await pressed(first, windowMute)) === windowWas);
  console.log('undo from the page takes the last step back');

  // The player's view: one pair of one device, nothing else.
  const playerPage = await browser.newPage();
  await playerPage.setViewport(phone);
  await playerPage.goto(`${url}?dev=${encodeURIComponent(device)}&pair=1`);
  await playerPage.waitForSelector(strip('in', 0));
  const view = await playerPage.evaluate(() => ({
    tabs: !document.getElementById('tabs').hidden,
    undo: !document.getElementById('undo').hidden,
    playbacks: document.querySelectorAll('.strip[data-kind="pb"]').length,
    outputs: [...document.querySelectorAll('.strip[data-kind="out"]')].map((s) => Number(s.dataset.ch)),
  }));
  if (view.tabs || view.undo || view.playbacks !== 0 || view.outputs.join() !== '2,3')
    throw new Error(`the player's view shows more than its pair: ${JSON.stringify(view)}`);
  console.log("the player's view shows outputs 3-4 only");

  await first.bringToFront();
  await first.screenshot({ path: shot });
  console.log(`screenshot: ${shot}`);
} catch (e) {
  console.error(e.message);
  process.exitCode = 1;
} finally {
  await browser.close();
}
