// Measures what a browser downloads for the demonstration (raw and compressed) and the
// time from the start of navigation to its first complete frame on the canvas, beside
// the same time for a plain page that only draws a canvas of the same size (its anchor),
// served the same way from 127.0.0.1; each load in a fresh browser profile, the two
// pages in turn. Both pages take the time in the animation frame that puts their first
// pixels on the canvas (the demonstration's first frame carries its captions).
// Usage: node bench/first-frame.mjs [runs] [--before [NAME=]DIR]...
//   --before DIR: an earlier build's site folder, measured in the same runs; given more
//   than once, each is measured (named NAME, or before, before2, ...)
import fs from 'node:fs';
import os from 'node:os';
import path from 'node:path';
import zlib from 'node:zlib';

import { load, openPage, serveSite, siteDir } from '../tests/harness.mjs';

const args = process.argv.slice(2);
const befores = [];
for (let at; (at = args.indexOf('--before')) >= 0;) {
  const given = args.splice(at, 2)[1];
  const named = /^([\w-]+)=(.*)$/.exec(given);
  const name = named ? named[1] : befores.length ? `before${befores.length + 1}` : 'before';
  befores.push({ name, dir: path.resolve(named ? named[2] : given) });
}
const runs = Number(args[0] || 10);

const files = fs.readdirSync(siteDir).filter((f) => /\.(html|js|wasm)$/.test(f)).sort();
const total = { raw: 0, gzip: 0, brotli: 0 };
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

// The anchor: a page with a canvas of the same size, drawn in its first animation frame.
const plainDir = fs.mkdtempSync(path.join(os.tmpdir(), 'morvane-plain-page-'));
fs.writeFileSync(path.join(plainDir, 'index.html'), `<!doctype html>
<html lang="en"><head><meta charset="utf-8"><title>canvas</title><link rel="icon" href="data:,">
<style>html, body { margin: 0; background: #000; }</style></head>
<body><canvas id="morvane-canvas" width="663" height="510"></canvas>
<script>
requestAnimationFrame(function() {
  var ctx = document.getElementById('morvane-canvas').getContext('2d', {alpha: false});
  ctx.fillStyle = '#000'; ctx.fillRect(0, 0, 663, 510);
  ctx.fillStyle = '#c0c0c0'; ctx.fillRect(512, 72, 81, 33);
  window.morvaneFirstFrame = performance.now();
});
</script></body></html>
`);

const median = (v) => {
  const s = [...v].sort((a, b) => a - b);
  return s.length % 2 ? s[(s.length - 1) / 2] : (s[s.length / 2 - 1] + s[s.length / 2]) / 2;
};

const loadAtStart = os.loadavg()[0];
const servers = { morvane: await serveSite(), plain: await serveSite(plainDir) };
for (const { name, dir } of befores) {
  if (name in servers) throw new Error(`two pages named ${name}`);
  servers[name] = await serveSite(dir);
  console.log(`${name}: ${dir}`);
}
const names = Object.keys(servers);
const times = Object.fromEntries(names.map((n) => [n, []]));
try {
  for (let i = 0; i < runs; i++) {
    // Each page takes each place in the order in turn.
    const order = [...names.slice(i % names.length), ...names.slice(0, i % names.length)];
    for (const name of order) {
      const session = await openPage();
      try {
        await load(session.page, servers[name].url);
        const t = await session.page.evaluate(() => window.morvaneFirstFrame);
        if (session.problems.length) throw new Error(session.problems.join('\n'));
        times[name].push(t);
      } finally {
        await session.close();
      }
    }
  }
} finally {
  for (const server of Object.values(servers)) await server.close();
  fs.rmSync(plainDir, { recursive: true, force: true });
}
for (const name of names) {
  const v = times[name];
  console.log(`${name.padEnd(10)} first frame after navigation start, ${runs} fresh profiles (ms): ` +
    `median ${median(v).toFixed(0)}  min ${Math.min(...v).toFixed(0)}  max ${Math.max(...v).toFixed(0)}  ` +
    `(${v.map((t) => t.toFixed(0)).join(' ')})`);
}
for (const name of names.filter((n) => n !== 'plain'))
  console.log(`${name}: ratio of the medians to the plain page ${(median(times[name]) / median(times.plain)).toFixed(2)}x`);
console.log(`ratio of the medians: ${(median(times.morvane) / median(times.plain)).toFixed(2)}x; ` +
  `load average ${loadAtStart.toFixed(2)} at the start, ${os.loadavg()[0].toFixed(2)} at the end`);
