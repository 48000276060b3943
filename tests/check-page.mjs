// Checks the page PAGE in the browser ENGINE (tests/browsers.mjs) beside the
// native program NATIVE, and writes pictures of it into PICTURES, light and
// dark, at desktop and phone width:
//   node check-page.mjs ENGINE PAGE NATIVE END-TO-END PICTURES
import { spawnSync } from 'node:child_process';
import { existsSync, mkdtempSync, readdirSync, readFileSync, rmSync, writeFileSync } from 'node:fs';
import { tmpdir } from 'node:os';
import { dirname, join, resolve } from 'node:path';
import { convertAll, launch, missing } from './browsers.mjs';

const [engine, page, native, endToEnd, pictures] = process.argv.slice(2).map((arg, i) => (i ? resolve(arg) : arg));
const examples = join(dirname(endToEnd), '../examples');
const why = missing(engine);
if (why) {
  console.log(`Skipped: ${why}`);
  process.exit(77);
}
const work = mkdtempSync(join(tmpdir(), 'check-page-'));
process.on('exit', () => rmSync(work, { recursive: true, force: true }));
const faults = [];
const fault = (text) => faults.push(text);
const RAW = Buffer.from('# caf\xe9 \xff\r\nB 1\r2\n\rW 0x102\x00junk 3\r\n# \x00 4\n5 \xc8', 'latin1');
const LINKED = Buffer.from('B 0x4C 0x49\r\n\x00 0x4E\n', 'latin1');
const TYPED = 'B 0x54 # typed, never in the address';

function runNative(data) {  // as in.txt
  const folder = mkdtempSync(join(work, 'native-'));
  writeFileSync(join(folder, 'in.txt'), data);
  const done = spawnSync(native, ['in.txt', 'out.bin'], { cwd: folder });
  const out = join(folder, 'out.bin');
  return { status: done.status, messages: String(done.stdout), reasons: String(done.stderr),
           output: existsSync(out) ? readFileSync(out) : Buffer.alloc(0) };
}

// The end-to-end table's inputs, the examples, a large one and 300 at random.
function inputs() {
  const folder = mkdtempSync(join(work, 'inputs-'));
  spawnSync(endToEnd, ['Posix', 'true'], { env: { ...process.env, INPUTS_TO: folder } });
  const found = new Map();
  for (const where of [folder, examples])
    for (const name of readdirSync(where)) found.set(name, readFileSync(join(where, name)));
  found.set('large', Buffer.from('D b ' + '0x12345678 0777 4294967295 # a comment\n'.repeat(20000)));
  const pieces = ['B', 'W', 'D', 'b', 'l', '0', '7', '010', '08', '0x', '0xFF', '0X1f', '255', '256', '65536',
                  '4294967295', '4294967296', '99999999999', '-1', '+1', 'x', 'BW', '1'.repeat(33), '# c', '#',
                  '\0', '\xc8', '\xff\xfe', ' ', '\t', '\n', '\r', '\r\n', '\v', '\f'];
  let seed = 1;
  const random = (n) => ((seed = (seed * 1103515245 + 12345) % 2147483648) % n);
  for (let i = 0; i < 300; i++) {
    const count = 1 + random(39);
    const text = Array.from({ length: count }, () => pieces[random(pieces.length)] + ['', ' ', '\n'][random(3)]);
    found.set(`random-${i}`, Buffer.from(text.join(''), 'latin1'));
  }
  return found;
}

async function sameAsNative(browser) {
  const given = inputs();
  const results = await convertAll(browser, [...given.values()]);
  [...given].forEach(([name, data], i) => {
    const expected = runNative(data), got = { ...results[i], output: Buffer.from(results[i].output) };
    for (const field of Object.keys(expected))
      if (!(field === 'output' ? got.output.equals(expected.output) : got[field] === expected[field]))
        fault(`${name}: the page's ${field} is ${JSON.stringify(got[field])}, the program's ${JSON.stringify(expected[field])}`);
  });
  return given.size;
}

async function waitFor(browser, what, condition, ...args) {  // for up to 5 s
  for (let tries = 0; tries < 100; tries++) {
    if (await browser.evaluate(condition, ...args)) return true;
    await new Promise((resolve) => setTimeout(resolve, 50));
  }
  fault(`waited in vain for ${what}`);
  return false;
}

const textOf = (id) => document.getElementById(id).textContent;
const dumped = () => document.getElementById('dump').textContent.split('\n')
  .flatMap((line) => /^[0-9A-F]{8}  ((?:[0-9A-F]{2} ?)+)/.exec(line)?.[1].trim().split(' ') ?? [])
  .map((pair) => parseInt(pair, 16));
const showsOutputOf = async (browser, data, what) => {
  const got = Buffer.from(await browser.evaluate(dumped));
  if (!got.equals(runNative(data).output)) fault(`${what} gives ${got.toString('hex')}, the program ${runNative(data).output.toString('hex')}`);
};
const keepsAddress = async (browser, after) => {
  const hash = await browser.evaluate(() => location.hash);
  if (hash) fault(`${after} put ${hash.slice(0, 40)}… in the address`);
};

// A file opened and one dropped are converted byte for byte; neither, nor
// typing, reaches the address.
async function files(browser) {
  writeFileSync(join(work, 'raw.txt'), RAW);
  await browser.setFile('#file', join(work, 'raw.txt'));
  await waitFor(browser, "the opened file's result", (id) => document.getElementById(id).textContent.includes('raw.bin'), 'download');
  await showsOutputOf(browser, RAW, 'a file opened');
  await browser.evaluate((text) => {
    const transfer = new DataTransfer();
    transfer.items.add(new File([Uint8Array.from(atob(text), (c) => c.charCodeAt(0))], 'dropped.txt'));
    document.body.dispatchEvent(new DragEvent('drop', { dataTransfer: transfer, bubbles: true }));
  }, RAW.toString('base64'));
  await waitFor(browser, "the dropped file's result", (id) => document.getElementById(id).textContent.includes('dropped.bin'), 'download');
  await showsOutputOf(browser, RAW, 'a file dropped');
  await browser.evaluate(() => (document.getElementById('text').value = ''));
  await browser.type('#text', TYPED);
  await waitFor(browser, 'the typed text', () => document.getElementById('download').textContent === 'Download out.bin');
  await keepsAddress(browser, 'typing, opening or dropping');
}

// The editor scrolled to a bad token's line, which is marked.
async function enterBadToken(browser) {
  await browser.evaluate((text) => {
    const editor = document.getElementById('text');
    editor.value = text;
    editor.dispatchEvent(new Event('input'));
  }, '1\n'.repeat(59) + '2 x 3');
  await waitFor(browser, "the bad token's message", (id) => document.getElementById(id).textContent.includes('at line 60'), 'messages');
}

// A bad token's line is marked and brought into view, and so is it when the
// message's link to it is followed with the editor scrolled to its top.
async function badToken(browser) {
  await enterBadToken(browser);
  const inView = () => {
    const area = document.getElementById('text').getBoundingClientRect(), mark = document.getElementById('mark');
    const band = mark.getBoundingClientRect();
    return [...document.querySelectorAll('#lines .bad')].map((line) => line.textContent.trim()).join() === '60' &&
           !mark.hidden && band.top >= area.top && band.bottom <= area.bottom;
  };
  if (!(await browser.evaluate(inView))) fault('line 60 is not marked, or not in view');
  await browser.evaluate(() => (document.getElementById('text').scrollTop = 0));
  await browser.clickLink('at line 60');
  const selected = await browser.evaluate(() => {
    const editor = document.getElementById('text');
    return editor.value.slice(editor.selectionStart, editor.selectionEnd);
  });
  if (selected !== '2 x 3' || !(await browser.evaluate(inView)))
    fault(`the message's link selects ${JSON.stringify(selected)}, not line 60, or leaves it out of view`);
}

// A number written otherwise than it reads marks its line, unlike an error;
// a byte-order mark that begins a file shows where it stands.
async function warnings(browser) {
  await browser.evaluate(() => {
    const editor = document.getElementById('text');
    editor.value = 'B 1\nB 300\n';
    editor.dispatchEvent(new Event('input'));
  });
  await waitFor(browser, 'the warning', (id) => document.getElementById(id).textContent.includes('warning'), 'messages');
  const warned = await browser.evaluate(() => [...document.querySelectorAll('#lines .warned')].map((line) => line.textContent));
  if (String(warned) !== '2') fault(`the lines marked for a warning are ${warned}, not 2`);
  await browser.evaluate(() => {
    const transfer = new DataTransfer();
    transfer.items.add(new File(['\uFEFFB 1\n'], 'marked.txt'));
    document.body.dispatchEvent(new DragEvent('drop', { dataTransfer: transfer, bubbles: true }));
  });
  await waitFor(browser, 'the marked file', (id) => document.getElementById(id).textContent.includes('marked.bin'), 'download');
  const first = await browser.evaluate(() => document.querySelector('#lines div:not(:empty)').textContent);
  if (first !== 'BOM 1') fault(`a file that begins with a byte-order mark shows ${first} at its first line`);
}

// A binary's description converts back into it in every layout: each
// example's output, all 256 byte values and nothing. A file opened as text
// shows its description, whose output is its bytes: in Chromium, a file of
// 1 MiB within a second.
async function descriptions(browser) {
  const binaries = [...readdirSync(examples)].map((name) => runNative(readFileSync(join(examples, name))).output);
  binaries.push(Buffer.from(Array.from({ length: 256 }, (_, byte) => byte)), Buffer.alloc(0));
  const back = await browser.evaluate(async (encoded) => {
    const results = [];
    for (const bytes of encoded.map((text) => Uint8Array.from(atob(text), (c) => c.charCodeAt(0))))
      for (const [width, order] of [['B', 'l'], ['W', 'l'], ['W', 'b'], ['D', 'l'], ['D', 'b']]) {
        const text = await window.numpress.describe(bytes, width, order, 'x.bin');
        const result = await window.numpress.convert(new TextEncoder().encode(text));
        results.push(result.status === 0 && !result.reasons && String(result.output) === String(bytes));
      }
    return results;
  }, binaries.map((bytes) => bytes.toString('base64')));
  if (back.includes(false)) fault(`descriptions that do not convert back: ${back.flatMap((ok, i) => (ok ? [] : [i]))}`);
  const large = Buffer.from(Array.from({ length: 1 << 20 }, (_, i) => (i * 7919) % 251));
  writeFileSync(join(work, 'large.bin'), large);
  await browser.evaluate(() => (document.getElementById('layout').value = 'W b'));
  const start = Date.now();
  await browser.setFile('#binary', join(work, 'large.bin'));
  await waitFor(browser, 'the description', (id) => document.getElementById(id).textContent.includes('large.bin'), 'download');
  const [shown, first] = await browser.evaluate(() => [document.getElementById('size').textContent,
                                                          document.getElementById('text').value.split('\n', 2).join('|')]);
  if (engine === 'chromium' && Date.now() - start > 1000) fault(`a 1 MiB file is described in ${Date.now() - start} ms`);
  if (shown !== `${large.length} bytes` || first !== '# large.bin: 1048576 bytes|W b')
    fault(`a binary opened as text shows ${first}, and converts into ${shown}`);
}

// The input in the address, once the button is pressed, gives it back.
async function links(browser) {
  const cases = [['text=', async () => browser.type('#text', '# a link\nW 258 ü & #x=1\n')],
                 ['bytes=', async () => browser.setFile('#file', join(work, 'linked.txt'))]];
  writeFileSync(join(work, 'linked.txt'), LINKED);
  await browser.goto(`file://${page}`);  // a fresh editor, not one of a large file
  for (const [kind, enter] of cases) {
    await browser.evaluate(() => (document.getElementById('text').value = ''));
    await enter();
    await browser.click('#copy-link');
    if (!(await waitFor(browser, `${kind} in the address`, (k) => location.hash.includes(k), kind))) continue;
    const address = await browser.evaluate(() => location.href);
    await browser.goto('about:blank');
    await browser.goto(address);
    await waitFor(browser, 'the restored input', (id) => document.getElementById(id).textContent, 'status');
    if (kind === 'text=' && await browser.evaluate(() => document.getElementById('text').value) !== '# a link\nW 258 ü & #x=1\n')
      fault('a link does not give typed text back');
    if (kind === 'bytes=') await showsOutputOf(browser, LINKED, "a link to a file's bytes");
  }
}

async function offline(browser) {
  const [address, requested, fetched, policy] = await browser.evaluate(async () => [
    location.href, performance.getEntriesByType('resource').map((entry) => entry.name),
    await fetch('https://example.org/').then(() => true, () => false),
    document.querySelector("meta[http-equiv='Content-Security-Policy']").content]);
  if (!address.startsWith('file://') || requested.length || fetched || !policy.includes("default-src 'none'"))
    fault(`from ${address}, the page requested ${requested} or could fetch (${fetched})`);
}

// Pictures with the editor scrolled to a bad token's line.
async function picturesIn(browser, scheme) {
  await enterBadToken(browser);
  for (const [name, width, height] of [['desktop', 1280, 1000], ['phone', 390, 844]]) {
    await browser.resize(width, height);
    const sideways = await browser.evaluate(() => document.documentElement.scrollWidth - document.documentElement.clientWidth);
    if (sideways > 0) fault(`at ${width} pixels wide the page scrolls ${sideways} pixels sideways`);
    await browser.screenshot(join(pictures, `page-${engine}-${name}-${scheme}.png`));
  }
  await browser.resize(1280, 1000);
}

// Chromium keeps every address in the profile's History database: none holds
// what was typed or opened without the button.
function history(profile) {
  const kept = Buffer.concat(readdirSync(join(profile, 'Default')).filter((name) => name.startsWith('History'))
    .map((name) => readFileSync(join(profile, 'Default', name))));
  const base64url = (bytes) => bytes.toString('base64url').slice(0, 24);
  for (const [what, trace] of [['typed text', encodeURIComponent(TYPED)], ["a file's bytes", base64url(RAW)],
                               ['the bad token', encodeURIComponent('2 x 3')]])
    if (kept.includes(trace)) fault(`the browser's history holds ${what}`);
}

let count = 0;
const profile = join(work, 'profile');
const browser = await launch(engine, { profile });
try {
  await browser.goto(`file://${page}`);
  await waitFor(browser, 'the first conversion', (id) => document.getElementById(id).textContent, 'status');
  count = await sameAsNative(browser);
  await files(browser);
  await badToken(browser);
  await warnings(browser);
  await descriptions(browser);
  await picturesIn(browser, 'light');
  await links(browser);
  await offline(browser);
} finally {
  await browser.close();
}
if (engine === 'chromium') history(profile);
const dark = await launch(engine, { profile: join(work, 'dark'), dark: true });
try {
  await dark.goto(`file://${page}`);
  await waitFor(dark, 'the first conversion', (id) => document.getElementById(id).textContent, 'status');
  await picturesIn(dark, 'dark');
} finally {
  await dark.close();
}
console.log(`${engine}: ${count} inputs converted as the program converts them; pictures in ${pictures}`);
console.log(faults.join('\n'));
process.exitCode = faults.length ? 1 : 0;
