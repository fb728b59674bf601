// The web app's icons and the desktop menus' (cmake/Icons.cmake), made at build time
// from the program's committed 32 x 32 icon: each size is a whole multiple of 32, every
// icon pixel a square block of pixels, so the drawing stays sharp on a phone's home
// screen, a shelf or a menu.
//   node make_icons.mjs ICON.png OUTDIR SIZE...   writes OUTDIR/icon-SIZE.png
import fs from 'node:fs';
import path from 'node:path';
import zlib from 'node:zlib';

const SIGNATURE = Buffer.from([0x89, 0x50, 0x4e, 0x47, 0x0d, 0x0a, 0x1a, 0x0a]);

function fail(message) {
  throw new Error(`make_icons: ${message}`);
}

// The chunks of a PNG file, in order, as {type, data}.
function chunks(bytes) {
  if (bytes.length < 8 || !bytes.subarray(0, 8).equals(SIGNATURE)) fail('not a PNG file');
  const out = [];
  for (let at = 8; at < bytes.length;) {
    if (at + 12 > bytes.length) fail('a chunk runs past the end of the file');
    const length = bytes.readUInt32BE(at);
    if (at + 12 + length > bytes.length) fail('a chunk runs past the end of the file');
    out.push({ type: bytes.toString('latin1', at + 4, at + 8), data: bytes.subarray(at + 8, at + 8 + length) });
    at += 12 + length;
  }
  return out;
}

function paeth(a, b, c) {
  const p = a + b - c;
  const pa = Math.abs(p - a), pb = Math.abs(p - b), pc = Math.abs(p - c);
  return pa <= pb && pa <= pc ? a : pb <= pc ? b : c;
}

// Decodes an 8-bit RGBA, non-interlaced PNG (the form the icon is committed in).
export function decodeRgba(bytes) {
  const all = chunks(bytes);
  const header = all.find((c) => c.type === 'IHDR');
  if (!header || header.data.length !== 13) fail('no image header');
  const width = header.data.readUInt32BE(0), height = header.data.readUInt32BE(4);
  const [depth, colour, , , interlace] = header.data.subarray(8);
  if (depth !== 8 || colour !== 6 || interlace !== 0) fail('only 8-bit RGBA, non-interlaced images are read');
  if (width < 1 || height < 1 || width > 4096 || height > 4096) fail(`an image of ${width} x ${height}`);
  const packed = zlib.inflateSync(Buffer.concat(all.filter((c) => c.type === 'IDAT').map((c) => c.data)));
  const stride = width * 4;
  if (packed.length !== height * (stride + 1)) fail('the image data has the wrong length');
  const pixels = Buffer.alloc(height * stride);
  for (let y = 0; y < height; y++) {
    const filter = packed[y * (stride + 1)];
    const line = packed.subarray(y * (stride + 1) + 1, (y + 1) * (stride + 1));
    for (let x = 0; x < stride; x++) {
      const a = x >= 4 ? pixels[y * stride + x - 4] : 0;
      const b = y > 0 ? pixels[(y - 1) * stride + x] : 0;
      const c = x >= 4 && y > 0 ? pixels[(y - 1) * stride + x - 4] : 0;
      const predicted = [0, a, b, (a + b) >> 1, paeth(a, b, c)][filter];
      if (predicted === undefined) fail(`unknown line filter ${filter}`);
      pixels[y * stride + x] = (line[x] + predicted) & 0xff;
    }
  }
  return { width, height, pixels };
}

const CRC_TABLE = Array.from({ length: 256 }, (_, n) => {
  let c = n;
  for (let k = 0; k < 8; k++) c = c & 1 ? 0xedb88320 ^ (c >>> 1) : c >>> 1;
  return c >>> 0;
});

function crc32(bytes) {
  let c = 0xffffffff;
  for (const byte of bytes) c = CRC_TABLE[(c ^ byte) & 0xff] ^ (c >>> 8);
  return (c ^ 0xffffffff) >>> 0;
}

function chunk(type, data) {
  const out = Buffer.alloc(12 + data.length);
  out.writeUInt32BE(data.length, 0);
  out.write(type, 4, 'latin1');
  data.copy(out, 8);
  out.writeUInt32BE(crc32(out.subarray(4, 8 + data.length)), 8 + data.length);
  return out;
}

export function encodeRgba({ width, height, pixels }) {
  const header = Buffer.alloc(13);
  header.writeUInt32BE(width, 0);
  header.writeUInt32BE(height, 4);
  header.set([8, 6, 0, 0, 0], 8);
  const stride = width * 4;
  const packed = Buffer.alloc(height * (stride + 1));
  for (let y = 0; y < height; y++) pixels.copy(packed, y * (stride + 1) + 1, y * stride, (y + 1) * stride);
  return Buffer.concat([SIGNATURE, chunk('IHDR', header), chunk('IDAT', zlib.deflateSync(packed, { level: 9 })), chunk('IEND', Buffer.alloc(0))]);
}

// Each source pixel becomes a factor x factor block.
export function enlarge({ width, height, pixels }, factor) {
  const out = Buffer.alloc(width * factor * height * factor * 4);
  for (let y = 0; y < height * factor; y++) {
    for (let x = 0; x < width * factor; x++) {
      const from = (Math.floor(y / factor) * width + Math.floor(x / factor)) * 4;
      pixels.copy(out, (y * width * factor + x) * 4, from, from + 4);
    }
  }
  return { width: width * factor, height: height * factor, pixels: out };
}

function main([source, outDir, ...sizes]) {
  if (!source || !outDir || sizes.length === 0) fail('usage: make_icons.mjs ICON.png OUTDIR SIZE...');
  const icon = decodeRgba(fs.readFileSync(source));
  if (icon.width !== icon.height) fail('the icon is not square');
  fs.mkdirSync(outDir, { recursive: true });
  for (const size of sizes.map(Number)) {
    if (!Number.isInteger(size) || size < icon.width || size % icon.width !== 0)
      fail(`${size} is not a whole multiple of the icon's ${icon.width} pixels`);
    fs.writeFileSync(path.join(outDir, `icon-${size}.png`), encodeRgba(enlarge(icon, size / icon.width)));
  }
}

if (process.argv[1] && path.resolve(process.argv[1]) === path.resolve(new URL(import.meta.url).pathname)) {
  try {
    main(process.argv.slice(2));
  } catch (e) {
    console.error(e.message);
    process.exit(1);
  }
}
