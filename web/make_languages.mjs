// Writes the site's languages: for each language but English (which the WebAssembly
// carries) one file, lang/<tag>.<hash>.bin, holding its project image and words (the
// layout below, which web/page.js reads), named by a hash of its
// contents so that a new build's file never meets an old one in a cache; and the page,
// index.html, whose choice of language lists every language in its own words (the
// "language name <tag>" messages of the template) and names each file.
//   node make_languages.mjs INDEX POT SITEDIR [TAG IMAGE WORDS]...
import crypto from 'node:crypto';
import fs from 'node:fs';
import path from 'node:path';

export const LANGUAGE_DIR = 'lang';
const PLACEHOLDER = '<!--@LANGUAGES@-->';

// The msgid of each "language name <tag>" message of a catalogue, by tag.
export function languageNames(catalogue) {
  const names = new Map();
  const entry = /^msgctxt "language name ([^"]+)"\nmsgid "((?:[^"\\]|\\.)*)"$/gm;
  for (const [, tag, name] of catalogue.matchAll(entry)) names.set(tag, JSON.parse(`"${name}"`));
  return names;
}

function u32(n) {
  const b = Buffer.alloc(4);
  b.writeUInt32LE(n);
  return b;
}

// Little-endian: "MVLF", u32 version (1), u8 tag length, the tag, u32 image length,
// the image, u32 words length, the words.
export function languageFile(tag, image, words) {
  const name = Buffer.from(tag, 'utf8');
  if (name.length > 255) throw new Error(`make_languages: tag ${tag} is too long`);
  return Buffer.concat([Buffer.from('MVLF'), u32(1), Buffer.from([name.length]), name, u32(image.length), image,
    u32(words.length), words]);
}

const escape = (text) => text.replace(/&/g, '&amp;').replace(/</g, '&lt;').replace(/"/g, '&quot;');

export function makeLanguages(indexTemplate, pot, siteDir, languages) {
  const names = languageNames(fs.readFileSync(pot, 'utf8'));
  const dir = path.join(siteDir, LANGUAGE_DIR);
  fs.mkdirSync(dir, { recursive: true });
  const written = new Set();
  const options = [];
  const tags = ['en', ...languages.map((l) => l.tag).filter((t) => t !== 'en')];
  for (const tag of tags) {
    if (!/^[A-Za-z]{2,3}(_[A-Za-z0-9]+)?$/.test(tag)) throw new Error(`make_languages: ${tag} is not a catalogue's tag`);
    const name = names.get(tag);
    if (!name) throw new Error(`make_languages: ${pot} has no "language name ${tag}" message`);
    let file = '';
    if (tag !== 'en') {
      const { image, words } = languages.find((l) => l.tag === tag);
      const bytes = languageFile(tag, fs.readFileSync(image), fs.readFileSync(words));
      const hash = crypto.createHash('sha256').update(bytes).digest('hex').slice(0, 12);
      file = `${LANGUAGE_DIR}/${tag}.${hash}.bin`;
      fs.writeFileSync(path.join(siteDir, file), bytes);
      written.add(path.basename(file));
    }
    const bcp47 = tag.replace('_', '-');
    options.push(`<option value="${tag}" lang="${bcp47}"${file ? ` data-file="${file}"` : ''}>${escape(name)}</option>`);
  }
  // Files of languages an earlier build wrote and this one does not.
  for (const old of fs.readdirSync(dir)) if (!written.has(old)) fs.rmSync(path.join(dir, old));
  const page = fs.readFileSync(indexTemplate, 'utf8');
  if (!page.includes(PLACEHOLDER)) throw new Error(`make_languages: ${indexTemplate} lacks ${PLACEHOLDER}`);
  fs.writeFileSync(path.join(siteDir, 'index.html'), page.replace(PLACEHOLDER, options.join('')));
}

if (process.argv[1] && path.resolve(process.argv[1]) === path.resolve(new URL(import.meta.url).pathname)) {
  const [indexTemplate, pot, siteDir, ...rest] = process.argv.slice(2);
  try {
    if (!siteDir || rest.length % 3 !== 0) throw new Error('usage: make_languages.mjs INDEX POT SITEDIR [TAG IMAGE WORDS]...');
    const languages = [];
    for (let i = 0; i < rest.length; i += 3) languages.push({ tag: rest[i], image: rest[i + 1], words: rest[i + 2] });
    makeLanguages(indexTemplate, pot, siteDir, languages);
  } catch (e) {
    console.error(e.message);
    process.exit(1);
  }
}
