// The page: Numpress's own converter, compiled to WebAssembly, run on the
// input whenever it changes. The input is the text in the editor, or the
// bytes of a file opened or dropped, exactly as they are, until the text is
// edited. Nothing is fetched or sent: the module, the examples and the
// notices are all in this page.
'use strict';

const data = JSON.parse(document.getElementById('data').textContent);
const module = WebAssembly.compile(Uint8Array.from(atob(data.wasm), (c) => c.charCodeAt(0)));
const $ = (id) => document.getElementById(id);
const EDITOR_BYTES = 65536;  // of a file that the editor shows whole; of a larger one,
const PREVIEW_BYTES = 16384; // the beginning shown until the whole is asked for
const LINK_BYTES = 65536;    // of the input kept in the page's address
const LINE_HEIGHT = 20;      // of the editor's and the dump's lines, in pixels, as page.css sets them,
const PADDING = 6;           // and the room above the first
const WORDS = [
  'Converted: the whole input.',
  'Not exactly two file names.',
  'A file could not be opened.',
  'Stopped early: the output holds the values before the stop.',
  'An internal consistency check failed.',
];

class Exit {
  constructor(status) { this.status = status; }
}

// The WASI calls that the module makes: its standard output and error
// are collected, and it may exit; it opens no file.
function system(streams, memory) {
  const calls = {
    fd_write(fd, iovs, count, written) {
      const view = new DataView(memory().buffer);
      let total = 0;
      for (let i = 0; i < count; i++) {
        const at = view.getUint32(iovs + 8 * i, true), length = view.getUint32(iovs + 8 * i + 4, true);
        streams[fd].push(new Uint8Array(memory().buffer.slice(at, at + length)));
        total += length;
      }
      view.setUint32(written, total, true);
      return 0;
    },
    proc_exit(status) { throw new Exit(status); },
    fd_close: () => 0,
    fd_seek: () => 70,         // ESPIPE: the streams are no files
    fd_fdstat_get: () => 8,    // EBADF: nor terminals
  };
  return { wasi_snapshot_preview1: calls };
}

function text(chunks) {
  const bytes = new Uint8Array(chunks.reduce((sum, chunk) => sum + chunk.length, 0));
  chunks.reduce((at, chunk) => (bytes.set(chunk, at), at + chunk.length), 0);
  return new TextDecoder().decode(bytes);
}

// A new instance of the module with BYTES in its input's room and NAMES in
// rooms of their own; what it prints goes to STREAMS. Null where it has no
// memory for the input. Bytes are a Uint8Array: a script's string would be
// taken as numbers, each letter a zero.
async function instantiate(bytes, names, streams) {
  if (!(bytes instanceof Uint8Array)) throw new TypeError('numpress: the bytes are a Uint8Array');
  let instance;
  instance = await WebAssembly.instantiate(await module, system(streams, () => instance.exports.memory));
  const run = instance.exports;
  run._initialize();
  // Each room is made before the memory is looked at, since making it may grow the memory.
  const room = run.page_input(bytes.length);
  if (!room) return null;
  new Uint8Array(run.memory.buffer, room, bytes.length).set(bytes);
  const rooms = names.map((name) => {
    const utf8 = new TextEncoder().encode(name + '\0');
    const at = run.page_name(utf8.length);
    new Uint8Array(run.memory.buffer, at, utf8.length).set(utf8);
    return at;
  });
  return { run, room, rooms };
}

// Runs the tool on BYTES, named INNAME, into a file named OUTNAME: its exit
// status, what it printed on standard output (messages) and standard error
// (reasons), and the output's bytes.
async function convert(bytes, inName = 'in.txt', outName = 'out.bin') {
  const streams = { 1: [], 2: [] }, module = await instantiate(bytes, [inName, outName], streams);
  if (!module) return { status: 2, messages: '', reasons: 'numpress: not enough memory for the input\n',
                        output: new Uint8Array() };
  const { run, rooms } = module;
  let status;
  try {
    status = run.page_run(...rooms);
  } catch (exit) {
    if (!(exit instanceof Exit)) throw exit;
    status = exit.status;
  }
  const at = run.page_output(), size = run.page_output_size();
  return { status, messages: text(streams[1]), reasons: text(streams[2]),
           output: new Uint8Array(run.memory.buffer.slice(at, at + size)) };
}

// The text that converts back into BYTES, the file NAME's, as bytes of
// UTF-8: its values of WIDTH (B, W or D), in ORDER (l or b). A RangeError
// where the module has no memory for the bytes and their text, and for a
// script's other width or order, which the module would take for a width
// it has not.
async function describeBytes(bytes, width = 'B', order = 'l', name = 'data.bin') {
  if (!['B', 'W', 'D'].includes(width) || !['l', 'b'].includes(order))
    throw new RangeError(`numpress.describe: width ${width} and order ${order}, not B, W or D and l or b`);
  const module = await instantiate(bytes, [name], { 1: [], 2: [] });
  const at = module?.run.page_describe(module.room, bytes.length, module.rooms[0], 'BWD'.indexOf(width),
                                       order === 'b' ? 1 : 0);
  if (!at) throw new RangeError(`numpress.describe: no memory for ${bytes.length} bytes and their text`);
  return new Uint8Array(module.run.memory.buffer.slice(at, at + module.run.page_described_size()));
}

async function describe(...choices) {
  return asText(await describeBytes(...choices));
}

// The input: a file's bytes, converted as they are, or else the editor's
// text; and its name, which the output's is made from (in.txt gives in.bin),
// kept while the text is edited, or none for text typed into the page as it
// opened, which gives out.bin.
const source = { bytes: null, name: null };

function input() {
  return source.bytes ?? new TextEncoder().encode($('text').value);
}

function inName() {
  return source.name ?? 'in.txt';
}

function outName() {
  return source.name ? source.name.replace(/(\.txt)?$/i, '.bin') : 'out.bin';
}

function hex(value, digits) {
  return value.toString(16).toUpperCase().padStart(digits, '0');
}

// The width of a character of the dump, as laid out, since a zoomed page
// may round it up to whole pixels of the screen; 0 until it is measured
// again, as at each resize, which a zoom brings too.
let characterWidth = 0;

function measureCharacter() {
  const probe = document.createElement('span');
  probe.textContent = '0'.repeat(11 + 4 * 16);  // as long as the longest line
  $('dump').append(probe);
  const width = probe.getBoundingClientRect().width / probe.textContent.length;
  probe.remove();
  return width;
}

// As many bytes to a line of the dump as fit, of 16, 8 or 4: a line of N
// takes 11 + 4N characters.
function bytesPerLine() {
  const box = $('dump'), style = getComputedStyle(box);
  characterWidth ||= measureCharacter();
  const columns = (box.clientWidth - parseFloat(style.paddingLeft) - parseFloat(style.paddingRight)) / characterWidth;
  return [16, 8, 4].find((count) => 11 + 4 * count <= columns) ?? 4;
}

// A line of the dump: offset, WIDTH bytes from AT in hexadecimal, and the
// printable ones as text.
function dumpLine(bytes, at, width) {
  const row = Array.from(bytes.subarray(at, at + width));
  return hex(at, 8) + '  ' + row.map((byte) => hex(byte, 2)).join(' ').padEnd(3 * width) + ' ' +
         row.map((byte) => (byte >= 0x20 && byte < 0x7F ? String.fromCharCode(byte) : '.')).join('');
}

// Of COUNT lines in a box HEIGHT pixels tall, scrolled to TOP, the first and
// last line in view: only those are drawn, between room that stands for the
// others, so that a text of any length costs the same.
function inView(count, top, height) {
  const first = Math.min(count, Math.max(1, Math.floor((top - PADDING) / LINE_HEIGHT) + 1));
  return { first, last: Math.min(count, first + Math.ceil(height / LINE_HEIGHT) + 1) };
}

// Fills BOX with LINES, the lines FIRST to LAST of COUNT, and room for the others.
function drawLines(box, lines, first, last, count) {
  const room = (lines) => {
    const div = document.createElement('div');
    div.style.height = `${lines * LINE_HEIGHT}px`;
    return div;
  };
  box.replaceChildren(room(first - 1), ...lines, room(count - last));
}

// The output's bytes, as many to a line as fit, of those in view.
function drawDump() {
  const box = $('dump'), bytes = shown?.output ?? new Uint8Array(), width = bytesPerLine();
  const height = parseFloat(getComputedStyle(box).maxHeight), count = Math.ceil(bytes.length / width);
  const view = inView(count, box.scrollTop, height), lines = [];
  for (let line = view.first; line <= view.last; line++) lines.push(dumpLine(bytes, (line - 1) * width, width));
  drawLines(box, [lines.join('\n')], view.first, view.last, count);
}

// The messages, a bad token's line linked to that line in the editor.
function showMessages(result) {
  const messages = $('messages');
  messages.textContent = '';
  const parts = (result.messages + result.reasons).split(/((?:at )?line \d+)/);
  for (const part of parts) {
    const line = /^(?:at )?line (\d+)$/.exec(part);
    if (!line) {
      messages.append(part);
      continue;
    }
    const link = document.createElement('a');
    link.href = '#';
    link.textContent = part;
    link.addEventListener('click', (event) => {
      event.preventDefault();
      selectLine(Number(line[1]));
    });
    messages.append(link);
  }
}

let downloadUrl = null, shown = null;

function show(result) {
  shown = result;
  $('status').textContent = `Exit status ${result.status}: ${WORDS[result.status] ?? ''}`;
  $('status').classList.toggle('failed', result.status !== 0);
  showMessages(result);
  $('dump').scrollTop = 0;
  drawDump();
  $('size').textContent = `${result.output.length} bytes`;
  if (downloadUrl) URL.revokeObjectURL(downloadUrl);
  downloadUrl = URL.createObjectURL(new Blob([result.output], { type: 'application/octet-stream' }));
  $('download').href = downloadUrl;
  $('download').download = outName();
  $('download').textContent = `Download ${outName()}`;
  warnedLines = new Set(Array.from(result.reasons.matchAll(/line (\d+): warning:/g), (warned) => Number(warned[1])));
  const bad = /at line (\d+)\./.exec(result.messages);
  markLine(bad ? Number(bad[1]) : 0);
}

// The numbers of the editor's lines in view, beside it, marked where a
// number was warned of, and the mark on a bad token's line, which is
// brought into view when it moves. Line 1 shows a byte-order mark that
// begins the text, which the editor shows as nothing.
let markedLine = 0, lineCount = 1, warnedLines = new Set();

function showLines() {
  const value = $('text').value;
  lineCount = 1;
  for (let at = value.indexOf('\n'); at >= 0; at = value.indexOf('\n', at + 1)) lineCount++;
  followScroll();
}

function followScroll() {
  const top = $('text').scrollTop, lines = $('lines'), view = inView(lineCount, top, $('text').clientHeight);
  const numbers = [];
  for (let line = view.first; line <= view.last; line++) {
    const number = numbers[numbers.push(document.createElement('div')) - 1];
    const mark = line === 1 && $('text').value.startsWith('\uFEFF');
    number.textContent = mark ? 'BOM 1' : line;
    number.title = mark ? 'The text begins with a byte-order mark, EF BB BF' : '';
    number.className = line === markedLine ? 'bad' : warnedLines.has(line) ? 'warned' : '';
  }
  drawLines(lines, numbers, view.first, view.last, lineCount);
  lines.scrollTop = top;
  $('mark').style.transform = `translateY(${(markedLine - 1) * LINE_HEIGHT - top}px)`;
}

// Scrolls the editor to LINE where it is out of view, and moves the mark
// with it at once: the scroll event comes later.
function bringIntoView(line) {
  const text = $('text'), top = PADDING + (line - 1) * LINE_HEIGHT;
  if (top < text.scrollTop || top + LINE_HEIGHT > text.scrollTop + text.clientHeight)
    text.scrollTop = Math.max(0, top - text.clientHeight / 3);
  followScroll();
}

function markLine(line) {
  const moved = line !== markedLine;
  markedLine = line;
  $('mark').hidden = line === 0;
  showLines();
  if (moved && line > 0) bringIntoView(line);
}

function selectLine(line) {
  const text = $('text'), starts = [0];
  for (let at = text.value.indexOf('\n'); at >= 0; at = text.value.indexOf('\n', at + 1)) starts.push(at + 1);
  const start = starts[line - 1] ?? text.value.length;
  const end = line < starts.length ? starts[line] - 1 : text.value.length;
  text.focus();
  text.setSelectionRange(start, end);
  markLine(line);
  bringIntoView(line);  // WebKit selects a line without scrolling to it
}

// The input in the page's address, after '#', which no browser sends
// anywhere: a link to the page that reproduces it. Only the button puts it
// there, since the browser keeps every address in its history.
function base64url(bytes) {
  let binary = '';
  for (let at = 0; at < bytes.length; at += 32768) binary += String.fromCharCode(...bytes.subarray(at, at + 32768));
  return btoa(binary).replace(/\+/g, '-').replace(/\//g, '_').replace(/=+$/, '');
}

// False, with the address left alone, where the input is too long for it.
function keepInAddress() {
  const bytes = input(), name = source.name ? `&name=${encodeURIComponent(source.name)}` : '';
  if (bytes.length > LINK_BYTES) return false;
  history.replaceState(null, '', source.bytes ? `#bytes=${base64url(bytes)}${name}`
                                              : `#text=${encodeURIComponent($('text').value)}${name}`);
  return true;
}

// A link whose bytes cannot be decoded, cut short or changed on its way,
// loads nothing and says so, rather than leave the page without an input.
function restoreFromAddress() {
  const fields = new URLSearchParams(location.hash.slice(1));
  if (!fields.has('bytes')) return load(fields.get('text') ?? '', fields.get('name'));
  let binary;
  try {
    binary = atob(fields.get('bytes').replace(/-/g, '+').replace(/_/g, '/'));
  } catch {
    load('', null);
    return note('The link is damaged (cut short or changed): nothing was loaded from it.');
  }
  load(Uint8Array.from(binary, (c) => c.charCodeAt(0)), fields.get('name'));
}

let pending = 0;

// Converts the input, which has changed: the button's word on a link it made
// is of the input before.
async function update() {
  const ticket = ++pending;
  $('copy-link').textContent = 'Copy a link to this input';
  const result = await convert(input(), inName(), outName());
  if (ticket === pending) show(result);
}

// Loads text into the editor, or a file's BYTES, which the editor shows as
// text as well as it can, with the input's NAME, if any. Of a large file it
// shows the beginning, not to be edited, until the whole is asked for: a
// browser takes a second or more to lay out a megabyte in an editor, and
// WebKit a tenth of one for 64 KiB.
function load(content, name, what = `the bytes of ${name} as they are`) {
  const bytes = typeof content === 'string' ? null : content, partly = bytes?.length > EDITOR_BYTES;
  source.bytes = bytes;
  source.name = name || null;
  // The list names an example only while it is the input, so that it may be chosen again.
  $('example').value = content === data.examples[name] ? name : '';
  showText(bytes ? asText(partly ? bytes.subarray(0, PREVIEW_BYTES) : bytes) : content, partly);
  note(!bytes ? '' : `Converting ${what} (${bytes.length} bytes). ` +
    (partly ? `The editor shows the first ${PREVIEW_BYTES}. ` : '') + 'Editing the text converts the text instead.');
  update();
}

// The note above the editor on where its input came from, shown unless empty.
function note(text) {
  $('source').textContent = text;
  $('source').hidden = !text;
}

// A file's bytes as the editor's text, a byte-order mark kept. A RangeError
// where the browser's strings cannot be that long: Chromium decodes a text
// of over 512 MiB as none at all.
function asText(bytes) {
  const text = new TextDecoder('utf-8', { ignoreBOM: true }).decode(bytes);
  if (!text && bytes.length) throw new RangeError(`numpress: ${bytes.length} bytes are too long for a text here`);
  return text;
}

function showText(text, partly) {
  $('text').value = text;
  $('text').readOnly = partly;
  $('text').scrollTop = 0;
  $('whole').hidden = !partly;
  showLines();
}

// A file's bytes, or null where the browser cannot read them (a folder, or a
// file removed since it was chosen), which the note says: the input stays
// what it was.
async function read(file) {
  try {
    return new Uint8Array(await file.arrayBuffer());
  } catch (error) {
    note(`The browser cannot read ${file.name}, and nothing was loaded: ${error.message}`);
    return null;
  }
}

// The file chosen in the input ID, whose choice is then cleared: Chromium
// and WebKit fire no change for the choice that an input already holds, so
// that a file chosen again, changed since, would not be read again.
function chosen(id) {
  const file = $(id).files[0];
  $(id).value = '';
  return file;
}

async function openFile(file) {
  const bytes = file && await read(file);
  if (bytes) load(bytes, file.name);
}

// A binary, as the text that converts back into it, in the layout chosen:
// NAME.txt, whose output is NAME.bin.
async function openBinary(file) {
  const bytes = file && await read(file);
  if (!bytes) return;
  const [width, order] = $('layout').value.split(' '), name = file.name.replace(/\.[^.]*$/, '');
  let text;
  try {
    text = await describeBytes(bytes, width, order, file.name);
  } catch (error) {
    if (!(error instanceof RangeError)) throw error;
    return note(`The page has no memory for ${file.name} (${file.size} bytes) and its text: nothing was loaded.`);
  }
  load(text, `${name}.txt`, `the text of ${file.name}, which gives its bytes back`);
}

// The input as a text file, under the name that it converts from.
function saveText() {
  const link = document.createElement('a');
  link.href = URL.createObjectURL(new Blob([input()], { type: 'text/plain' }));
  link.download = inName();
  link.click();
  URL.revokeObjectURL(link.href);
}

function start() {
  const examples = $('example');
  for (const name of Object.keys(data.examples)) examples.add(new Option(name, name));
  examples.addEventListener('change', () => examples.value && load(data.examples[examples.value], examples.value));
  $('open').addEventListener('click', () => $('file').click());
  $('file').addEventListener('change', () => openFile(chosen('file')));
  $('open-binary').addEventListener('click', () => $('binary').click());
  $('binary').addEventListener('change', () => openBinary(chosen('binary')));
  $('save-text').addEventListener('click', saveText);
  $('text').addEventListener('input', () => {
    source.bytes = null;  // the text now, still under the name of what was opened
    examples.value = '';
    $('source').hidden = $('whole').hidden = true;
    showLines();
    update();
  });
  $('text').addEventListener('scroll', followScroll);
  $('whole').addEventListener('click', () => {
    try {
      showText(asText(source.bytes), false);
    } catch (error) {
      if (!(error instanceof RangeError)) throw error;
      $('whole').hidden = true;
      note(`${$('source').textContent} The whole is too long for this browser to show; all of it is converted.`);
    }
  });
  $('copy-link').addEventListener('click', () => {
    if (!keepInAddress()) return ($('copy-link').textContent = `Too long for a link (${LINK_BYTES} bytes at most)`);
    navigator.clipboard.writeText(location.href).then(
      () => ($('copy-link').textContent = 'Link copied'),
      () => ($('copy-link').textContent = 'Copy the address bar instead'));
  });
  // A file dropped anywhere is opened; text dropped, or moved within the
  // editor, is the browser's to insert.
  const carriesFile = (event) => event.dataTransfer.types.includes('Files');
  document.addEventListener('dragover', (event) => carriesFile(event) && event.preventDefault());
  document.addEventListener('drop', (event) => {
    if (!carriesFile(event)) return;
    event.preventDefault();
    openFile(event.dataTransfer.files[0]);
  });
  $('dump').addEventListener('scroll', drawDump);
  window.addEventListener('resize', () => {
    characterWidth = 0;
    drawDump();
  });
  // A link opened where the page already is changes only its address.
  window.addEventListener('hashchange', () => location.hash && restoreFromAddress());
  if (location.hash) restoreFromAddress();
  else load(data.examples['worked-example.txt'] ?? '', null);
}

window.numpress = { convert, describe };  // the tool itself, for scripts and tests
start();
