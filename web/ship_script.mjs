// The page's scripts as the site serves them: without the lines that are only a
// comment, which a browser would download for nothing (they stay in the source), but
// with the browser's own hints (`//# ...`).
//   node ship_script.mjs IN OUT
import fs from 'node:fs';
import path from 'node:path';

export function shipped(text) {
  return text.split('\n').filter((line) => !/^\s*\/\/(?!#)/.test(line)).join('\n');
}

if (process.argv[1] && path.resolve(process.argv[1]) === path.resolve(new URL(import.meta.url).pathname)) {
  const [input, output] = process.argv.slice(2);
  if (!input || !output) {
    console.error('usage: ship_script.mjs IN OUT');
    process.exit(1);
  }
  fs.writeFileSync(output, shipped(fs.readFileSync(input, 'utf8')));
}
