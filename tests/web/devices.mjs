// The page on a touch tablet and on a phone, in Chromium's device
// emulation, driven by taps alone (typing goes through the page's text
// field, which brings up a touch device's keyboard): close the
// instructions, tap the box, type, tap the button, read the results, open
// Help from the menu and close it with its Close button, File > Exit. On
// every device the page never scrolls, and each window of the program
// stands whole on the program's screen where it fits.
//
// Usage: node devices.mjs path/to/dist
// Screenshots go to /tmp/vellorin-shots/web-<device>-*.png.
import { createRequire } from 'node:module';
import fs from 'node:fs';
import path from 'node:path';

import { CHROMIUM, check, finish, waitFor } from './checks.mjs';
import { serveFolder } from './serve.mjs';
import { pageWindows } from './page.mjs';

const require = createRequire(import.meta.url);
const puppeteer = require('puppeteer-core');

const [dist] = process.argv.slice(2);
if (!dist) {
  console.error('usage: node devices.mjs path/to/dist');
  process.exit(2);
}
const shots = '/tmp/vellorin-shots';
fs.mkdirSync(shots, { recursive: true });

const DEVICES = {
  tablet: { width: 834, height: 1194 },
  'phone-portrait': { width: 390, height: 844 },
  'phone-landscape': { width: 844, height: 390 },
};
// Where the design puts what is tapped (twips / 15), in a window's client
// area below its menu bar: the controls inside the Input frame of the main
// window, and each dialog's Close button.
const twips = (value) => value / 15;
const MAIN_CLIENT_HEIGHT = twips(6585);
const BOX = [twips(600 + 480 + 1575 / 2), twips(120 + 1080 + 420 / 2)];
const BUTTON = [twips(600 + 2205 + 1455 / 2), twips(120 + 960 + 615 / 2)];
const INSTRUCTIONS_CLOSE = [twips(3960 + 1215 / 2), twips(1560 + 495 / 2)];
const HELP_CLOSE = [twips(2160 + 1215 / 2), twips(6120 + 495 / 2)];



async function main() {
  const server = await serveFolder(dist);
  const browser = await puppeteer.launch({
    ...CHROMIUM, headless: true,
    userDataDir: fs.mkdtempSync('/tmp/vellorin-browser-'),
  });
  try {
    for (const [device, size] of Object.entries(DEVICES)) {
      const page = await browser.newPage();
      await page.setViewport({ ...size, isMobile: true, hasTouch: true, deviceScaleFactor: 1 });
      try {
        await walk(page, server.url, device);
      } catch (error) {
        check(false, `${device}: ${error.message}`);
      }
      await page.close();
    }
  } finally {
    await browser.close();
    server.close();
  }
}

const windowTitled = async (page, title) => (await pageWindows(page)).find((w) => w.title === title);

// No scrolling, and every window whole on the program's screen where it
// fits; one taller than the screen (the main window on a phone on its
// side) starts at the screen's top, with its title bar and controls.
async function checkWhole(page, device, step) {
  const page_ = await page.evaluate(() => ({
    width: innerWidth, height: innerHeight, scrollWidth: document.scrollingElement.scrollWidth,
    scrollHeight: document.scrollingElement.scrollHeight,
    screen: document.getElementById('screen').getBoundingClientRect().toJSON(),
  }));
  check(page_.scrollWidth <= page_.width && page_.scrollHeight <= page_.height,
        `${device}, ${step}: the page does not scroll (${page_.scrollWidth}x${page_.scrollHeight} in ` +
        `${page_.width}x${page_.height})`);
  const { screen } = page_;
  for (const w of await pageWindows(page)) {
    const across = w.frame.x >= screen.x && w.frame.x + w.frame.width <= screen.x + screen.width;
    const fits = w.frame.height <= screen.height;
    const down = fits ? w.frame.y >= screen.y && w.frame.y + w.frame.height <= screen.y + screen.height
                      : Math.abs(w.frame.y - screen.y) < 1;
    check(across && down, `${device}, ${step}: "${w.title}" at ${Math.round(w.frame.x)},${Math.round(w.frame.y)} ` +
          `(${w.frame.width}x${w.frame.height}) ${fits ? 'stands whole' : 'starts at the top'} on the ` +
          `${Math.round(screen.width)}x${Math.round(screen.height)} screen`);
  }
}

// A tap as a person makes it: a moment after what it answers has come on
// screen, or, `atOnce`, as soon as it is there.
async function tap(page, x, y, atOnce = false) {
  if (!atOnce)
    await new Promise((resolve) => setTimeout(resolve, 300));
  await page.touchscreen.tap(x, y);
}

// Taps a point of a window's client area (`below` its menu bar).
async function tapIn(page, title, [x, y], below = 0, atOnce = false) {
  const w = await windowTitled(page, title);
  await tap(page, w.client.x + x, w.client.y + below + y, atOnce);
}

async function walk(page, url, device) {
  const shoot = (name) => page.screenshot({ path: path.join(shots, `web-${device}-${name}.png`) });
  await page.goto(url);
  await waitFor('the instructions', () => windowTitled(page, 'Instructions'));
  await checkWhole(page, device, 'instructions');
  await shoot('instructions');
  await tapIn(page, 'Instructions', INSTRUCTIONS_CLOSE);
  await waitFor('the instructions to close', async () => !(await windowTitled(page, 'Instructions')));

  const main = await windowTitled(page, 'Vellorin');
  const menuBar = main.client.height - MAIN_CLIENT_HEIGHT;
  await tapIn(page, 'Vellorin', BOX, menuBar);
  const field = await page.evaluate(() => document.activeElement?.tagName);
  check(field === 'INPUT', `${device}: a tap on the box focuses the page's text field (${field})`);
  // Select what the box holds, as a long press does, then type over it.
  await page.keyboard.down('Control');
  await page.keyboard.press('a');
  await page.keyboard.up('Control');
  await page.keyboard.type('250000');
  await page.evaluate(() => { document.getElementById('vellorin-announcement').textContent = ''; });
  await tapIn(page, 'Vellorin', BUTTON, menuBar);
  const announced = await waitFor('the results', () => page.evaluate(
    () => document.getElementById('vellorin-announcement').textContent));
  const figures = Object.fromEntries(announced.split(', ').map((part) => part.split(': ')));
  check(Math.abs(Number(figures.Average) - 0.5) < 0.01, `${device}: a run of the typed 250,000 by taps: ${announced}`);
  await checkWhole(page, device, 'results');
  await shoot('results');

  // Help > Help from the menu bar, closed with its Close button.
  await tapIn(page, 'Vellorin', [48, menuBar / 2]);
  const menu = await waitFor('the Help menu', async () => (await pageWindows(page)).find((w) => !w.title));
  await shoot('menu');
  // Its second item, Help, below Instructions.
  await tap(page, menu.client.x + 30, menu.client.y + menu.client.height * 3 / 4);
  await waitFor('the help', () => windowTitled(page, 'Help'));
  await checkWhole(page, device, 'help');
  await shoot('help');
  // Its Close button, or where the page is too low for it, the close box
  // of its title bar.
  const help = await windowTitled(page, 'Help');
  const innerHeight = await page.evaluate(() => window.innerHeight);
  const closeButtonShown = help.client.y + HELP_CLOSE[1] < innerHeight;
  if (closeButtonShown)
    await tapIn(page, 'Help', HELP_CLOSE);
  else
    await tap(page, help.frame.x + help.frame.width - 14, help.frame.y + 13);
  const closed = await waitFor('the help to close', async () => !(await windowTitled(page, 'Help')))
    .catch(() => false);
  check(closed, `${device}: Help opened from the menu and closed with ${closeButtonShown ? 'its Close button'
                                                                                     : 'its close box'}`);

  // File > Exit, File tapped the moment Help has gone: a menu opened
  // before the program had resumed from Help's wait once took no taps.
  await tapIn(page, 'Vellorin', [17, menuBar / 2], 0, true);
  const fileMenu = await waitFor('the File menu', async () => (await pageWindows(page)).find((w) => !w.title));
  await tap(page, fileMenu.client.x + 20, fileMenu.client.y + fileMenu.client.height / 2);
  const ended = await waitFor('the page to say the program ended', () => page.evaluate(() => {
    const status = document.getElementById('status');
    return !status.hidden && status.innerText;
  }));
  check(/Vellorin has ended\./.test(ended), `${device}: File > Exit by taps ends the program`);
}

finish(main);
