// Runs a WASI program as a program of this system, with the working directory
// as its folder and the standard streams, under one of three hosts:
//   node --no-warnings run-wasi.mjs HOST PROGRAM.wasm ARGUMENT...
// node: node's own node:wasi. wasmtime: wasmtime's preview1 adapter, which
// the module is wrapped in (once, beside it) and run by preview2-shim, as
// `jco run` runs it; its exit tells only success or failure. shim:
// browser_wasi_shim, the WASI of browsers, over files in memory: the folder's
// files are read in before, and what changed is written back after.
import { createHash } from 'node:crypto';
import { mkdirSync, mkdtempSync, readdirSync, readFileSync, renameSync, rmSync, statSync, writeFileSync,
         writeSync } from 'node:fs';
import { homedir } from 'node:os';
import { basename, dirname, join } from 'node:path';
import { pathToFileURL } from 'node:url';
import { WASI } from 'node:wasi';

const [host, program, ...args] = process.argv.slice(2);
const cache = join(process.env.XDG_CACHE_HOME || join(homedir(), '.cache'), 'numpress');
const shim = (name) => pathToFileURL(join(cache, 'node_modules/@bytecodealliance/preview2-shim/dist/nodejs',
                                          `${name}.js`)).href;
const bytes = readFileSync(program);

async function runOnNode() {
  const wasi = new WASI({ version: 'preview1', args: [program, ...args], preopens: { '.': '.' }, returnOnExit: true });
  const instance = await WebAssembly.instantiate(await WebAssembly.compile(bytes), { wasi_snapshot_preview1: wasi.wasiImport });
  return wasi.start(instance);
}

// The module as a component in wasmtime's preview1 adapter, made into
// JavaScript by jco's tools, in a folder named for the module's bytes: made
// elsewhere and moved there whole, so that runs side by side share it.
async function component() {
  const name = basename(program, '.wasm');
  const folder = join(dirname(program), 'wasmtime', createHash('sha256').update(bytes).digest('hex').slice(0, 16));
  const made = join(folder, `${name}.mjs`);
  if (statSync(made, { throwIfNoEntry: false })) return made;
  const tools = await import(pathToFileURL(join(cache, 'jco-transpile-0.15.0/wasm-tools.js')));
  const bindgen = await import(pathToFileURL(join(cache, 'jco-transpile-0.15.0/js-component-bindgen-component.js')));
  await Promise.all([tools.$init, bindgen.$init]);
  const adapter = readFileSync(join(cache, 'jco-1.35.0/wasi_snapshot_preview1.command.wasm'));
  const wrapped = tools.tools.componentNew(bytes, [['wasi_snapshot_preview1', adapter]]);
  const map = ['cli', 'clocks', 'filesystem', 'io', 'random'].map((part) => [`wasi:${part}/*`, `${shim(part)}#*`]);
  const { files } = bindgen.generate(wrapped, { name, map, noTypescript: true, noNodejsCompat: false,
                                                noComponentErrorWrapping: true, base64Cutoff: 5000 });
  mkdirSync(dirname(folder), { recursive: true });
  const scratch = mkdtempSync(`${folder}-`);
  for (const [file, source] of files) writeFileSync(join(scratch, file.replace(/\.js$/, '.mjs')), source);
  try {
    renameSync(scratch, folder);
  } catch (error) {
    if (error.code !== 'ENOTEMPTY' && error.code !== 'EEXIST') throw error;
    rmSync(scratch, { recursive: true });  // another run made it first
  }
  return made;
}

async function runOnWasmtime() {
  const made = await component();
  (await import(shim('cli')))._setArgs([program, ...args]);
  (await import(shim('filesystem')))._setPreopens({ '.': process.cwd() });
  (await import(pathToFileURL(made))).run.run();  // ends the process through wasi:cli/exit
}

// The files of FOLDER, and its folders, in the shim's memory; links and
// devices are left out, which the shim has none of. READ keeps what each
// file held, so that only what the program changed is written back.
function readFolder(shimFs, folder, read) {
  const entries = readdirSync(folder, { withFileTypes: true }).flatMap((entry) => {
    const path = join(folder, entry.name);
    if (entry.isDirectory()) return [[entry.name, readFolder(shimFs, path, read)]];
    if (!entry.isFile()) return [];
    const file = new shimFs.File(readFileSync(path));
    read.set(file, { path, data: file.data });
    return [[entry.name, file]];
  });
  return new shimFs.Directory(entries);
}

// What the program changed in memory, written back into FOLDER: files it
// wrote or made, and the removal of those it removed.
function writeFolder(shimFs, directory, folder, read) {
  for (const [name, entry] of directory.contents) {
    if (entry instanceof shimFs.Directory) writeFolder(shimFs, entry, join(folder, name), read);
    else if (read.get(entry)?.data !== entry.data) writeFileSync(join(folder, name), entry.data);
    read.delete(entry);
  }
}

async function runOnShim() {
  const shimFs = await import(pathToFileURL(join(cache, 'node_modules/@bjorn3/browser_wasi_shim/dist/index.js')));
  const read = new Map(), folder = readFolder(shimFs, '.', read);
  const stream = (fd) => new shimFs.ConsoleStdout((data) => writeSync(fd, data));
  const fds = [new shimFs.OpenFile(new shimFs.File([])), stream(1), stream(2),
               new shimFs.PreopenDirectory('.', folder.contents)];
  const wasi = new shimFs.WASI([program, ...args], [], fds, { debug: false });
  const status = wasi.start(await WebAssembly.instantiate(await WebAssembly.compile(bytes),
                                                           { wasi_snapshot_preview1: wasi.wasiImport }));
  writeFolder(shimFs, folder, '.', read);
  for (const { path } of read.values()) rmSync(path);
  return status;
}

process.exitCode = await { node: runOnNode, wasmtime: runOnWasmtime, shim: runOnShim }[host]();
