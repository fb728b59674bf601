// What the browser tests share: a static file server for the built site on 127.0.0.1,
// Chromium through playwright-core with a fresh profile, a record of everything that
// went wrong on the page, and the canvas seen in the window's own client pixels.
import { chromium } from 'playwright-core';
import fs from 'node:fs';
import http from 'node:http';
import os from 'node:os';
import path from 'node:path';
import { fileURLToPath } from 'node:url';

const here = path.dirname(fileURLToPath(import.meta.url));
export const siteDir = process.env.MORVANE_SITE_DIR || path.resolve(here, '../../build/web/site');
export const chromiumPath = process.env.MORVANE_CHROMIUM || '/usr/bin/chromium';

export const CLIENT = { width: 663, height: 510 };
// The controls' rectangles in client pixels: left, top, width, height.
export const RECTS = {
  Picture1: [200, 272, 273, 233],
  Picture2: [192, 64, 209, 201],
  Picture3: [176, 48, 241, 217],
  Picture4: [216, 272, 257, 233],
  Command1: [512, 72, 81, 33],
  Label1: [192, 0, 281, 33],
};
export const BORDER = 2;      // a picture box's sunken border, each side
export const PICTURE = 203;   // each picture is 203 x 203 pixels
export const FOCUS_INSET = 3; // the button's dotted focus rectangle

export function centre(name) {
  const [x, y, w, h] = RECTS[name];
  return [x + Math.floor(w / 2), y + Math.floor(h / 2)];
}

const TYPES = { '.html': 'text/html; charset=utf-8', '.js': 'text/javascript', '.wasm': 'application/wasm' };

// Serves siteDir (or another folder); every request that finds no file is also kept as a failure.
export async function serveSite(dir = siteDir) {
  const failures = [];
  const server = http.createServer((req, res) => {
    const url = new URL(req.url, 'http://127.0.0.1');
    let file = path.normalize(path.join(dir, decodeURIComponent(url.pathname)));
    if (!file.startsWith(dir)) file = '';
    else if (url.pathname.endsWith('/')) file = path.join(file, 'index.html');
    fs.readFile(file, (err, data) => {
      if (err) {
        failures.push(`${req.method} ${req.url}: 404`);
        res.writeHead(404);
        res.end();
        return;
      }
      res.writeHead(200, { 'Content-Type': TYPES[path.extname(file)] || 'application/octet-stream', 'Cache-Control': 'no-store' });
      res.end(data);
    });
  });
  await new Promise((resolve) => server.listen(0, '127.0.0.1', resolve));
  const url = `http://127.0.0.1:${server.address().port}/`;
  return { url, failures, close: () => new Promise((resolve) => server.close(resolve)) };
}

export const CHROMIUM_ARGS = ['--headless', '--no-sandbox', '--disable-gpu', '--disable-quic', '--no-first-run',
  '--disable-background-networking', '--disable-component-update', '--disable-sync'];

// A fresh browser profile with one page; `problems` collects page errors, console
// errors and failed requests as they happen.
export async function openPage(options = {}) {
  const profile = fs.mkdtempSync(path.join(os.tmpdir(), 'morvane-chromium-'));
  const context = await chromium.launchPersistentContext(profile, {
    executablePath: chromiumPath,
    headless: true,
    args: CHROMIUM_ARGS,
    viewport: options.viewport || CLIENT,
    deviceScaleFactor: options.deviceScaleFactor || 1,
    hasTouch: options.hasTouch ?? true,
  });
  const page = context.pages()[0] || (await context.newPage());
  const problems = [];
  page.on('pageerror', (e) => problems.push(`page error: ${e.message}`));
  page.on('console', (m) => { if (m.type() === 'error') problems.push(`console error: ${m.text()}`); });
  page.on('requestfailed', (r) => problems.push(`request failed: ${r.url()} ${r.failure()?.errorText}`));
  page.on('response', (r) => { if (r.status() >= 400) problems.push(`HTTP ${r.status()}: ${r.url()}`); });
  const close = async () => {
    await context.close();
    fs.rmSync(profile, { recursive: true, force: true });
  };
  return { context, page, problems, close };
}

// Loads the page and waits for the first frame on the canvas.
export async function load(page, url) {
  await page.goto(url);
  await page.waitForFunction(() => typeof window.morvaneFirstFrame === 'number', null, { timeout: 20000 });
  await settle(page);
}

// Waits until what the last input repainted is on the canvas: the demonstration puts
// its frame in the next animation frame, before the second one from now.
export async function settle(page) {
  await page.evaluate(() => new Promise((resolve) => requestAnimationFrame(() => requestAnimationFrame(resolve))));
}

// The canvas's pixels, as [r, g, b] by client position.
export async function pixels(page) {
  const encoded = await page.evaluate(() => {
    const canvas = document.getElementById('morvane-canvas');
    const bytes = canvas.getContext('2d').getImageData(0, 0, canvas.width, canvas.height).data;
    let text = '';
    for (let i = 0; i < bytes.length; i += 0x8000) text += String.fromCharCode.apply(null, bytes.subarray(i, i + 0x8000));
    return btoa(text);
  });
  const data = Buffer.from(encoded, 'base64');
  if (data.length !== CLIENT.width * CLIENT.height * 4) throw new Error(`the canvas holds ${data.length} bytes`);
  return {
    at(x, y) {
      const i = (y * CLIENT.width + x) * 4;
      return [data[i], data[i + 1], data[i + 2]];
    },
    // Pixels of a rectangle for which test([r, g, b]) holds.
    count(rect, test) {
      const [x0, y0, w, h] = rect;
      let n = 0;
      for (let y = y0; y < y0 + h; y++) for (let x = x0; x < x0 + w; x++) if (test(this.at(x, y))) n++;
      return n;
    },
    raw: data,
  };
}

// The canvas's box on the page and the page position of client pixel (x, y)'s centre.
export async function canvasBox(page) {
  return page.evaluate(() => {
    const r = document.getElementById('morvane-canvas').getBoundingClientRect();
    return { left: r.left, top: r.top, width: r.width, height: r.height };
  });
}
export function toPage(box, [x, y]) {
  return [box.left + ((x + 0.5) * box.width) / CLIENT.width, box.top + ((y + 0.5) * box.height) / CLIENT.height];
}

export async function statusText(page) {
  return (await page.textContent('#morvane-status')).trim();
}

// Touch through the browser's input pipeline, as a finger makes it.
export async function touchDrag(page, from, to, steps = 8) {
  const cdp = await page.context().newCDPSession(page);
  const point = ([x, y]) => [{ x, y, id: 1, radiusX: 4, radiusY: 4, force: 1 }];
  await cdp.send('Input.dispatchTouchEvent', { type: 'touchStart', touchPoints: point(from) });
  for (let i = 1; i <= steps; i++) {
    const p = [from[0] + ((to[0] - from[0]) * i) / steps, from[1] + ((to[1] - from[1]) * i) / steps];
    await cdp.send('Input.dispatchTouchEvent', { type: 'touchMove', touchPoints: point(p) });
  }
  await cdp.send('Input.dispatchTouchEvent', { type: 'touchEnd', touchPoints: [] });
  await cdp.detach();
}
export async function touchTap(page, at) {
  await touchDrag(page, at, at, 0);
}

export async function mouseDrag(page, from, to, steps = 8) {
  await page.mouse.move(from[0], from[1]);
  await page.mouse.down();
  await page.mouse.move(to[0], to[1], { steps });
  await page.mouse.up();
}
