// Writes the site's service worker from its template: the build's version is a hash of
// every file the worker caches (names and contents), so any change to any of them gives
// a new cache name, and a new build replaces the old cache.
//   node stamp_service_worker.mjs TEMPLATE SITEDIR FILE...   writes SITEDIR/service-worker.js
import crypto from 'node:crypto';
import fs from 'node:fs';
import path from 'node:path';

export const WORKER_FILE = 'service-worker.js';

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
  const text = fs.readFileSync(template, 'utf8');
  if (!text.includes('@BUILD_VERSION@') || !text.includes('@SITE_FILES@'))
    throw new Error(`stamp_service_worker: ${template} lacks a placeholder`);
  const version = buildVersion(siteDir, files);
  const out = text.replace('@BUILD_VERSION@', version).replace('@SITE_FILES@', JSON.stringify(files));
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
