// Checks the page PAGE in the browser ENGINE (scripts/browsers.mjs) beside the
// native program NATIVE, and writes pictures of it into PICTURES, light and
// dark, at desktop and phone width:
//   node check-page.mjs ENGINE PAGE NATIVE END-TO-END PICTURES
import { spawnSync } from 'node:child_process';
import { existsSync, mkdtempSync, readdirSync, readFileSync, rmSync, statSync, writeFileSync } from 'node:fs';
import { tmpdir } from 'node:os';
import { dirname, join, resolve } from 'node:path';
import { convertAll, launch, missing } from '../scripts/browsers.mjs';

const [engine, page, native, endToEnd, pictures] = process.argv.slice(2).map((arg, i) => (i ? resolve(arg) : arg));
if (missing(engine)) process.exit(console.log(`Skipped: ${missing(engine)}`) ?? 77);
const examples = join(dirname(endToEnd), '../examples'), work = mkdtempSync(join(tmpdir(), 'check-page-'));
process.on('exit', () => rmSync(work, { recursive: true, force: true }));
const faults = [], fault = (text) => faults.push(text);
const RAW = Buffer.from('# caf\xe9 \xff\r\nB 1\r2\n\rW 0x102\x00junk 3\r\n# \x00 4\n5 \xc8', 'latin1');
const LINKED = Buffer.from('B 0x4C 0x49\r\n\x00 0x4E\n', 'latin1'), TYPED = 'B 0x54 # typed, never in the address';
const CHANGED = Buffer.from('B 1 2 3 4 5 6 7\n');
const BAD = '1\n'.repeat(59) + '2 x 3', IN_ADDRESS = '# a link\nW 258 ü & #x=1\n';

function runNative(data) {  // as in.txt
  const folder = mkdtempSync(join(work, 'native-')), out = join(folder, 'out.bin');
  writeFileSync(join(folder, 'in.txt'), data);
  const done = spawnSync(native, ['in.txt', 'out.bin'], { cwd: folder });
  return { status: done.status, messages: String(done.stdout), reasons: String(done.stderr),
           output: existsSync(out) ? readFileSync(out) : Buffer.alloc(0) };
}

// The end-to-end table's inputs, the examples, a large one and 300 of
// random pieces, all converted in the page as the program converts them.
async function sameAsNative(browser) {
  const folder = mkdtempSync(join(work, 'inputs-')), given = new Map();
  spawnSync(endToEnd, ['Posix', 'true'], { env: { ...process.env, INPUTS_TO: folder } });
  for (const where of [folder, examples]) for (const name of readdirSync(where)) given.set(name, readFileSync(join(where, name)));
  given.set('large', Buffer.from('D b ' + '0x12345678 0777 4294967295 # a comment\n'.repeat(20000)));
  const pieces = ['B', 'W', 'D', 'b', 'l', '0', '7', '010', '08', '0x', '0xFF', '0X1f', '255', '256', '65536', '4294967296',
                  '99999999999', '-1', '+1', 'x', 'BW', '1'.repeat(33), '# c', '#', '\0', '\xc8', '\xff\xfe', ' ', '\t', '\n',
                  '\r', '\r\n', '\v', '\f'];
  let seed = 1;
  const random = (n) => ((seed = (seed * 1103515245 + 12345) % 2147483648) % n);
  for (let i = 0; i < 300; i++)
    given.set(`random-${i}`, Buffer.from(Array.from({ length: 1 + random(39) },
                                                    () => pieces[random(pieces.length)] + ['', ' ', '\n'][random(3)]).join(''), 'latin1'));
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
    await new Promise((done) => setTimeout(done, 50));
  }
  return fault(`waited in vain for ${what}`) && false;
}

// Waits until the element ID holds TEXT.
const waitText = (browser, id, text) => waitFor(browser, `${text} in #${id}`,
                                                (id, text) => document.getElementById(id).textContent.includes(text), id, text);

// TEXT in the editor as if typed, or BYTES dropped on the page as the file NAME.
const enter = (browser, text) => browser.evaluate((text) => {
  const editor = document.getElementById('text');
  editor.value = text;
  editor.dispatchEvent(new Event('input'));
}, text);
const drop = (browser, bytes, name) => browser.evaluate((text, name) => {
  const transfer = new DataTransfer();
  transfer.items.add(new File([Uint8Array.from(atob(text), (c) => c.charCodeAt(0))], name));
  document.body.dispatchEvent(new DragEvent('drop', { dataTransfer: transfer, bubbles: true }));
}, bytes.toString('base64'), name);

// Waits for the output of an opened file's text, edited into one byte, to be
// offered under the file's name, NAME, with no note left that the file's bytes are converted.
const editedKeeps = (browser, name) => waitFor(browser, `the edited text's byte offered as ${name}`, (name) =>
  document.getElementById('size').textContent === '1 bytes' && document.getElementById('download').textContent === `Download ${name}` &&
  document.getElementById('source').hidden, name);

async function showsOutputOf(browser, data, what) {
  const got = Buffer.from(await browser.evaluate(() => document.getElementById('dump').textContent.split('\n')
    .flatMap((line) => /^[0-9A-F]{8}  ((?:[0-9A-F]{2} ?)+)/.exec(line)?.[1].trim().split(' ') ?? [])
    .map((pair) => parseInt(pair, 16))));
  if (!got.equals(runNative(data).output)) fault(`${what} gives ${got.toString('hex')}`);
}

// A file opened and one dropped are converted byte for byte, and their text,
// once edited, keeps their name; neither, nor typing, reaches the address.
// An example is named in its list only while it is the input.
async function files(browser) {
  await browser.evaluate(() => {
    const list = document.getElementById('example');
    list.value = 'sine-table.txt';
    list.dispatchEvent(new Event('change'));
  });
  await waitText(browser, 'download', 'sine-table.bin');
  await enter(browser, 'B 1');
  if (await browser.evaluate(() => document.getElementById('example').value)) fault('an example, once edited, is still named');
  writeFileSync(join(work, 'raw.txt'), RAW);
  await browser.setFile('#file', join(work, 'raw.txt'));
  await waitText(browser, 'download', 'raw.bin');
  const listed = await browser.evaluate(() => document.getElementById('example').value);
  if (listed) fault(`with a file opened, the list of examples still names ${listed}`);
  await showsOutputOf(browser, RAW, 'a file opened');
  writeFileSync(join(work, 'raw.txt'), CHANGED);  // and chosen again, once changed
  await browser.setFile('#file', join(work, 'raw.txt'));
  await waitFor(browser, 'the file chosen again', () => document.getElementById('size').textContent === '7 bytes');
  await showsOutputOf(browser, CHANGED, 'a file chosen again, once changed,');
  writeFileSync(join(work, 'raw.txt'), RAW);
  await drop(browser, RAW, 'dropped.txt');
  await waitText(browser, 'download', 'dropped.bin');
  await showsOutputOf(browser, RAW, 'a file dropped');
  await browser.evaluate(() => (document.getElementById('text').value = ''));
  await browser.type('#text', TYPED);
  await editedKeeps(browser, 'dropped.bin');
  const hash = await browser.evaluate(() => location.hash);
  if (hash) fault(`typing, opening or dropping put ${hash.slice(0, 40)}… in the address`);
  // Text dragged onto the editor is the browser's to insert.
  const taken = await browser.evaluate(() => ['dragover', 'drop'].filter((type) => {
    const transfer = new DataTransfer();
    transfer.setData('text/plain', 'B 7');
    return !document.getElementById('text').dispatchEvent(new DragEvent(type, { dataTransfer: transfer, bubbles: true, cancelable: true }));
  }));
  if (taken.length) fault(`the page takes text dragged onto the editor: ${taken}`);
  const fileOver = await browser.evaluate(() => {  // which lets the browser drop it on the page, not open it instead
    const transfer = new DataTransfer();
    transfer.items.add(new File(['B 7'], 'over.txt'));
    return !document.body.dispatchEvent(new DragEvent('dragover', { dataTransfer: transfer, bubbles: true, cancelable: true }));
  });
  if (!fileOver) fault('a file dragged over the page is not taken');
  // A folder, opened as a file or as a binary, loads nothing and says so,
  // the input kept. Firefox's driver chooses no folder: there a read fails
  // as a folder's does.
  const folder = mkdtempSync(join(work, 'folder-'));
  for (const selector of ['#file', '#binary']) {
    await browser.evaluate(() => (document.getElementById('source').textContent = ''));
    if (!(await browser.setFile(selector, folder).then(() => true, () => false))) {
      await browser.evaluate(() => {
        const read = Blob.prototype.arrayBuffer;
        Blob.prototype.arrayBuffer = () => (Blob.prototype.arrayBuffer = read) && Promise.reject(new DOMException('gone', 'NotFoundError'));
      });
      await browser.setFile(selector, join(work, 'raw.txt'));
    }
    await waitText(browser, 'source', 'The browser cannot read ');
    const kept = await browser.evaluate(() => document.getElementById('text').value + '|' + document.getElementById('download').textContent);
    if (kept !== `${TYPED}|Download dropped.bin`) fault(`an unreadable ${selector} leaves ${kept}`);
  }
}

// A bad token's line is marked, level with its number, and in view, also
// once the message's link to it is followed with the editor scrolled to its
// top; a number written otherwise than it reads marks its line, unlike an
// error; a byte-order mark that begins a file shows where it stands.
async function marks(browser) {
  const inView = () => {
    const area = document.getElementById('text').getBoundingClientRect(), mark = document.getElementById('mark');
    const band = mark.getBoundingClientRect(), numbers = [...document.querySelectorAll('#lines .bad')];
    return numbers.map((line) => line.textContent).join() === '60' && !mark.hidden && band.top >= area.top &&
           band.bottom <= area.bottom && Math.abs(numbers[0].getBoundingClientRect().top - band.top) < 1;
  };
  await enter(browser, BAD);
  await waitText(browser, 'messages', 'at line 60');
  if (!(await browser.evaluate(inView))) fault('line 60 is not marked, or not in view');
  await browser.evaluate(() => (document.getElementById('text').scrollTop = 0));
  await browser.clickLink('at line 60');
  const selected = await browser.evaluate(() => {
    const editor = document.getElementById('text');
    return editor.value.slice(editor.selectionStart, editor.selectionEnd);
  });
  if (selected !== '2 x 3' || !(await browser.evaluate(inView)))
    fault(`the message's link selects ${JSON.stringify(selected)}, not line 60, or leaves it out of view`);
  await enter(browser, 'B 1\nB 300\n');
  await waitText(browser, 'messages', 'warning');
  const warned = await browser.evaluate(() => [...document.querySelectorAll('#lines .warned')].map((line) => line.textContent));
  if (String(warned) !== '2') fault(`the lines marked for a warning are ${warned}, not 2`);
  await drop(browser, Buffer.from('\uFEFFB 1\n'), 'marked.txt');
  await waitText(browser, 'download', 'marked.bin');
  const first = await browser.evaluate(() => document.querySelector('#lines div:not(:empty)').textContent);
  if (first !== 'BOM 1') fault(`a file that begins with a byte-order mark shows ${first} at its first line`);
}

// A binary's description converts back into it in every layout: each
// example's output, all 256 byte values and nothing. A file opened as text
// shows its description, whose output is its bytes: in Chromium, a file of
// 1 MiB within a second, of whose text the start is shown, not to be typed into.
async function descriptions(browser) {
  const binaries = readdirSync(examples).map((name) => runNative(readFileSync(join(examples, name))).output);
  binaries.push(Buffer.from(Array.from({ length: 256 }, (_, byte) => byte)), Buffer.alloc(0));
  const back = await browser.evaluate(async (encoded) => {
    const results = [];
    for (const bytes of encoded.map((text) => Uint8Array.from(atob(text), (c) => c.charCodeAt(0))))
      for (const [width, order] of [['B', 'l'], ['W', 'l'], ['W', 'b'], ['D', 'l'], ['D', 'b']]) {
        const result = await numpress.convert(new TextEncoder().encode(await numpress.describe(bytes, width, order)));
        results.push(result.status === 0 && !result.reasons && String(result.output) === String(bytes));
      }
    return results;
  }, binaries.map((bytes) => bytes.toString('base64')));
  if (back.includes(false)) fault(`descriptions that do not convert back: ${back.flatMap((ok, i) => (ok ? [] : [i]))}`);
  const refused = await browser.evaluate(() => Promise.all(
    [numpress.describe(new Uint8Array(3), 'Q'), numpress.describe(new Uint8Array(3), 'W', 'x'), numpress.convert('B 1')]
      .map((call, i) => call.then(() => false, (error) => error instanceof (i < 2 ? RangeError : TypeError)))));
  if (String(refused) !== 'true,true,true') fault(`a layout that is none, or text for bytes, was taken: ${refused}`);
  writeFileSync(join(work, 'large.bin'), Buffer.from(Array.from({ length: 1 << 20 }, (_, i) => (i * 7919) % 251)));
  await browser.evaluate(() => (document.getElementById('layout').value = 'W b'));
  const start = Date.now();
  await browser.setFile('#binary', join(work, 'large.bin'));
  await waitText(browser, 'download', 'large.bin');
  if (engine === 'chromium' && Date.now() - start > 1000) fault(`a 1 MiB file is described in ${Date.now() - start} ms`);
  const shown = await browser.evaluate(() => document.getElementById('size').textContent + '|' +
                                             document.getElementById('text').value.split('\n', 2).join('|'));
  if (shown !== '1048576 bytes|# large.bin: 1048576 bytes|W b') fault(`a binary opened as text shows ${shown}`);
  // Its start, shown alone, cannot be typed into: that would make the start the whole input.
  const length = await browser.evaluate(() => document.getElementById('text').value.length);
  await browser.type('#text', '9');
  const typed = await browser.evaluate(() => `${document.getElementById('text').value.length}|${document.getElementById('size').textContent}`);
  if (typed !== `${length}|1048576 bytes`) fault(`the start of a large text, shown alone, took typing: ${typed}`);
  await browser.click('#copy-link');  // a text of megabytes stays out of the address, and so of the history
  await waitText(browser, 'copy-link', 'Too long for a link');
  if (await browser.evaluate(() => location.hash)) fault('a text too long for a link went into the address');
  const saved = await browser.evaluate(async () => {  // what "Save the text" hands the browser
    const [make, click] = [URL.createObjectURL, HTMLAnchorElement.prototype.click];
    let blob, name;
    URL.createObjectURL = (made) => make((blob = made));
    HTMLAnchorElement.prototype.click = function () { name = this.download; };
    document.getElementById('save-text').click();
    [URL.createObjectURL, HTMLAnchorElement.prototype.click] = [make, click];
    return `${name}|${(await blob.text()).split('\n', 1)}`;
  });
  if (saved !== 'large.txt|# large.bin: 1048576 bytes') fault(`the text is saved as ${saved}`);
  // A text longer than a string may be, which Chromium decodes as none, is
  // refused to a script and kept from the editor, which shows its start.
  const tooLong = await browser.evaluate(async () => {
    const decode = TextDecoder.prototype.decode;
    TextDecoder.prototype.decode = function (bytes) { return bytes?.length > 1e6 ? '' : decode.call(this, bytes); };
    const refused = await numpress.describe(new Uint8Array(1e6)).then(() => false, (error) => error instanceof RangeError);
    document.getElementById('whole').click();
    TextDecoder.prototype.decode = decode;
    return `${refused}|${document.getElementById('text').value.length}|${document.getElementById('source').textContent}`;
  });
  if (!tooLong.startsWith('true|16384|') || !tooLong.endsWith('too long for this browser to show; all of it is converted.'))
    fault(`a text too long for a string is taken: ${tooLong}`);
  await enter(browser, 'B 1');
  await editedKeeps(browser, 'large.bin');
  // A binary whose text the module has no memory for is not loaded, and said not to be.
  await browser.evaluate(() => {
    const instantiate = WebAssembly.instantiate;
    WebAssembly.instantiate = Object.assign(async (...args) =>
      ({ exports: { ...(await instantiate(...args)).exports, page_describe: () => 0 } }), { instantiate });
  });
  await browser.setFile('#binary', join(work, 'raw.txt'));
  await waitText(browser, 'source', `The page has no memory for raw.txt (${RAW.length} bytes) and its text: nothing was loaded.`);
  await browser.evaluate(() => (WebAssembly.instantiate = WebAssembly.instantiate.instantiate));
}

// The input in the address, once the button is pressed, gives it back; a
// damaged one is said to be.
async function links(browser) {
  writeFileSync(join(work, 'linked.txt'), LINKED);
  await browser.goto(`file://${page}`);  // a fresh editor, not one of a large file
  // Each input is in the page once its output is named for it: a file is read after it is chosen.
  for (const [kind, input, output] of [['text=', () => browser.type('#text', IN_ADDRESS), 'out.bin'],
                                       ['bytes=', () => browser.setFile('#file', join(work, 'linked.txt')), 'linked.bin']]) {
    await browser.evaluate(() => (document.getElementById('text').value = ''));
    await input();
    await waitText(browser, 'download', output);
    await browser.click('#copy-link');
    if (!(await waitFor(browser, `${kind} in the address`, (kind) => location.hash.includes(kind), kind))) continue;
    const address = await browser.evaluate(() => location.href);
    await browser.goto('about:blank');
    await browser.goto(address);
    await waitText(browser, 'download', output);  // with the name it was offered under
    if (kind === 'bytes=') await showsOutputOf(browser, LINKED, "a link to a file's bytes");
    else if (await browser.evaluate(() => document.getElementById('text').value) !== IN_ADDRESS)
      fault('a link does not give typed text back');
  }
  await browser.goto(`file://${page}#text=B%207`);  // where the page already is
  await waitFor(browser, 'the input of a link opened where the page is',
                () => document.getElementById('text').value === 'B 7' && document.getElementById('size').textContent === '1 bytes');
  // The button's word on the link it made lasts until the input changes.
  const offers = (offer) => (document.getElementById('copy-link').textContent === 'Copy a link to this input') === offer;
  await browser.click('#copy-link');
  await waitFor(browser, 'the word on the link made', offers, false);
  await enter(browser, 'B 8');
  await waitFor(browser, 'the button offering a link again', offers, true);
  await browser.goto('about:blank');
  await browser.goto(`file://${page}#bytes=QjEgM`);  // cut short: no base64
  if (await waitText(browser, 'source', 'The link is damaged')) await waitText(browser, 'status', 'Exit status 0');
}

// One file of under 100 KB that fetches nothing and can fetch nothing.
async function offline(browser) {
  if (statSync(page).size >= 100000) fault(`the page is ${statSync(page).size} bytes`);
  const [address, requested, fetched, policy] = await browser.evaluate(async () => [
    location.href, performance.getEntriesByType('resource').map((entry) => entry.name),
    await fetch('https://example.org/').then(() => true, () => false),
    document.querySelector("meta[http-equiv='Content-Security-Policy']").content]);
  if (!address.startsWith('file://') || requested.length || fetched || !policy.includes("default-src 'none'"))
    fault(`from ${address}, the page requested ${requested} or could fetch (${fetched})`);
}

// Pictures with the editor scrolled to a bad token's line.
async function picturesIn(browser, scheme) {
  await enter(browser, BAD);
  await waitText(browser, 'messages', 'at line 60');
  for (const [name, width, height] of [['desktop', 1280, 1000], ['phone', 390, 844]]) {
    await browser.resize(width, height);
    const sideways = await browser.evaluate(() => [document.documentElement, document.getElementById('dump')]
      .map((box) => box.scrollWidth - box.clientWidth));
    // (A pixel is the rounding of a zoomed page, where WebKit's phone width is made.)
    if (Math.max(...sideways) > 1) fault(`at ${width} pixels wide the page and its dump scroll sideways by ${sideways}`);
    await browser.screenshot(join(pictures, `page-${engine}-${name}-${scheme}.png`));
  }
  await browser.resize(1280, 1000);
}

// Chromium keeps every address in the profile's History database: none holds
// what was typed or opened without the button.
function history(profile) {
  const kept = Buffer.concat(readdirSync(join(profile, 'Default')).filter((name) => name.startsWith('History'))
    .map((name) => readFileSync(join(profile, 'Default', name))));
  for (const [what, trace] of [['typed text', encodeURIComponent(TYPED)], ['the bad token', encodeURIComponent('2 x 3')],
                               ["a file's bytes", RAW.toString('base64url').slice(0, 24)]])
    if (kept.includes(trace)) fault(`the browser's history holds ${what}`);
}

let count = 0;
for (const dark of [false, true]) {
  const profile = join(work, `profile-${dark}`), browser = await launch(engine, { profile, dark });
  try {
    await browser.goto(`file://${page}`);
    await waitText(browser, 'status', 'Exit status');
    if (!dark) {
      count = await sameAsNative(browser);
      for (const check of [files, marks, descriptions]) await check(browser);
    }
    await picturesIn(browser, dark ? 'dark' : 'light');
    if (!dark) for (const check of [links, offline]) await check(browser);
  } finally {
    await browser.close();
  }
  if (engine === 'chromium' && !dark) history(profile);
}
console.log(`${engine}: ${count} inputs converted as the program converts them; pictures in ${pictures}`);
console.log(faults.join('\n'));
process.exitCode = faults.length ? 1 : 0;
