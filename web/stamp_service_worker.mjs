// Writes the site's service worker from its template: the build's version is a hash of
// every file the worker caches (names and contents), so any change to any of them gives
// a new cache name, and a new build replaces the old cache. The language files the
// site holds (SITEDIR/lang/, make_languages.mjs) are listed for the worker apart: it keeps
// those the page fetches rather than all of them.
//   node stamp_service_worker.mjs TEMPLATE SITEDIR FILE...   writes SITEDIR/service-worker.js
import crypto from 'node:crypto';
import fs from 'node:fs';
import path from 'node:path';

import { shipped } from './ship_script.mjs';

export const WORKER_FILE = 'service-worker.js';

export function languageFiles(siteDir) {
  const dir = path.join(siteDir, 'lang');
  if (!fs.existsSync(dir)) return [];
  return fs.readdirSync(dir).filter((name) => name.endsWith('.bin')).sort().map((name) => `lang/${name}`);
}

export function buildVersion(siteDir, files) {
  const hash = crypto.createHash('sha256');
  for (const file of files) {
    hash.update(`${file}\0`);
    hash.update(fs.readFileSync(path.join(siteDir, file)));
    hash.update('\0');
  }
  return hash.digest('hex').slice(0, 16);
}

export function stamp(template, siteDir, files) {
  for (const file of files) {
    if (file === WORKER_FILE || path.isAbsolute(file) || file.split(/[\\/]/).includes('..'))
      throw new Error(`stamp_service_worker: ${file} is not a file of the site for the worker to cache`);
  }
  const text = shipped(fs.readFileSync(template, 'utf8'));
  if (!text.includes('@BUILD_VERSION@') || !text.includes('@SITE_FILES@') || !text.includes('@LANGUAGE_FILES@'))
    throw new Error(`stamp_service_worker: ${template} lacks a placeholder`);
  const version = buildVersion(siteDir, files);
  const out = text.replace('@BUILD_VERSION@', version).replace('@SITE_FILES@', JSON.stringify(files))
    .replace('@LANGUAGE_FILES@', JSON.stringify(languageFiles(siteDir)));
  fs.writeFileSync(path.join(siteDir, WORKER_FILE), out);
  return version;
}

if (process.argv[1] && path.resolve(process.argv[1]) === path.resolve(new URL(import.meta.url).pathname)) {
  const [template, siteDir, ...files] = process.argv.slice(2);
  try {
    if (!template || !siteDir || files.length === 0) throw new Error('usage: stamp_service_worker.mjs TEMPLATE SITEDIR FILE...');
    stamp(template, siteDir, files);
  } catch (e) {
    console.error(e.message);
    process.exit(1);
  }
}
