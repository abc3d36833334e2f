// The page as an installed, offline program, in headless Chromium: the
// manifest and its icons, the service worker keeping every file of the
// folder, a visit with the network gone, and a new build replacing the one
// kept. The folder is served on 127.0.0.1 by a server that the test stops
// (the network gone) and switches to a changed copy of the folder (a new
// build on the same address). Prints the timings; exits non-zero with a
// message on the first failure.
//
// Usage: node offline.mjs path/to/dist
// The page offline goes to /tmp/vellorin-shots/web-offline.png.
import { execFileSync } from 'node:child_process';
import { createRequire } from 'node:module';
import fs from 'node:fs';
import path from 'node:path';
import { fileURLToPath } from 'node:url';

import { CHROMIUM, check, finish, waitFor } from './checks.mjs';
import { serveFolder, serveSwitchable } from './serve.mjs';
import { pageWindows } from './page.mjs';

const require = createRequire(import.meta.url);
const puppeteer = require('puppeteer-core');

const [dist] = process.argv.slice(2);
if (!dist) {
  console.error('usage: node offline.mjs path/to/dist');
  process.exit(2);
}
const SHOTS = '/tmp/vellorin-shots';
const WRITE_WORKER = fileURLToPath(new URL('../../packaging/web/write-service-worker.cmake', import.meta.url));



const instructionsUp = async (page) => (await pageWindows(page)).some((w) => w.title === 'Instructions');

// Loads the page (a first visit or a reload) and times it to the
// instructions on screen.
async function visit(page, what, go) {
  const started = Date.now();
  await go();
  await waitFor(`the instructions (${what})`, () => instructionsUp(page), 60000);
  const ms = Date.now() - started;
  console.log(`timing: ${what} -> instructions on screen: ${ms} ms`);
  return ms;
}

// The page's Vellorin caches, and the files each keeps (paths, without the
// digests the keys carry).
const keptCaches = (page) => page.evaluate(async () => {
  const kept = {};
  for (const name of (await caches.keys()).filter((n) => n.startsWith('vellorin-')))
    kept[name] = (await (await caches.open(name)).keys()).map((r) => new URL(r.url).pathname.slice(1)).sort();
  return kept;
});

// The build the page has on, read off its style sheet: the changed copy's
// sheet sets a property that the built one has not.
const MARKER = '--vellorin-test-build';
const pageBuild = (page) => page.evaluate((marker) =>
  getComputedStyle(document.documentElement).getPropertyValue(marker).trim(), MARKER);

function filesOf(folder) {
  return fs.readdirSync(folder, { recursive: true })
    .filter((file) => fs.statSync(path.join(folder, file)).isFile() && file !== 'service-worker.js')
    .sort();
}

// The folder as a new build: a changed style sheet, the worker written
// again by the build's own script.
function changedCopy(folder, build) {
  const copy = fs.mkdtempSync('/tmp/vellorin-offline-');
  fs.cpSync(folder, copy, { recursive: true });
  fs.appendFileSync(path.join(copy, 'vellorin-page.css'), `\n/* a later build */\n:root { ${MARKER}: "${build}"; }\n`);
  execFileSync('cmake', [`-DDIST=${copy}`, '-P', WRITE_WORKER], { stdio: 'inherit' });
  return copy;
}

async function main() {
  check(fs.existsSync(path.join(dist, 'service-worker.js')), 'the folder has its service worker');
  const server = await serveSwitchable(dist);
  const profile = fs.mkdtempSync('/tmp/vellorin-browser-');
  const copies = [profile];
  const browser = await puppeteer.launch({
    ...CHROMIUM, headless: true,
    defaultViewport: { width: 1024, height: 768 }, userDataDir: profile,
  });
  try {
    const page = await browser.newPage();
    watch(page);
    await run(page, server, copies);
    await refusedWorker(browser, copies);
  } finally {
    await browser.close();
    await server.close();
    for (const folder of copies)
      fs.rmSync(folder, { recursive: true, force: true });
  }
}

function watch(page) {
  page.on('console', (message) => {
    if (message.type() === 'error' || message.type() === 'warn')
      console.log(`page ${message.type()}: ${message.text()}`);
  });
  page.on('pageerror', (error) => console.log(`page error: ${error.message}`));
}

async function run(page, server, copies) {
  // First visit: the program starts from the network, and the worker,
  // once in control, has every file of the folder.
  await visit(page, 'first visit: page load', () => page.goto(server.url));
  const keepStarted = Date.now();
  await waitFor('the service worker to control the page',
                () => page.evaluate(() => navigator.serviceWorker.controller !== null), 60000);
  console.log(`timing: instructions on screen -> every file kept, worker in control: ${Date.now() - keepStarted} ms`);
  const first = await keptCaches(page);
  const firstNames = Object.keys(first);
  check(firstNames.length === 1, `one cache kept after the first visit (${firstNames.join(', ')})`);
  const files = filesOf(dist);
  check(JSON.stringify(first[firstNames[0]]) === JSON.stringify(files),
        `the cache keeps every file of the folder (${files.length}: ${files.join(' ')})`);
  await checkManifest(page);

  // The network gone: the browser offline and the server closed.
  await server.stop();
  await page.setOfflineMode(true);
  await visit(page, 'offline reload', () => page.reload());
  check(await page.title() === 'Vellorin', 'offline, the page comes up titled "Vellorin"');
  fs.mkdirSync(SHOTS, { recursive: true });
  await page.screenshot({ path: path.join(SHOTS, 'web-offline.png') });

  // A new build on the same address. What Chromium does, as any browser
  // with service workers: the reload is answered by the worker in control,
  // from the build it keeps; that navigation makes the browser fetch
  // service-worker.js again (past its HTTP cache: updateViaCache 'none'),
  // and as the script differs it installs the new worker in the
  // background. That one takes over at once (skipWaiting, clients.claim)
  // and drops the old cache; the page open goes on with the build it
  // started with, and the next reload gets the new one.
  const build = `build-${Date.now()}`;
  const copy = changedCopy(dist, build);
  copies.push(copy);
  server.requests.length = 0;
  await server.serve(copy);
  await page.setOfflineMode(false);
  const updateStarted = Date.now();
  await visit(page, 'reload after a new build', () => page.reload());
  console.log(`the reload after the new build came up with ${await pageBuild(page) === `"${build}"` ? 'the new' : 'the kept'} build`);
  const updated = await waitFor('the new worker to take over with its own cache', async () => {
    const kept = await keptCaches(page);
    const names = Object.keys(kept);
    const active = await page.evaluate(async () => {
      const registration = await navigator.serviceWorker.getRegistration();
      return registration && !registration.installing && !registration.waiting
        && navigator.serviceWorker.controller === registration.active && registration.active.state === 'activated';
    });
    return active && names.length === 1 && names[0] !== firstNames[0] && kept;
  }, 60000);
  console.log(`timing: reload after a new build -> new worker in control: ${Date.now() - updateStarted} ms`);
  check(!(firstNames[0] in updated), `the old cache ${firstNames[0]} is gone (now ${Object.keys(updated)})`);
  const downloaded = [...new Set(server.requests)].sort();
  console.log(`downloaded for the new build: ${downloaded.join(' ')}`);
  check(downloaded.includes('/vellorin-page.css'), 'the changed style sheet was downloaded');
  check(!downloaded.includes('/vellorin.wasm'), 'the unchanged program was not downloaded again');

  await visit(page, 'second reload after a new build', () => page.reload());
  check(await pageBuild(page) === `"${build}"`, 'the page now has the new build\'s style sheet');
  const sheet = await page.evaluate(async () => (await fetch('vellorin-page.css')).text());
  check(sheet.includes(build), 'vellorin-page.css fetched through the page is the new build\'s');

  // And the new build, too, with the network gone.
  await server.stop();
  await page.setOfflineMode(true);
  await visit(page, 'offline reload of the new build', () => page.reload());
  check(await pageBuild(page) === `"${build}"`, 'offline, the page has the new build');
  await page.setOfflineMode(false);
}

// The manifest the page links, as the browser reads it, and every icon it
// names (and the page's icon for iPads) at the size it claims.
async function checkManifest(page) {
  const cdp = await page.createCDPSession();
  const { url, errors } = await cdp.send('Page.getAppManifest');
  check(url.endsWith('/vellorin.webmanifest'), `the page links its manifest (${url})`);
  check(errors.length === 0, `Chromium reads the manifest without errors ${JSON.stringify(errors)}`);
  const { installabilityErrors } = await cdp.send('Page.getInstallabilityErrors');
  check(installabilityErrors.length === 0,
        `Chromium finds the page installable ${JSON.stringify(installabilityErrors.map((e) => e.errorId))}`);
  await cdp.detach();

  const found = await page.evaluate(async () => {
    const link = document.querySelector('link[rel="manifest"]');
    const response = await fetch(link.href);
    return { url: link.href, type: response.headers.get('Content-Type'), text: await response.text(),
             theme: document.querySelector('meta[name="theme-color"]')?.content,
             touchIcon: document.querySelector('link[rel="apple-touch-icon"]')?.href };
  });
  let manifest = {};
  try {
    manifest = JSON.parse(found.text);
    check(true, 'the manifest parses as JSON');
  } catch (error) {
    check(false, `the manifest parses as JSON (${error.message})`);
  }
  check(found.type === 'application/manifest+json', `the manifest is served as ${found.type}`);
  check(manifest.name === 'Vellorin' && manifest.short_name === 'Vellorin', 'the manifest names the program');
  check(typeof manifest.description === 'string' && manifest.description.length > 0, 'the manifest describes it');
  check(manifest.start_url === './' && manifest.scope === './' && manifest.display === 'standalone',
        'the manifest starts the page in its own window, in its folder');
  check(/^#[0-9a-f]{6}$/i.test(manifest.background_color) && manifest.theme_color === found.theme,
        `the manifest's colours: ${manifest.background_color}, theme ${manifest.theme_color} as the page's`);
  const icons = [...(manifest.icons || []), { src: found.touchIcon, sizes: '180x180', type: 'image/png' }];
  for (const size of ['any', '192x192', '512x512'])
    check(icons.some((icon) => icon.sizes === size), `the manifest has an icon of size ${size}`);
  for (const icon of icons) {
    const got = await page.evaluate(async (src) => {
      const response = await fetch(src);
      if (!response.ok)
        return { status: response.status };
      const image = new Image();
      image.src = URL.createObjectURL(await response.blob());
      try {
        await image.decode();
      } catch {
        return { status: response.status, type: response.headers.get('Content-Type'), size: 'not an image' };
      }
      return { status: response.status, type: response.headers.get('Content-Type'),
               size: `${image.naturalWidth}x${image.naturalHeight}` };
    }, new URL(icon.src, found.url).href);
    check(got.status === 200 && got.type === icon.type && (icon.sizes === 'any' || got.size === icon.sizes),
          `icon ${icon.src} (${icon.sizes}, ${icon.type}) is there: ${JSON.stringify(got)}`);
  }
}

// A server that has no worker for the page (one that serves the folder
// without it): the page still starts, and says why nothing is kept, with
// no uncaught error (the browser's own word on the missing script is
// printed, not checked).
async function refusedWorker(browser, copies) {
  const copy = fs.mkdtempSync('/tmp/vellorin-offline-');
  copies.push(copy);
  fs.cpSync(dist, copy, { recursive: true });
  fs.rmSync(path.join(copy, 'service-worker.js'));
  const server = await serveFolder(copy);
  const context = await browser.createBrowserContext();
  try {
    const page = await context.newPage();
    const warnings = [];
    const uncaught = [];
    page.on('console', (message) => {
      if (message.type() === 'warn')
        warnings.push(message.text());
      if (message.type() === 'error' || message.type() === 'warn')
        console.log(`page ${message.type()}: ${message.text()}`);
    });
    page.on('pageerror', (error) => uncaught.push(error.message));
    await visit(page, 'page load without a worker', () => page.goto(server.url));
    const told = () => warnings.some((w) => w.includes('not kept for offline use'));
    await waitFor('the page to take the refusal', () => told() || uncaught.length > 0);
    await new Promise((resolve) => setTimeout(resolve, 500));
    check(uncaught.length === 0, `no uncaught error in the page without a worker ${JSON.stringify(uncaught)}`);
    check(told(), 'the page says in its console that it is not kept for offline use');
    check(await instructionsUp(page), 'without a worker the program runs on');
  } finally {
    await context.close();
    server.close();
  }
}

finish(main);
