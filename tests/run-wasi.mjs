// Runs a WASI program under node's node:wasi as a program of this system:
// node --no-warnings run-wasi.mjs PROGRAM.wasm ARGUMENT...
// The program sees the working directory as its own, a temporary folder as
// /tmp, the standard streams, and no environment; its exit status is node's.
import { readFile } from 'node:fs/promises';
import { tmpdir } from 'node:os';
import { WASI } from 'node:wasi';

const [program, ...args] = process.argv.slice(2);
const wasi = new WASI({
    version: 'preview1',
    args: [program, ...args],
    preopens: { '.': '.', '/tmp': tmpdir() },
    returnOnExit: true,
});
const module = await WebAssembly.compile(await readFile(program));
process.exitCode = wasi.start(await WebAssembly.instantiate(module, wasi.getImportObject()));
