// Times the page in each browser engine that is here: its own conversion of
// the input TEXT (window.numpress.convert, the median of RUNS samples),
// whether that wrote the bytes EXPECTED, and the time from a drop of TEXT as
// a file until the page shows it, the first time. One line of JSON an engine:
//   node page.mjs PAGE TEXT EXPECTED RUNS
import { mkdtempSync, readFileSync, rmSync } from 'node:fs';
import { tmpdir } from 'node:os';
import { join } from 'node:path';
import { ENGINES, launch, missing } from '../scripts/browsers.mjs';

const [page, text, expected, runs] = process.argv.slice(2);
const [data, want] = [text, expected].map((path) => readFileSync(path).toString('base64'));

async function measure(browser) {
  return browser.evaluate(async (data, want, runs) => {
    const bytes = Uint8Array.from(atob(data), (c) => c.charCodeAt(0));
    const transfer = new DataTransfer();
    transfer.items.add(new File([bytes], 'dropped.txt'));
    const dropped = performance.now();
    document.body.dispatchEvent(new DragEvent('drop', { dataTransfer: transfer, bubbles: true }));
    while (!document.getElementById('download').textContent.includes('dropped.bin'))
      await new Promise((done) => setTimeout(done, 1));
    await new Promise((done) => requestAnimationFrame(() => setTimeout(done, 0)));  // drawn
    const shown = (performance.now() - dropped) / 1000, samples = [];
    let result;
    // Each sample the mean of as many conversions as fill 20 ms, since
    // Firefox tells the time in whole milliseconds.
    for (let i = 0; i < runs; i++) {
      const start = performance.now();
      let count = 0;
      do {
        result = await window.numpress.convert(bytes);
        count++;
      } while (performance.now() - start < 20);
      samples.push((performance.now() - start) / count / 1000);
    }
    let binary = '';
    for (const byte of result.output) binary += String.fromCharCode(byte);
    samples.sort((a, b) => a - b);
    return { convert: samples[Math.floor(runs / 2)], shown, same: btoa(binary) === want };
  }, data, want, Number(runs));
}

for (const engine of ENGINES.filter((engine) => !missing(engine))) {
  const profile = mkdtempSync(join(tmpdir(), 'bench-page-'));
  const browser = await launch(engine, { profile });
  try {
    await browser.goto(`file://${page}`);
    while (!(await browser.evaluate(() => document.getElementById('status').textContent)));
    console.log(JSON.stringify({ engine, ...(await measure(browser)) }));
  } finally {
    await browser.close();
    rmSync(profile, { recursive: true, force: true });
  }
}
