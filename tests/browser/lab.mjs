// What the browser-side tests share: the settings the end-to-end test passes, the lab's dump of
// the device, and waiting for a condition.
import { execFileSync } from 'node:child_process';

export const env = (name) => { const v = process.env[name]; if (!v) throw new Error(`${name} is not set`); return v; };

export const dump = () =>
  JSON.parse(execFileSync(env('ARX_DEVSIM'), ['dump', '--dir', env('ARX_DEVICE_DIR'), env('ARX_DEVICE')], { encoding: 'utf8' }));

export async function until(what, condition, timeoutMs = 10000) {
  const end = Date.now() + timeoutMs;
  for (;;) {
    if (await condition()) return;
    if (Date.now() > end) throw new Error(`timed out: ${what}`);
    await new Promise((r) => setTimeout(r, 50));
  }
}
