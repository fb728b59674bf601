// What a screen reader meets on the page, read from Chromium's own accessibility tree
// through the DevTools protocol while the page is worked with real keys and the mouse:
// the window's objects, the focus moving through them and on to the page's switch, and
// the switch that shows the sentences as a line of text.
import assert from 'node:assert/strict';
import { after, before, describe, test } from 'node:test';

import {
  CLIENT, STATES, accessibleFocus, accessibleNodes, canvasBox, centre, expectState, load, mouseDrag, openPage,
  serveSite, settle, statusText,
} from './harness.mjs';

let server;
before(async () => { server = await serveSite(); });
after(async () => { await server?.close(); });

describe('the accessibility tree', () => {
  let session;
  let page;
  before(async () => {
    session = await openPage({ viewport: CLIENT });
    page = session.page;
    await load(page, server.url);
  });
  after(async () => { await session?.close(); });

  async function focusAfter(key) {
    await page.keyboard.press(key);
    return accessibleFocus(page);
  }
  const ENZYME = { role: 'image', name: 'The free enzyme' };
  const SUBSTRATE = { role: 'button', name: 'The substrate' };
  const RESET = { role: 'button', name: 'Reset' };
  const pick = ({ role, name }) => ({ role, name });

  test('the window\'s shown objects in Tab order, named and described; hidden ones left out', async () => {
    const nodes = await accessibleNodes(page);
    const group = nodes.find((n) => n.role === 'group');
    assert.equal(group.name, 'What Do Enzymes Do?');
    assert.match(group.description, /^Tab moves between the pictures and the Reset button\./);
    const objects = nodes.filter((n) => ['image', 'button'].includes(n.role)).map(pick);
    assert.deepEqual(objects, [ENZYME, SUBSTRATE, RESET]);
    const substrate = nodes.find((n) => n.name === 'The substrate');
    assert.match(substrate.description, /Space or Enter picks it up/);
    assert.equal(substrate.pressed, 'false');
    assert.ok(!nodes.some((n) => ['image', 'button'].includes(n.role) && /complex|product/.test(n.name)),
      'a hidden picture is in the tree');
    assert.deepEqual(pick(await accessibleFocus(page)), ENZYME, 'the start');
  });

  test('Tab names the substrate and Reset, leaves for the switch, and Shift+Tab comes back', async () => {
    assert.deepEqual(pick(await focusAfter('Tab')), SUBSTRATE);
    assert.deepEqual(pick(await focusAfter('Tab')), RESET);
    const toggle = await focusAfter('Tab');
    assert.deepEqual({ role: toggle.role, name: toggle.name, checked: toggle.checked },
      { role: 'switch', name: 'Show descriptions', checked: 'false' });
    assert.deepEqual(pick(await focusAfter('Shift+Tab')), RESET);
    assert.deepEqual(pick(await focusAfter('Shift+Tab')), SUBSTRATE);
    assert.deepEqual(pick(await focusAfter('Shift+Tab')), ENZYME);
    // No trap: past the switch the focus leaves the page's controls.
    for (const k of ['Tab', 'Tab', 'Tab', 'Tab']) await page.keyboard.press(k);
    await settle(page);
    const objects = await page.evaluate(() =>
      !!document.activeElement.closest('#morvane-objects') || document.activeElement.id === 'morvane-describe');
    assert.equal(objects, false, 'Tab past the switch stayed in the page');
  });

  test('after a round with the mouse, Tab names the enzyme, the substrate and Reset again', async () => {
    await load(page, server.url, 'reload');
    await mouseDrag(page, centre('Picture2'), centre('Picture1'));
    await expectState(page, 'Complex');
    await page.mouse.click(...centre('Picture4'));
    await expectState(page, 'Product');
    await page.mouse.click(...centre('Command1'));
    await expectState(page, 'Start');
    assert.deepEqual(pick(await focusAfter('Tab')), ENZYME);
    assert.deepEqual(pick(await focusAfter('Tab')), SUBSTRATE);
    assert.deepEqual(pick(await focusAfter('Tab')), RESET);
  });

  test('the keyboard demonstration, as the tree and the live region tell it', async () => {
    assert.deepEqual(pick(await focusAfter('Shift+Tab')), SUBSTRATE);
    await page.keyboard.press(' ');
    const held = await accessibleFocus(page);
    assert.equal(held.pressed, 'true', 'picked up is not told');
    assert.match(await statusText(page), /^The substrate is picked up, over its own place\./);
    for (const k of ['Shift+ArrowDown', 'Shift+ArrowDown', 'Shift+ArrowDown']) await page.keyboard.press(k);
    await settle(page);
    assert.equal(await statusText(page), 'Over the free enzyme.');
    const complex = await focusAfter(' ');
    assert.deepEqual(pick(complex), RESET, 'the focus did not move on to Reset');
    assert.equal(await statusText(page), 'Put down on the free enzyme. ' + STATES.Complex.said);
    const shown = (await accessibleNodes(page)).filter((n) => ['image', 'button'].includes(n.role)).map(pick);
    assert.deepEqual(shown, [{ role: 'button', name: 'The enzyme-substrate complex' }, RESET]);
    assert.deepEqual(pick(await focusAfter('Shift+Tab')), { role: 'button', name: 'The enzyme-substrate complex' });
    // A screen reader's activation is a click on the element: the complex's action.
    await page.evaluate(() => document.activeElement.click());
    await expectState(page, 'Product');
    assert.deepEqual(pick(await accessibleFocus(page)), RESET);
    await page.keyboard.press('Enter');
    await expectState(page, 'Start');
    assert.deepEqual(session.problems, []);
  });

  test('the switch shows and hides the sentences beside the window, and is kept after a reload', async () => {
    const line = () => page.evaluate(() => {
      const said = document.getElementById('morvane-said');
      return said.hidden ? null : said.textContent;
    });
    const before = await canvasBox(page);
    assert.equal(await line(), null);
    await page.click('#morvane-describe');
    await settle(page);
    assert.equal(await line(), await statusText(page));
    assert.equal((await accessibleNodes(page)).find((n) => n.role === 'switch').checked, 'true');
    // The line takes the bottom of the page: the window moves up to make room, never under it.
    const [box, bar] = await Promise.all([canvasBox(page), page.evaluate(() =>
      document.getElementById('morvane-bar').getBoundingClientRect().top)]);
    assert.ok(box.top + box.height <= bar + 0.5, `the window ${JSON.stringify(box)} runs under the line at ${bar}`);
    assert.notDeepEqual(box, before);
    await load(page, server.url, 'reload');
    assert.equal(await line(), STATES.Start.said, 'not kept after a reload');
    await page.click('#morvane-describe');
    await settle(page);
    assert.equal(await line(), null);
    assert.deepEqual(await canvasBox(page), before);
    await load(page, server.url, 'reload');
    assert.equal(await line(), null, 'switched off, not kept after a reload');
    assert.deepEqual(session.problems, []);
  });
});
