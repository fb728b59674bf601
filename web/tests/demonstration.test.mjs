// The demonstration in Chromium, driven with real mouse, touch and keyboard input:
// every step is checked on the canvas's pixels at places derived from the window's
// rectangles, and on what the live region says.
import assert from 'node:assert/strict';
import fs from 'node:fs';
import os from 'node:os';
import path from 'node:path';
import { after, before, describe, test } from 'node:test';

import {
  BLACK, BUTTON_FOCUS, CLIENT, FACE, RECTS, STATES, WHITE, canvasBox, centre, expectState, load, mouseDrag, openPage,
  pixels, serveSite, settle, siteDir, siteLanguages, statesIn, statusText, toPage, touchDrag, touchTap, wordsOf,
} from './harness.mjs';

async function buttonFocused(page) {
  await settle(page);
  const c = (await pixels(page)).at(...BUTTON_FOCUS);
  if (c.every((v, i) => v === BLACK[i])) return true;
  assert.deepEqual(c, FACE, 'the focus rectangle\'s place is neither dotted nor face');
  return false;
}

function expectNoProblems(session, server) {
  assert.deepEqual([...session.problems, ...server.failures], []);
}

let server;
before(async () => { server = await serveSite(); });
after(async () => { await server?.close(); });

describe('at scale 1 with mouse, touch and keyboard', () => {
  let session;
  let page;
  before(async () => {
    session = await openPage({ viewport: CLIENT, hasTouch: true });
    page = session.page;
    await load(page, server.url);
  });
  after(async () => { await session?.close(); });

  test('shows the start with its title, caption and button, at its own size', async () => {
    assert.equal(await page.title(), 'What Do Enzymes Do?');
    const box = await canvasBox(page);
    assert.deepEqual(box, { left: 0, top: 0, width: CLIENT.width, height: CLIENT.height });
    const px = await expectState(page, 'Start');
    // The label: black band with white-ish text; the button: face with dark caption.
    const label = RECTS.Label1;
    assert.ok(px.count(label, ([r, g, b]) => r > 200 && g > 200 && b > 200) > 40, 'the label has no text');
    assert.equal(px.count(label, ([r, g, b]) => !(r === g && g === b)), 0, 'the label is not grey-scale');
    const [bx, by, bw, bh] = RECTS.Command1;
    const inner = [bx + 4, by + 4, bw - 8, bh - 8];
    assert.deepEqual(px.at(bx + 8, by + 8), FACE);
    assert.ok(px.count(inner, ([r]) => r < 80) > 20, 'the button has no caption');
    expectNoProblems(session, server);
  });

  test('the page\'s head looked up the faces of the first frame\'s captions, in the context that draws them', async () => {
    const s = await openPage();
    try {
      await s.page.addInitScript(() => {
        window.fontsSet = [];
        const font = Object.getOwnPropertyDescriptor(OffscreenCanvasRenderingContext2D.prototype, 'font');
        Object.defineProperty(OffscreenCanvasRenderingContext2D.prototype, 'font', {
          get() { return font.get.call(this); },
          set(css) {
            if (typeof window.morvaneFirstFrame !== 'number') window.fontsSet.push([css, this === window.morvaneTextContext]);
            font.set.call(this, css);
          },
        });
      });
      await load(s.page, server.url);
      const set = await s.page.evaluate(() => window.fontsSet);
      assert.ok(set.length > 1, `fonts set before the first frame: ${JSON.stringify(set)}`);
      // Style, weight and size aside, one family list, all in the head's context.
      const families = [...new Set(set.map(([css, own]) => `${own} ${css.replace(/^.*?\d+px /, '')}`))];
      assert.deepEqual(families, [`true ${set[0][0].replace(/^.*?\d+px /, '')}`]);
      expectNoProblems(s, server);
    } finally {
      await s.close();
    }
  });

  test('mouse: an outline follows the substrate, and a drop on the bare form changes nothing', async () => {
    const from = centre('Picture2');
    const to = [from[0] - 190, from[1]];
    const edge = [RECTS.Picture2[0] - 190, from[1]]; // the outline's left edge over the bare form
    await page.mouse.move(...from);
    await page.mouse.down();
    await page.mouse.move(...to, { steps: 6 });
    await settle(page);
    assert.deepEqual((await pixels(page)).at(...edge), WHITE, 'no outline where the substrate is dragged');
    await page.mouse.up();
    await expectState(page, 'Start');
    assert.deepEqual((await pixels(page)).at(...edge), BLACK, 'the outline stayed after the drop');
    expectNoProblems(session, server);
  });

  test('mouse: Escape during a drag cancels it', async () => {
    await page.mouse.move(...centre('Picture2'));
    await page.mouse.down();
    await page.mouse.move(...centre('Picture1'), { steps: 6 });
    await page.keyboard.press('Escape');
    await page.mouse.up();
    await expectState(page, 'Start');
    expectNoProblems(session, server);
  });

  test('mouse: the substrate dropped on the enzyme gives the complex, a click on it the product', async () => {
    await mouseDrag(page, centre('Picture2'), centre('Picture1'));
    await expectState(page, 'Complex');
    await page.mouse.click(...centre('Picture4'));
    await expectState(page, 'Product');
    expectNoProblems(session, server);
  });

  test('mouse: Reset restores the start and takes the focus', async () => {
    await page.mouse.click(...centre('Command1'));
    await expectState(page, 'Start');
    assert.equal(await buttonFocused(page), true);
    expectNoProblems(session, server);
  });

  test('touch: a finger drags the substrate onto the enzyme and taps the complex', async () => {
    await touchDrag(page, centre('Picture2'), centre('Picture1'));
    await expectState(page, 'Complex');
    await touchTap(page, centre('Picture4'));
    await expectState(page, 'Product');
    expectNoProblems(session, server);
  });

  test('keyboard: Tab and Shift+Tab move the focus, Enter and Space press Reset', async () => {
    // Bring the page's focus to the button's element, whatever holds it now.
    const onReset = () => page.evaluate(() => document.activeElement.getAttribute('aria-label') === 'Reset');
    let presses = 0;
    while (!(await onReset() && await buttonFocused(page))) {
      assert.ok(++presses <= 6, 'Tab never reaches the button');
      await page.keyboard.press('Tab');
    }
    await page.keyboard.press('Tab');
    assert.equal(await buttonFocused(page), false, 'Tab left the focus on the button');
    await page.keyboard.press('Shift+Tab');
    assert.equal(await buttonFocused(page), true, 'Shift+Tab did not come back to the button');
    await page.keyboard.press('Enter');
    await expectState(page, 'Start');
    await mouseDrag(page, centre('Picture2'), centre('Picture1'));
    await expectState(page, 'Complex');
    assert.equal(await buttonFocused(page), true, 'the drag took the focus from the button');
    await page.keyboard.down(' ');
    await expectState(page, 'Complex'); // held: pressed, not yet clicked
    await page.keyboard.up(' ');
    await expectState(page, 'Start');
    expectNoProblems(session, server);
  });

  test('scaled to fill 1920 x 1080: twice the size, crisp, and the pointer still lands', async () => {
    await page.setViewportSize({ width: 1920, height: 1080 });
    await page.waitForFunction(() => document.getElementById('morvane-canvas').getBoundingClientRect().width === 1326);
    const box = await canvasBox(page);
    assert.deepEqual(box, { left: (1920 - 1326) / 2, top: (1080 - 1020) / 2, width: 1326, height: 1020 });
    assert.equal(await page.evaluate(() => document.getElementById('morvane-canvas').classList.contains('crisp')), true);
    await mouseDrag(page, toPage(box, centre('Picture2')), toPage(box, centre('Picture1')));
    await expectState(page, 'Complex');
    await page.mouse.click(...toPage(box, centre('Picture4')));
    await expectState(page, 'Product');
    await page.mouse.click(...toPage(box, centre('Command1')));
    await expectState(page, 'Start');
    expectNoProblems(session, server);
  });
});

describe('with the keyboard alone', () => {
  let session;
  let page;
  const RING = 3; // the focus ring lies 1 to 3 pixels outside a focused picture box
  const ringOn = (px, name) => {
    const [x, y, , h] = RECTS[name];
    const mid = y + Math.floor(h / 2);
    return [x - RING, x - RING + 1].every((c) => px.at(c, mid).every((v) => v === 255)) &&
      px.at(x - 1, mid).every((v) => v === 0);
  };
  const picked = 'The substrate is picked up, over its own place. ' +
    'Move it with the arrow keys, put it down with Space or Enter, or cancel with Escape.';
  // The outline's left edge over the bare strip between the substrate's and the enzyme's
  // boxes: picked up with the keys, it lies 4 pixels inside the box's rectangle.
  const OVER_GAP = [RECTS.Picture2[0] + 4, RECTS.Picture1[1] - 3];
  async function press(...keys) {
    for (const k of keys) await page.keyboard.press(k);
    await settle(page);
  }
  before(async () => {
    session = await openPage({ viewport: CLIENT });
    page = session.page;
    await load(page, server.url);
  });
  after(async () => { await session?.close(); });

  test('the window\'s objects have a name, a keyboard instruction, and the enzyme has the focus', async () => {
    const objects = page.locator('#morvane-objects');
    assert.equal(await objects.getAttribute('aria-label'), 'What Do Enzymes Do?');
    const [keys, pointer] = (await objects.getAttribute('aria-describedby')).split(' ');
    assert.match(await page.textContent('#' + pointer), /^Drag the substrate onto the enzyme/);
    const help = await page.textContent('#' + keys);
    for (const words of ['Tab', 'Space or Enter picks it up', 'arrow keys', 'Escape']) assert.ok(help.includes(words), words);
    assert.equal(await page.evaluate(() => document.activeElement.getAttribute('aria-label')), 'The free enzyme');
  });

  test('Tab to the substrate, pick it up, move it onto the enzyme, put it down: the complex', async () => {
    assert.ok(!ringOn(await expectState(page, 'Start'), 'Picture1'), 'a focus ring before any key was pressed');
    await press('Tab');
    assert.ok(ringOn(await expectState(page, 'Start'), 'Picture2'), 'no focus ring around the substrate');
    await press(' ');
    assert.equal(await statusText(page), picked);
    await press('Shift+ArrowDown', 'Shift+ArrowDown');
    assert.equal(await statusText(page), picked, 'still over its own place');
    await press('Shift+ArrowDown');
    assert.equal(await statusText(page), 'Over the free enzyme.');
    assert.deepEqual((await pixels(page)).at(...OVER_GAP), WHITE, 'no outline over the enzyme');
    await press(' ');
    await expectState(page, 'Complex', 'Put down on the free enzyme. ' + STATES.Complex.said);
    assert.equal(await buttonFocused(page), true, 'the focus did not move on to Reset');
    expectNoProblems(session, server);
  });

  test('Shift+Tab to the complex and Space: the product; Enter on Reset: the start', async () => {
    await press('Shift+Tab');
    assert.ok(ringOn(await pixels(page), 'Picture4'), 'no focus ring around the complex');
    await press(' ');
    await expectState(page, 'Product');
    assert.equal(await buttonFocused(page), true);
    await press('Enter');
    await expectState(page, 'Start');
    expectNoProblems(session, server);
  });

  test('cancelled drags and drops on the wrong place change nothing', async () => {
    await press('Shift+Tab');
    const before = (await pixels(page)).raw;
    assert.ok(ringOn(await pixels(page), 'Picture2'));
    const cases = [
      { keys: ['Shift+ArrowDown', 'Shift+ArrowDown', 'Shift+ArrowDown', 'Escape'], said: 'The drag is cancelled. ' },
      { keys: ['Shift+ArrowRight', 'Shift+ArrowRight', 'Shift+ArrowRight', ' '], said: 'Put down on the empty background. ' },
      { keys: [...Array(6).fill('Shift+ArrowRight'), 'Shift+ArrowUp', 'Shift+ArrowUp', 'Enter'], said: 'Put down on the Reset button. ' },
      { keys: ['Shift+ArrowDown', 'Tab', 'Shift+Tab', 'a', 'Escape'], said: 'The drag is cancelled. ' },
    ];
    for (const c of cases) {
      await press(' ', ...c.keys);
      await expectState(page, 'Start', c.said + STATES.Start.said);
      assert.ok((await pixels(page)).raw.equals(before), `the window changed after ${c.keys.join(' ')}`);
    }
    // The page losing the keyboard cancels too.
    await press(' ', 'Shift+ArrowDown');
    await page.evaluate(() => window.dispatchEvent(new FocusEvent('blur')));
    await expectState(page, 'Start', 'The drag is cancelled. ' + STATES.Start.said);
    assert.ok((await pixels(page)).raw.equals(before), 'the window changed after the page lost the keyboard');
    // A click elsewhere cancels too, and hides the focus ring.
    await press(' ', 'Shift+ArrowDown', 'Shift+ArrowDown', 'Shift+ArrowDown');
    await page.mouse.click(600, 420);
    const px = await expectState(page, 'Start', 'The drag is cancelled. ' + STATES.Start.said);
    assert.deepEqual(px.at(...OVER_GAP), BLACK, 'the outline stayed');
    assert.ok(!ringOn(px, 'Picture2'), 'the focus ring stayed after a click');
    expectNoProblems(session, server);
  });
});

describe('on a phone (390 x 844 at 3 device pixels per pixel) with touch', () => {
  let session;
  let page;
  before(async () => {
    session = await openPage({ viewport: { width: 390, height: 844 }, deviceScaleFactor: 3, hasTouch: true });
    page = session.page;
    await load(page, server.url);
  });
  after(async () => { await session?.close(); });

  test('the whole window fits the width, aspect kept, centred and smoothed', async () => {
    const box = await canvasBox(page);
    assert.ok(Math.abs(box.width - 390) <= 1 && box.left >= 0 && box.left + box.width <= 390, JSON.stringify(box));
    assert.ok(Math.abs(box.width / box.height - CLIENT.width / CLIENT.height) < 0.01, JSON.stringify(box));
    assert.ok(Math.abs(box.top - (844 - box.height) / 2) <= 1, JSON.stringify(box));
    assert.equal(await page.evaluate(() => document.getElementById('morvane-canvas').classList.contains('crisp')), false);
    await expectState(page, 'Start');
    expectNoProblems(session, server);
  });

  test('a finger drags, taps the complex and taps Reset', async () => {
    const box = await canvasBox(page);
    await touchDrag(page, toPage(box, centre('Picture2')), toPage(box, centre('Picture1')));
    await expectState(page, 'Complex');
    await touchTap(page, toPage(box, centre('Picture4')));
    await expectState(page, 'Product');
    await touchTap(page, toPage(box, centre('Command1')));
    await expectState(page, 'Start');
    expectNoProblems(session, server);
  });
});

// Every language the page carries, chosen by the address, by the browser's own
// language and with the page's picker. Screenshots go to MORVANE_SHOTS (/tmp/shots-web).
const SHOTS = process.env.MORVANE_SHOTS || '/tmp/shots-web';
const RIGHT_TO_LEFT = new Set(['ar']);
const pageLanguage = (page) => page.evaluate(() => ({
  lang: document.documentElement.lang, dir: document.documentElement.dir, title: document.title,
  picked: document.getElementById('morvane-language').value,
  picker: document.getElementById('morvane-language').getAttribute('aria-label'),
  group: document.getElementById('morvane-objects').getAttribute('aria-label'),
  instruction: document.getElementById('morvane-instruction').textContent,
  switch: document.getElementById('morvane-describe').textContent,
}));
function expectLanguage(seen, tag) {
  const words = wordsOf(tag);
  assert.deepEqual(seen, {
    lang: tag.replace('_', '-'), dir: RIGHT_TO_LEFT.has(tag) ? 'rtl' : 'ltr', title: words('page title'), picked: tag,
    picker: words('page language'), group: words('page canvas name'), instruction: words('page canvas instruction'),
    switch: words('page switch'),
  }, `the page is not set in ${tag}`);
}

describe('in each language, chosen by the address', () => {
  fs.mkdirSync(SHOTS, { recursive: true });
  for (const { tag, file } of siteLanguages()) {
    test(`?lang=${tag}: its words on the page and the whole demonstration by mouse and keys`, async () => {
      const words = wordsOf(tag);
      const states = statesIn(words);
      const session = await openPage({ viewport: CLIENT });
      const page = session.page;
      try {
        await load(page, `${server.url}?lang=${tag}`);
        expectLanguage(await pageLanguage(page), tag);
        assert.equal(server.served.includes(`/${file}`), file !== null, 'the language file fetched or not as it should');
        await page.screenshot({ path: `${SHOTS}/${tag}-start.png` });
        const px = await expectState(page, 'Start', states.Start.said);
        assert.ok(px.count(RECTS.Label1, ([r, g, b]) => r > 200 && g > 200 && b > 200) > 40, 'the label has no text');
        // The keys: Tab to the substrate, carry it onto the enzyme, then Enter on Reset.
        for (const key of ['Tab', ' ', 'Shift+ArrowDown', 'Shift+ArrowDown', 'Shift+ArrowDown']) await page.keyboard.press(key);
        await settle(page);
        assert.equal(await statusText(page), words('Picture2 over Picture1'));
        await page.screenshot({ path: `${SHOTS}/${tag}-keyboard-drag.png` });
        await page.keyboard.press(' ');
        await expectState(page, 'Complex', `${words('Picture2 put down on Picture1')} ${states.Complex.said}`);
        await page.screenshot({ path: `${SHOTS}/${tag}-complex.png` });
        await page.keyboard.press('Enter');
        await expectState(page, 'Start', states.Start.said);
        // The mouse: drag, the complex clicked, Reset.
        await mouseDrag(page, centre('Picture2'), centre('Picture1'));
        await expectState(page, 'Complex', states.Complex.said);
        await page.mouse.click(...centre('Picture4'));
        await expectState(page, 'Product', states.Product.said);
        await page.screenshot({ path: `${SHOTS}/${tag}-product.png` });
        await page.mouse.click(...centre('Command1'));
        await expectState(page, 'Start', states.Start.said);
        expectNoProblems(session, server);
      } finally {
        await session.close();
      }
    });
  }
});

describe('a language file whose project image is damaged', () => {
  test('is refused as the page starts, naming the offset in the image', async () => {
    const { tag, file } = siteLanguages().find((l) => l.file);
    const dir = fs.mkdtempSync(path.join(os.tmpdir(), 'morvane-damaged-'));
    fs.cpSync(siteDir, dir, { recursive: true });
    const bytes = fs.readFileSync(path.join(dir, file));
    bytes[9 + bytes[8] + 4] ^= 0xFF;  // the image's first byte (web/make_languages.mjs lays the file out)
    fs.writeFileSync(path.join(dir, file), bytes);
    const damaged = await serveSite(dir);
    const session = await openPage({ viewport: CLIENT });
    try {
      await session.page.goto(`${damaged.url}?lang=${tag}`);
      const message = await session.page.waitForSelector('.morvane-message', { timeout: 20000 });
      assert.match(await message.textContent(), /^cannot start: the project image, offset 0x0: expected /);
      assert.equal(await session.page.evaluate(() => typeof window.morvaneFirstFrame), 'undefined', 'a frame was shown');
    } finally {
      await session.close();
      await damaged.close();
      fs.rmSync(dir, { recursive: true, force: true });
    }
  });
});

describe('in the browser\'s own language', () => {
  const carried = new Set(siteLanguages().map((l) => l.tag));
  const cases = [['es-MX', 'es'], ['pt-PT', 'pt_BR'], ['zh-TW', 'zh_CN'], ['fr-CA', 'fr'], ['ar-EG', 'ar'], ['it-IT', 'en']];
  for (const [locale, want] of cases) {
    test(`${locale} gives ${want}`, async () => {
      const tag = carried.has(want) ? want : 'en';
      const session = await openPage({ locale });
      try {
        await load(session.page, server.url);
        expectLanguage(await pageLanguage(session.page), tag);
        await expectState(session.page, 'Start', statesIn(wordsOf(tag)).Start.said);
        expectNoProblems(session, server);
      } finally {
        await session.close();
      }
    });
  }
});

describe('the picker of languages, by keyboard', () => {
  test('after the switch, each language in its own words; a choice loads the page in it and is kept', async () => {
    const languages = siteLanguages();
    assert.ok(languages.length >= 3, 'the page carries fewer than three languages');
    const session = await openPage({ viewport: CLIENT });
    const page = session.page;
    try {
      await load(page, server.url);
      const offered = await page.$$eval('#morvane-language option', (os) => os.map((o) => [o.value, o.textContent]));
      assert.deepEqual(offered, languages.map((l) => [l.tag, wordsOf(l.tag)(`language name ${l.tag}`)]));
      const focused = () => page.evaluate(() => document.activeElement?.id);
      let presses = 0;
      while ((await focused()) !== 'morvane-language') {
        assert.ok(++presses <= 8, 'Tab never reaches the picker');
        await page.keyboard.press('Tab');
      }
      assert.equal(presses, 4, 'the picker is not next after the objects and the switch');  // substrate, Reset, switch, picker
      // The arrow keys step over a language without loading it; Enter takes the step.
      const next = languages[2].tag;
      await page.keyboard.press('ArrowDown');
      await page.keyboard.press('ArrowDown');
      assert.equal(await page.evaluate(() => document.documentElement.lang), 'en', 'a step loaded the page');
      await Promise.all([page.waitForNavigation(), page.keyboard.press('Enter')]);
      await load(page, null, 'wait');
      expectLanguage(await pageLanguage(page), next);
      assert.equal(await focused(), 'morvane-language', 'the focus is not back on the picker');
      await load(page, server.url);
      expectLanguage(await pageLanguage(page), next);
      // A step is taken too when the focus leaves the picker.
      await page.focus('#morvane-language');
      await page.keyboard.press('Home');
      await Promise.all([page.waitForNavigation(), page.keyboard.press('Tab')]);
      await load(page, null, 'wait');
      expectLanguage(await pageLanguage(page), 'en');
      expectNoProblems(session, server);
    } finally {
      await session.close();
    }
  });
});
