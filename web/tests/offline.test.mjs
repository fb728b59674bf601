// The page without a network: loaded once, it is kept by its service worker, and with
// the browser offline a reload shows the window and the demonstration works. A later
// build replaces the kept one; a later build that cannot be fetched whole does not. A
// language once opened is kept too, and a later build brings its own file of it.
import assert from 'node:assert/strict';
import crypto from 'node:crypto';
import fs from 'node:fs';
import os from 'node:os';
import path from 'node:path';
import { after, before, describe, test } from 'node:test';
import { fileURLToPath } from 'node:url';

import {
  centre, expectState, load, mouseDrag, openPage, serveSite, siteDir, siteLanguages, statesIn, wordsOf,
} from './harness.mjs';
import { WORKER_FILE, buildVersion, stamp } from '../stamp_service_worker.mjs';

const template = path.resolve(path.dirname(fileURLToPath(import.meta.url)), '../service_worker.js');

// The files the built worker caches, as its build wrote them.
function cachedFiles(dir) {
  const text = fs.readFileSync(path.join(dir, WORKER_FILE), 'utf8');
  const list = text.match(/var FILES = (\[[^\]]*\]);/);
  assert.ok(list, 'the service worker names no files');
  return JSON.parse(list[1]);
}

// A copy of the built site as another build: its script marks the page, and its
// worker is stamped again from the changed files.
function secondBuild(root) {
  const dir = fs.mkdtempSync(path.join(root, 'second-'));
  fs.cpSync(siteDir, dir, { recursive: true });
  fs.appendFileSync(path.join(dir, 'page.js'), '\nwindow.morvaneSecondBuild = true;\n');
  return { dir, version: stamp(template, dir, cachedFiles(dir)) };
}

// The caches the page's origin holds.
const cacheNames = (page) => page.evaluate(() => caches.keys());

// Runs a check for new builds now and waits until any build it found is installed
// (it then takes over by itself) or has failed to install.
async function lookForUpdate(page) {
  return page.evaluate(async () => {
    const registration = await navigator.serviceWorker.getRegistration();
    let found = null;
    registration.addEventListener('updatefound', () => { found = registration.installing; });
    await registration.update().catch(() => {});
    await new Promise((resolve) => setTimeout(resolve, 100));
    const worker = found || registration.installing || registration.waiting;
    if (!worker) return 'none';
    return new Promise((resolve) => {
      const check = () => { if (worker.state === 'activated' || worker.state === 'redundant') resolve(worker.state); };
      worker.addEventListener('statechange', check);
      check();
    });
  });
}

async function reloadOffline(session, server) {
  const before = server.served.length;
  await session.context.setOffline(true);
  await load(session.page, session.page.url(), 'reload');
  assert.deepEqual(server.served.slice(before), [], 'the offline page asked the server for files');
}

describe('offline', () => {
  let server;
  let session;
  let page;
  let root;
  const first = { dir: siteDir, version: buildVersion(siteDir, cachedFiles(siteDir)) };
  before(async () => {
    root = fs.mkdtempSync(path.join(os.tmpdir(), 'morvane-builds-'));
    server = await serveSite();
    session = await openPage();
    page = session.page;
    await load(page, server.url);
    await page.waitForFunction(() => navigator.serviceWorker.controller !== null, null, { timeout: 20000 });
  });
  after(async () => {
    await session?.close();
    await server?.close();
    if (root) fs.rmSync(root, { recursive: true, force: true });
  });

  test('loaded once, the page can be installed, reloads offline and the demonstration works', async () => {
    const cdp = await session.context.newCDPSession(page);
    assert.deepEqual((await cdp.send('Page.getAppManifest')).errors, []);
    assert.deepEqual((await cdp.send('Page.getInstallabilityErrors')).installabilityErrors, []);
    await cdp.detach();
    assert.deepEqual(await cacheNames(page), [`morvane-${first.version}`]);
    await reloadOffline(session, server);
    await expectState(page, 'Start');
    await mouseDrag(page, centre('Picture2'), centre('Picture1'));
    await expectState(page, 'Complex');
    await page.mouse.click(...centre('Picture4'));
    await expectState(page, 'Product');
    assert.deepEqual([...session.problems, ...server.failures], []);
  });

  test('a build that cannot be fetched whole, or not as one build, leaves the kept build in place', async () => {
    const missing = secondBuild(root);
    fs.rmSync(path.join(missing.dir, 'morvane.wasm'));
    const mixed = secondBuild(root); // its script changed after its worker was stamped
    fs.appendFileSync(path.join(mixed.dir, 'page.js'), '\n// changed on the server halfway\n');
    for (const broken of [missing, mixed]) {
      await session.context.setOffline(false);
      server.use(broken.dir);
      assert.equal(await lookForUpdate(page), 'redundant');
      assert.deepEqual(await cacheNames(page), [`morvane-${first.version}`]);
      await reloadOffline(session, server);
      await expectState(page, 'Start');
      assert.equal(await page.evaluate(() => window.morvaneSecondBuild), undefined);
    }
    assert.deepEqual(server.failures, ['GET /morvane.wasm: 404']);
    server.failures.length = 0;
  });

  test('a new build served afterwards replaces the kept one', async () => {
    const second = secondBuild(root);
    assert.notEqual(second.version, first.version);
    await session.context.setOffline(false);
    server.use(second.dir);
    // The reload finds the new build; once drawn, the page lets it take over.
    await load(page, page.url(), 'reload');
    const kept = [`morvane-${second.version}`];
    for (let tries = 0; JSON.stringify(await cacheNames(page)) !== JSON.stringify(kept); tries++) {
      assert.ok(tries < 100, `the caches are still ${await cacheNames(page)}`);
      await new Promise((resolve) => setTimeout(resolve, 200));
    }
    await reloadOffline(session, server);
    assert.equal(await page.evaluate(() => window.morvaneSecondBuild), true);
    await expectState(page, 'Start');
    await mouseDrag(page, centre('Picture2'), centre('Picture1'));
    await expectState(page, 'Complex');
    assert.deepEqual([...session.problems, ...server.failures], []);
  });
});

describe('offline, in a language once opened', () => {
  // A language whose title ends in "?", so that a later build can change it in place.
  const language = siteLanguages().find((l) => l.file && wordsOf(l.tag)('page title').endsWith('?'));
  let server;
  let session;
  let root;
  before(async () => {
    root = fs.mkdtempSync(path.join(os.tmpdir(), 'morvane-builds-'));
    server = await serveSite();
    session = await openPage();
  });
  after(async () => {
    await session?.close();
    await server?.close();
    if (root) fs.rmSync(root, { recursive: true, force: true });
  });

  // Whether the page's origin keeps `file` in the cache named `cache` (any cache: null).
  const kept = (file, cache = null) => session.page.evaluate(async ([file, cache]) => {
    for (const name of cache ? [cache] : await caches.keys()) if (await (await caches.open(name)).match(file)) return true;
    return false;
  }, [file, cache]);
  async function until(check, what) {
    for (let tries = 0; !(await check()); tries++) {
      assert.ok(tries < 100, what);
      await new Promise((resolve) => setTimeout(resolve, 200));
    }
  }

  // A copy of the built site as the next build, whose file of the language ends its
  // title in "!" instead; returns its folder, version and new title.
  function nextBuild(words) {
    const dir = fs.mkdtempSync(path.join(root, 'second-'));
    fs.cpSync(siteDir, dir, { recursive: true });
    const title = Buffer.from(words('page title'));
    const changed = Buffer.concat([title.subarray(0, title.length - 1), Buffer.from('!')]);
    const old = fs.readFileSync(path.join(dir, language.file));
    const parts = [];
    for (let at = 0, next; at < old.length; at = next + title.length) {
      next = old.indexOf(title, at);
      if (next < 0) next = old.length;
      parts.push(old.subarray(at, next), next < old.length ? changed : Buffer.alloc(0));
    }
    const bytes = Buffer.concat(parts);
    const file = `lang/${language.tag}.${crypto.createHash('sha256').update(bytes).digest('hex').slice(0, 12)}.bin`;
    fs.rmSync(path.join(dir, language.file));
    fs.writeFileSync(path.join(dir, file), bytes);
    const index = path.join(dir, 'index.html');
    fs.writeFileSync(index, fs.readFileSync(index, 'utf8').replace(language.file, file));
    return { dir, file, version: stamp(template, dir, cachedFiles(dir)), title: changed.toString() };
  }

  test('works offline, also after a new build whose file of the language is another', async () => {
    assert.ok(language, 'the site carries no language to open');
    const words = wordsOf(language.tag);
    const states = statesIn(words);
    const page = session.page;
    await load(page, `${server.url}?lang=${language.tag}`);
    await page.waitForFunction(() => navigator.serviceWorker.controller !== null, null, { timeout: 20000 });
    await until(() => kept(language.file), `${language.file} is not kept`);
    // The page's second fetch of it, through the worker, has come (so no reload cuts it off).
    await until(() => page.evaluate((f) => performance.getEntriesByType('resource').filter((e) => e.name.endsWith(f)).length >= 2,
      language.file), 'the page did not fetch the language file again');
    await reloadOffline(session, server);
    assert.equal(await page.title(), words('page title'));
    await expectState(page, 'Start', states.Start.said);
    await mouseDrag(page, centre('Picture2'), centre('Picture1'));
    await expectState(page, 'Complex', states.Complex.said);

    const next = nextBuild(words);
    assert.notEqual(next.title, words('page title'));
    await session.context.setOffline(false);
    server.use(next.dir);
    await load(page, page.url(), 'reload');
    await until(async () => JSON.stringify(await cacheNames(page)) === JSON.stringify([`morvane-${next.version}`]),
      'the new build did not take over');
    assert.equal(await kept(next.file, `morvane-${next.version}`), true, 'the new build did not fetch its file of the language');
    await reloadOffline(session, server);
    assert.equal(await page.title(), next.title);
    await expectState(page, 'Start', states.Start.said);
    assert.deepEqual([...session.problems, ...server.failures], []);
  });
});
