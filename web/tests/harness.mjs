// What the browser tests share: a static file server for the built site on 127.0.0.1,
// Chromium through playwright-core with a fresh profile, a record of everything that
// went wrong on the page, and the canvas seen in the window's own client pixels.
import { chromium } from 'playwright-core';
import assert from 'node:assert/strict';
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

const TYPES = {
  '.html': 'text/html; charset=utf-8', '.js': 'text/javascript', '.wasm': 'application/wasm',
  '.webmanifest': 'application/manifest+json', '.png': 'image/png',
};

// Serves a site folder (siteDir unless given; `use` switches to another), keeping every
// request's path in `served` and every request that finds no file in `failures`.
export async function serveSite(dir = siteDir) {
  const failures = [];
  const served = [];
  let root = dir;
  const server = http.createServer((req, res) => {
    const url = new URL(req.url, 'http://127.0.0.1');
    served.push(url.pathname);
    let file = path.normalize(path.join(root, decodeURIComponent(url.pathname)));
    if (!file.startsWith(root)) file = '';
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
  return {
    url, failures, served,
    use(other) { root = other; },
    close: () => new Promise((resolve) => server.close(resolve)),
  };
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
    locale: options.locale,
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

// Loads the page (or loads it again, with how = 'reload'; or only waits, 'wait', for a
// load under way) and waits for the first frame on the canvas.
export async function load(page, url, how = 'goto') {
  if (how === 'reload') await page.reload();
  else if (how !== 'wait') await page.goto(url);
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

// The demonstration's three states as the canvas and the live region show them.
export const BLACK = [0, 0, 0];
export const WHITE = [255, 255, 255];
export const FACE = [192, 192, 192]; // button face: the picture boxes' background

// Places that tell the pictures apart.
// Picture2's client area is 205 wide: its own (white) background shows right of the picture.
const SUBSTRATE = [RECTS.Picture2[0] + BORDER + PICTURE, RECTS.Picture2[1] + 40];
// Right of Picture2's box, in the grey band right of Picture3's picture.
const PRODUCT = [RECTS.Picture2[0] + RECTS.Picture2[2] + 4, RECTS.Picture3[1] + 60];
// The grey band below Picture1's picture, left of Picture4's box.
const ENZYME = [RECTS.Picture1[0] + BORDER + 4, RECTS.Picture1[1] + BORDER + PICTURE + 5];
// The grey band below Picture4's picture (and Picture1's, where that shows).
const COMPLEX = [RECTS.Picture4[0] + BORDER + 4, RECTS.Picture4[1] + BORDER + PICTURE + 5];
// Bare form, away from every control.
const BARE = [[20, 480], [640, 300], [100, 20], [600, 20]];
// The first dot of the button's focus rectangle.
export const BUTTON_FOCUS = [RECTS.Command1[0] + FOCUS_INSET, RECTS.Command1[1] + FOCUS_INSET];

export const STATES = {
  Start: { said: 'The free enzyme, with its substrate above it.', substrate: WHITE, product: BLACK, enzyme: FACE, complex: FACE },
  Complex: {
    said: "The enzyme-substrate complex: the substrate sits in the enzyme's notch.",
    substrate: BLACK, product: BLACK, enzyme: BLACK, complex: FACE,
  },
  Product: { said: 'The free enzyme again, with the product above it.', substrate: FACE, product: FACE, enzyme: FACE, complex: FACE },
};

// `said`: what the live region must say instead of the state's own sentence.
export async function expectState(page, name, said = STATES[name].said) {
  await settle(page);
  const want = STATES[name];
  const px = await pixels(page);
  const seen = {
    substrate: px.at(...SUBSTRATE), product: px.at(...PRODUCT), enzyme: px.at(...ENZYME), complex: px.at(...COMPLEX),
  };
  assert.deepEqual(seen, { substrate: want.substrate, product: want.product, enzyme: want.enzyme, complex: want.complex },
    `the canvas does not show the ${name} state`);
  for (const p of BARE) assert.deepEqual(px.at(...p), BLACK, `bare form at ${p}`);
  assert.equal(await statusText(page), said);
  return px;
}


// Chromium's own accessibility tree, through the DevTools protocol: the nodes that a
// screen reader meets (not ignored), each as { role, name, description, focused, pressed, checked }.
export async function accessibleNodes(page) {
  const cdp = await page.context().newCDPSession(page);
  try {
    await cdp.send('Accessibility.enable');
    const { nodes } = await cdp.send('Accessibility.getFullAXTree');
    return nodes.filter((n) => !n.ignored).map((n) => {
      const props = Object.fromEntries((n.properties || []).map((p) => [p.name, p.value.value]));
      return {
        role: n.role?.value, name: n.name?.value ?? '', description: n.description?.value ?? '',
        focused: !!props.focused, pressed: props.pressed, checked: props.checked,
      };
    });
  } finally {
    await cdp.detach();
  }
}

// The node that has the focus in Chromium's accessibility tree (not the page itself).
export async function accessibleFocus(page) {
  await settle(page);
  const focused = (await accessibleNodes(page)).filter((n) => n.focused && n.role !== 'RootWebArea');
  assert.equal(focused.length, 1, `focused nodes: ${JSON.stringify(focused)}`);
  return focused[0];
}

// A language's words as its catalogue gives them, by context ("en": the template's own
// English), with the template's English for any it leaves empty.
const poDir = path.resolve(here, '../../po');
function readCatalogue(file) {
  const words = new Map();
  let entry = {};
  let field = null;
  const finish = () => {
    if (entry.msgctxt !== undefined) words.set(entry.msgctxt, { msgid: entry.msgid ?? '', msgstr: entry.msgstr ?? '' });
    entry = {};
  };
  for (const line of fs.readFileSync(file, 'utf8').split('\n')) {
    const start = /^(msgctxt|msgid|msgstr) (".*")$/.exec(line);
    if (start) {
      if (start[1] === 'msgctxt' || (start[1] === 'msgid' && entry.msgstr !== undefined)) finish();
      field = start[1];
      entry[field] = JSON.parse(start[2]);
    } else if (/^".*"$/.test(line) && field) {
      entry[field] += JSON.parse(line);
    } else if (!line.trim()) {
      field = null;
    }
  }
  finish();
  return words;
}
export function wordsOf(tag) {
  const template = readCatalogue(path.join(poDir, 'morvane.pot'));
  const own = tag === 'en' ? new Map() : readCatalogue(path.join(poDir, `${tag}.po`));
  return (key) => {
    const text = own.get(key)?.msgstr || template.get(key)?.msgid;
    if (!text) throw new Error(`no words for "${key}"`);
    return text;
  };
}

// The languages the built page offers, as its picker lists them: [{ tag, name, file }].
export function siteLanguages(dir = siteDir) {
  const page = fs.readFileSync(path.join(dir, 'index.html'), 'utf8');
  return [...page.matchAll(/<option value="([^"]+)" lang="[^"]+"(?: data-file="([^"]+)")?>([^<]*)<\/option>/g)]
    .map(([, tag, file, name]) => ({ tag, name, file: file || null }));
}

// The three states' sentences in a language.
export function statesIn(words) {
  return {
    Start: { ...STATES.Start, said: words('shows Picture1 Picture2') },
    Complex: { ...STATES.Complex, said: words('shows Picture4') },
    Product: { ...STATES.Product, said: words('shows Picture1 Picture3') },
  };
}
