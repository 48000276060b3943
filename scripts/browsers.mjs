// The browser engines that the benchmark and the page's checks drive, each
// behind the same few calls: Chromium (Debian's chromium) and Firefox
// (Debian's firefox-esr) through puppeteer-core, the one by CDP, the other by
// WebDriver BiDi, which Firefox speaks itself; WebKitGTK, Safari's engine
// family (Debian's MiniBrowser), through WebKitWebDriver's classic WebDriver,
// on a display of its own from Xvfb. puppeteer-core comes from this user's
// cache, where scripts/install-deps puts it.
import { spawn, spawnSync } from 'node:child_process';
import { existsSync, writeFileSync } from 'node:fs';
import { createRequire } from 'node:module';
import { createServer } from 'node:net';
import { homedir } from 'node:os';
import { join } from 'node:path';

export const ENGINES = ['chromium', 'firefox', 'webkit'];
const cache = join(process.env.XDG_CACHE_HOME || join(homedir(), '.cache'), 'numpress');
const MINIBROWSER = '/usr/lib/x86_64-linux-gnu/webkit2gtk-4.1/MiniBrowser';
const NEEDS = {
  chromium: ['/usr/bin/chromium'],
  firefox: ['/usr/bin/firefox-esr'],
  webkit: ['/usr/bin/WebKitWebDriver', MINIBROWSER, '/usr/bin/Xvfb'],
};

// Why ENGINE cannot run here, or null.
export function missing(engine) {
  const absent = NEEDS[engine].filter((path) => !existsSync(path));
  if (absent.length) return `${absent.join(' and ')} missing (scripts/install-deps installs them)`;
  return existsSync(join(cache, 'node_modules/puppeteer-core')) || engine === 'webkit' ? null
    : 'puppeteer-core is missing from the cache (scripts/install-deps installs it)';
}

// A browser of ENGINE with one page, in PROFILE, following a DARK colour
// scheme or not. Its calls: goto(url), evaluate(fn, ...args) of an async or
// plain function whose JSON-able result comes back, setFile(selector, path),
// type(selector, text), click(selector), clickLink(text), resize(width,
// height) of the page's viewport, once the page has handled it,
// screenshot(path) of the whole page, and close().
export async function launch(engine, { profile, dark = false }) {
  return engine === 'webkit' ? launchWebKit(profile, dark) : launchPuppeteer(engine, profile, dark);
}

async function launchPuppeteer(engine, profile, dark) {
  const puppeteer = createRequire(join(cache, '/'))('puppeteer-core');
  const firefox = engine === 'firefox';
  const browser = await puppeteer.launch({
    browser: firefox ? 'firefox' : 'chrome', executablePath: NEEDS[engine][0], headless: true, userDataDir: profile,
    protocol: firefox ? 'webDriverBiDi' : 'cdp',
    // Firefox has no emulation of the colour scheme over BiDi: a preference sets it.
    extraPrefsFirefox: { 'layout.css.prefers-color-scheme.content-override': dark ? 0 : 1 },
    // As root, Chromium needs --no-sandbox; the network of this machine is closed.
    args: firefox ? [] : ['--no-sandbox', '--disable-gpu', '--disable-background-networking',
                          '--disable-component-update', '--disable-sync', '--no-first-run', '--disable-quic'],
  });
  const page = (await browser.pages())[0] ?? await browser.newPage();
  if (!firefox) await page.emulateMediaFeatures([{ name: 'prefers-color-scheme', value: dark ? 'dark' : 'light' }]);
  return {
    page,
    goto: (url) => page.goto(url),
    evaluate: (fn, ...args) => page.evaluate(fn, ...args),
    setFile: async (selector, path) => (await page.$(selector)).uploadFile(path),
    type: (selector, text) => page.type(selector, text),
    click: (selector) => page.click(selector),
    clickLink: async (text) => (await page.$(`xpath///a[text()="${text}"]`)).click(),
    // Returns after the next frame, which brings the page its resize event.
    resize: async (width, height) => {
      await page.setViewport({ width, height });
      await page.evaluate(() => new Promise((done) => requestAnimationFrame(() => done())));
    },
    screenshot: (path) => page.screenshot({ path, fullPage: true }),
    close: () => browser.close(),
  };
}

async function freePort() {
  const server = createServer().listen(0, '127.0.0.1');
  await new Promise((resolve) => server.on('listening', resolve));
  const { port } = server.address();
  await new Promise((resolve) => server.close(resolve));
  return port;
}

// Xvfb's display, once it takes clients: it writes the number then.
async function startDisplay() {
  const xvfb = spawn('Xvfb', ['-displayfd', '3', '-nolisten', 'tcp', '-screen', '0', '1600x6000x24'], { stdio: ['ignore', 'ignore', 'ignore', 'pipe'] });
  const number = await new Promise((resolve, reject) => {
    xvfb.stdio[3].once('data', (data) => resolve(String(data).trim()));
    xvfb.once('exit', () => reject(new Error('Xvfb ended before it gave a display')));
  });
  return { xvfb, display: `:${number}` };
}

async function launchWebKit(profile, dark) {
  const { xvfb, display } = await startDisplay();
  const port = await freePort();
  const driver = spawn('WebKitWebDriver', [`--port=${port}`], { stdio: 'ignore', env: { ...process.env, DISPLAY: display } });
  const base = `http://127.0.0.1:${port}`;
  const call = async (method, path, body) => {
    const reply = await (await fetch(base + path, { method, body: body && JSON.stringify(body),
                                                     headers: { 'content-type': 'application/json' } })).json();
    if (reply.value?.error) throw new Error(`${path}: ${reply.value.error}: ${reply.value.message}`);
    return reply.value;
  };
  for (let tries = 0; !(await fetch(`${base}/status`).then(() => true, () => false)); tries++) {
    if (tries === 100) throw new Error('WebKitWebDriver took no session');
    await new Promise((resolve) => setTimeout(resolve, 50));
  }
  const args = ['--automation', ...(dark ? ['--dark-mode'] : [])];
  const session = (await call('POST', '/session', { capabilities: { alwaysMatch: {
    'webkitgtk:browserOptions': { binary: MINIBROWSER, args } } } })).sessionId;
  const at = (path) => `/session/${session}${path}`;
  const element = async (using, value) => Object.values(await call('POST', at('/element'), { using, value }))[0];
  const evaluate = async (fn, ...args) => {
    const script = `const done = arguments[arguments.length - 1];
      Promise.resolve((${fn}).apply(null, Array.from(arguments).slice(0, -1)))
        .then((value) => done({ value }), (error) => done({ error: String(error) }));`;
    const reply = await call('POST', at('/execute/async'), { script, args });
    if ('error' in reply) throw new Error(reply.error);
    return reply.value;
  };
  // The window holds the page's viewport and the browser's own parts, and
  // takes its size some time after it is asked to. MiniBrowser's is at least
  // 447 pixels wide, so a narrower viewport is made by zooming in a step
  // (MiniBrowser's Ctrl+plus, 1.2 times), as a phone's pixels are larger.
  const viewport = () => evaluate(() => new Promise((done) => requestAnimationFrame(() => requestAnimationFrame(
    () => done([innerWidth, innerHeight])))));
  let zoom = 1;
  const resize = async (width, height) => {
    const wanted = width < 447 ? 1.2 : 1;
    if (wanted !== zoom) {
      spawnSync('sh', ['-c', 'xdotool windowfocus "$(xdotool search --class MiniBrowser | tail -n 1)" key "$0"',
                       wanted > zoom ? 'ctrl+plus' : 'ctrl+minus'], { env: { ...process.env, DISPLAY: display } });
      zoom = wanted;
    }
    const outer = await call('GET', at('/window/rect'));
    const [innerWidth, innerHeight] = await viewport();
    await call('POST', at('/window/rect'), {
      width: Math.round(width * zoom) + outer.width - Math.round(innerWidth * zoom),
      height: Math.round(height * zoom) + outer.height - Math.round(innerHeight * zoom) });
    // Zoomed, a pixel of the page is not one of the window's: one more or less is as near as it comes.
    const near = ([w, h]) => Math.abs(w - width) + Math.abs(h - height) <= (zoom === 1 ? 0 : 2);
    for (let tries = 0; !near(await viewport()); tries++)
      if (tries === 100) throw new Error(`the page's viewport never took ${width} by ${height} pixels`);
  };
  return {
    goto: (url) => call('POST', at('/url'), { url }),
    evaluate,
    setFile: async (selector, path) => call('POST', at(`/element/${await element('css selector', selector)}/value`), { text: path }),
    // A line feed is typed as the Return key, which WebDriver names U+E007.
    type: async (selector, text) => call('POST', at(`/element/${await element('css selector', selector)}/value`),
                                         { text: text.replace(/\n/g, '\uE007') }),
    click: async (selector) => call('POST', at(`/element/${await element('css selector', selector)}/click`), {}),
    clickLink: async (text) => call('POST', at(`/element/${await element('link text', text)}/click`), {}),
    resize,
    // Of the viewport, made as tall as the page for it.
    screenshot: async (path) => {
      const [width, height] = await evaluate(() => [innerWidth, document.documentElement.scrollHeight]);
      await resize(width, height);
      writeFileSync(path, Buffer.from(await call('GET', at('/screenshot')), 'base64'));
    },
    close: async () => {
      await call('DELETE', at(''));
      driver.kill();
      xvfb.kill();
    },
  };
}

// The page's conversions of INPUTS (Uint8Arrays), as window.numpress.convert
// gives them, with output as an array.
export async function convertAll(browser, inputs) {
  return browser.evaluate(async (encoded) => {
    const results = [];
    for (const text of encoded) {
      const result = await window.numpress.convert(Uint8Array.from(atob(text), (c) => c.charCodeAt(0)));
      results.push({ ...result, output: Array.from(result.output) });
    }
    return results;
  }, inputs.map((bytes) => Buffer.from(bytes).toString('base64')));
}

