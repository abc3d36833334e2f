// Drives WebKitGTK's MiniBrowser, Safari's engine, through W3C WebDriver
// (WebKitWebDriver, spoken to over HTTP on 127.0.0.1), and offers the walk
// the few page operations it uses, shaped as puppeteer's Page offers them:
// goto, title, evaluate, keyboard, screenshot; plus the page's uncaught
// errors and console errors since it loaded. Needs a display (Xvfb).
import { spawn } from 'node:child_process';
import fs from 'node:fs';
import net from 'node:net';
import path from 'node:path';

const DRIVER = '/usr/bin/WebKitWebDriver';
// WebKitGTK's own browser, in the machine's multiarch library folder.
const MINIBROWSER = fs.readdirSync('/usr/lib').map((folder) => path.join('/usr/lib', folder, 'webkit2gtk-4.1', 'MiniBrowser'))
  .find((file) => fs.existsSync(file));

// Set at document start, before the page's own scripts: the program's
// console (Emscripten binds console.error when it loads) and every uncaught
// error or rejected promise, kept for errors().
const ERROR_COLLECTOR = `(() => {
  const errors = window.vellorinPageErrors = [];
  const text = (value) => (value instanceof Error ? value.name + ': ' + value.message : String(value));
  window.addEventListener('error', (event) =>
    errors.push('uncaught: ' + (event.error !== undefined ? text(event.error) : event.message)));
  window.addEventListener('unhandledrejection', (event) => errors.push('unhandled rejection: ' + text(event.reason)));
  const consoleError = console.error;
  console.error = function (...args) {
    errors.push('console error: ' + args.map(text).join(' '));
    return consoleError.apply(this, args);
  };
})();
`;

// The WebDriver key codes of the keys the walk names as puppeteer does.
const KEYS = {
  Enter: '\uE006', Escape: '\uE00C', Tab: '\uE004', Backspace: '\uE003', Shift: '\uE008',
  Control: '\uE009', Alt: '\uE00A', F1: '\uE031',
};
const keyValue = (key) => KEYS[key] ?? (key.length === 1 ? key : (() => { throw new Error(`unknown key ${key}`); })());

function freePort() {
  return new Promise((resolve, reject) => {
    const server = net.createServer();
    server.on('error', reject);
    server.listen(0, '127.0.0.1', () => {
      const { port } = server.address();
      server.close(() => resolve(port));
    });
  });
}

async function request(base, method, url, body) {
  const response = await fetch(base + url, {
    method, headers: body ? { 'Content-Type': 'application/json; charset=utf-8' } : undefined,
    body: body ? JSON.stringify(body) : undefined,
  });
  const answer = await response.json();
  if (!response.ok || (answer.value && answer.value.error)) {
    const { error, message } = answer.value || {};
    throw new Error(`WebDriver ${method} ${url}: ${error}: ${message}`);
  }
  return answer.value;
}

// Starts the driver and a browser session; the window's page area is made
// viewport.width x viewport.height. Returns { page, close }.
export async function launchWebKit({ viewport = { width: 1024, height: 768 } } = {}) {
  if (!MINIBROWSER || !fs.existsSync(DRIVER))
    throw new Error('WebKitGTK\'s WebDriver and MiniBrowser are missing (Debian: webkitgtk-webdriver)');
  const port = await freePort();
  const driver = spawn(DRIVER, [`--port=${port}`, '--host=local'], { stdio: ['ignore', 'inherit', 'inherit'] });
  const exited = new Promise((resolve) => driver.on('exit', resolve));
  const base = `http://127.0.0.1:${port}`;
  const until = Date.now() + 15000;
  for (;;) {
    try {
      if ((await request(base, 'GET', '/status')).ready)
        break;
    } catch (error) {
      if (Date.now() > until || driver.exitCode !== null) {
        driver.kill();
        throw new Error(`${DRIVER} did not start: ${error.message}`);
      }
    }
    await new Promise((resolve) => setTimeout(resolve, 50));
  }

  const folder = fs.mkdtempSync('/tmp/vellorin-webkit-');
  const collector = path.join(folder, 'collect-errors.js');
  fs.writeFileSync(collector, ERROR_COLLECTOR);
  let session;
  try {
    session = await request(base, 'POST', '/session', {
      capabilities: {
        alwaysMatch: {
          browserName: 'MiniBrowser',
          'webkitgtk:browserOptions': {
            binary: MINIBROWSER,
            args: ['--automation', `--user-script-at-start=${collector}`, `--profile-dir=${folder}`],
          },
        },
      },
    });
  } catch (error) {
    driver.kill();
    throw error;
  }
  const call = (method, url, body) => request(base, method, `/session/${session.sessionId}${url}`, body);
  await call('POST', '/timeouts', { script: 120000, pageLoad: 60000, implicit: 0 });

  const page = new WebDriverPage(call, session.capabilities);
  await page.setViewport(viewport);
  return {
    page,
    version: `${session.capabilities.browserName} ${session.capabilities.browserVersion}`,
    async close() {
      try {
        await call('DELETE', '');
      } finally {
        driver.kill();
        await exited;
        fs.rmSync(folder, { recursive: true, force: true });
      }
    },
  };
}

class WebDriverPage {
  constructor(call, capabilities) {
    this.call = call;
    this.capabilities = capabilities;
    this.keyboard = new WebDriverKeyboard(call);
  }

  // What snapshotNodes asks of a page: this one has no accessibility
  // protocol, so the tree is read from the page's mirror.
  browser() {
    return { protocol: 'webdriver' };
  }

  async setViewport({ width, height }) {
    // The window's outer size is what WebDriver sets: grown by the
    // browser's own parts around the page, measured once.
    await this.call('POST', '/window/rect', { width, height });
    const inner = await this.evaluate(() => [innerWidth, innerHeight]);
    if (inner[0] !== width || inner[1] !== height)
      await this.call('POST', '/window/rect', { width: 2 * width - inner[0], height: 2 * height - inner[1] });
  }

  async goto(url) {
    await this.call('POST', '/url', { url });
  }

  title() {
    return this.call('GET', '/title');
  }

  // As puppeteer's: fn runs in the page with the given (JSON) arguments,
  // and its result, awaited, comes back as JSON.
  async evaluate(fn, ...args) {
    const script = `const done = arguments[arguments.length - 1];
      Promise.resolve().then(() => (${fn.toString()}).apply(null, Array.prototype.slice.call(arguments, 0, -1)))
        .then((value) => done({ value: value === undefined ? null : JSON.parse(JSON.stringify(value) ?? 'null') }),
              (error) => done({ thrown: error instanceof Error ? \`\${error.message}\\n\${error.stack}\` : String(error) }));`;
    const answer = await this.call('POST', '/execute/async', { script, args });
    if (answer.thrown !== undefined)
      throw new Error(`evaluation failed: ${answer.thrown}`);
    return answer.value === null ? undefined : answer.value;
  }

  async screenshot({ path: file }) {
    const png = Buffer.from(await this.call('GET', '/screenshot'), 'base64');
    fs.writeFileSync(file, png);
    return png;
  }

  // The page's uncaught errors and console errors since it loaded.
  errors() {
    return this.evaluate(() => window.vellorinPageErrors ?? ['the error collector was not in the page']);
  }
}

// Keys through the Actions API, one input source for the session, so a
// modifier held down in one call is still down in the next.
class WebDriverKeyboard {
  constructor(call) {
    this.call = call;
  }

  perform(actions) {
    return this.call('POST', '/actions', { actions: [{ type: 'key', id: 'keyboard', actions }] });
  }

  down(key) {
    return this.perform([{ type: 'keyDown', value: keyValue(key) }]);
  }

  up(key) {
    return this.perform([{ type: 'keyUp', value: keyValue(key) }]);
  }

  press(key) {
    const value = keyValue(key);
    return this.perform([{ type: 'keyDown', value }, { type: 'keyUp', value }]);
  }

  type(text) {
    return this.perform([...text].flatMap((value) => [{ type: 'keyDown', value }, { type: 'keyUp', value }]));
  }
}
