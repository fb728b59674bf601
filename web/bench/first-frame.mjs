// Measures what a browser downloads for the demonstration (raw and compressed) and the
// time from the start of navigation to the first frame on the canvas, over fresh
// browser profiles served from 127.0.0.1. Usage: node bench/first-frame.mjs [runs]
import fs from 'node:fs';
import path from 'node:path';
import zlib from 'node:zlib';

import { load, openPage, serveSite, siteDir } from '../tests/harness.mjs';

const runs = Number(process.argv[2] || 10);

const files = fs.readdirSync(siteDir).filter((f) => /\.(html|js|wasm)$/.test(f)).sort();
let total = { raw: 0, gzip: 0, brotli: 0 };
console.log('file            raw bytes   gzip -9   brotli');
for (const f of files) {
  const data = fs.readFileSync(path.join(siteDir, f));
  const sizes = {
    raw: data.length,
    gzip: zlib.gzipSync(data, { level: 9 }).length,
    brotli: zlib.brotliCompressSync(data).length,
  };
  for (const k of Object.keys(total)) total[k] += sizes[k];
  console.log(`${f.padEnd(14)} ${String(sizes.raw).padStart(10)} ${String(sizes.gzip).padStart(9)} ${String(sizes.brotli).padStart(8)}`);
}
console.log(`${'total'.padEnd(14)} ${String(total.raw).padStart(10)} ${String(total.gzip).padStart(9)} ${String(total.brotli).padStart(8)}`);

const server = await serveSite();
const times = [];
try {
  for (let i = 0; i < runs; i++) {
    const session = await openPage();
    try {
      await load(session.page, server.url);
      const t = await session.page.evaluate(() => window.morvaneFirstFrame);
      if (session.problems.length) throw new Error(session.problems.join('\n'));
      times.push(t);
    } finally {
      await session.close();
    }
  }
} finally {
  await server.close();
}
const sorted = [...times].sort((a, b) => a - b);
const median = sorted.length % 2 ? sorted[(sorted.length - 1) / 2] : (sorted[sorted.length / 2 - 1] + sorted[sorted.length / 2]) / 2;
console.log(`first frame after navigation start, ${runs} fresh profiles (ms): ${times.map((t) => t.toFixed(0)).join(' ')}`);
console.log(`min ${sorted[0].toFixed(0)}  median ${median.toFixed(0)}  max ${sorted[sorted.length - 1].toFixed(0)}`);
