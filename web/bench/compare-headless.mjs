// Compares the canvas in Chromium at scale 1 with the headless platform's framebuffer
// after the same input (the script of morvane-headless --png DIR): counts the pixels
// that differ, in each control's rectangle and elsewhere, and writes the canvas of
// each step as a PNG beside the headless ones (DIR/browser-stepN-State.png).
// Usage: node bench/compare-headless.mjs DIR   (needs ImageMagick's convert)
import { execFileSync } from 'node:child_process';
import fs from 'node:fs';
import path from 'node:path';

import { CLIENT, RECTS, load, openPage, pixels, serveSite, settle } from '../tests/harness.mjs';

const dir = process.argv[2];
if (!dir) throw new Error('usage: compare-headless.mjs DIR (the folder of morvane-headless --png DIR)');
const pngs = fs.readdirSync(dir).filter((f) => /^step\d+-\w+\.png$/.test(f)).sort();
if (pngs.length < 3) throw new Error(`no step PNGs of morvane-headless in ${dir}`);

function headlessRgb(file) {
  const raw = execFileSync('convert', [file, '-depth', '8', 'rgb:-'], { maxBuffer: 1 << 24 });
  if (raw.length !== CLIENT.width * CLIENT.height * 3) throw new Error(`${file}: not ${CLIENT.width} x ${CLIENT.height}`);
  return raw;
}

// The script of morvane-headless: drag in 4 steps, click the complex, click Reset.
const steps = [
  async () => {},
  async (page) => {
    await page.mouse.move(290, 150);
    await page.mouse.down();
    for (let i = 1; i <= 4; i++) await page.mouse.move(290 + (40 * i) / 4, 150 + (230 * i) / 4);
    await page.mouse.up();
  },
  async (page) => page.mouse.click(340, 380),
  async (page) => page.mouse.click(552, 88),
];

const server = await serveSite();
const session = await openPage({ viewport: CLIENT, hasTouch: false });
try {
  await load(session.page, server.url);
  for (let n = 0; n < Math.min(steps.length, pngs.length); n++) {
    await steps[n](session.page);
    await settle(session.page);
    const canvas = await pixels(session.page);
    const headless = headlessRgb(path.join(dir, pngs[n]));
    const regions = Object.fromEntries(Object.keys(RECTS).map((k) => [k, 0]));
    let elsewhere = 0;
    let total = 0;
    let largest = 0;
    for (let y = 0; y < CLIENT.height; y++) {
      for (let x = 0; x < CLIENT.width; x++) {
        const c = canvas.at(x, y);
        const i = (y * CLIENT.width + x) * 3;
        const d = Math.max(Math.abs(c[0] - headless[i]), Math.abs(c[1] - headless[i + 1]), Math.abs(c[2] - headless[i + 2]));
        if (!d) continue;
        total++;
        largest = Math.max(largest, d);
        const inside = Object.entries(RECTS).find(([, [rx, ry, rw, rh]]) => x >= rx && y >= ry && x < rx + rw && y < ry + rh);
        if (inside) regions[inside[0]]++;
        else elsewhere++;
      }
    }
    const shown = Object.entries(regions).filter(([, v]) => v).map(([k, v]) => `${k} ${v}`).join(', ');
    console.log(`${pngs[n]}: ${total} pixels differ (largest channel difference ${largest})` +
      `${shown ? `: ${shown}` : ''}${elsewhere ? `, elsewhere ${elsewhere}` : ''}`);
    await session.page.locator('#morvane-canvas').screenshot({ path: path.join(dir, `browser-${pngs[n]}`) });
  }
  if (session.problems.length) throw new Error(session.problems.join('\n'));
} finally {
  await session.close();
  await server.close();
}
