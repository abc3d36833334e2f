// A long run on a slow machine, in headless Chromium with its CPU slowed
// down through the DevTools protocol (as on a slow Chromebook or phone):
// the page gets frames during the run and "Working..." shows; F1 at one of
// the run's yields opens Help with the run waiting beneath, Alt+H opens the
// Help menu while it goes on; once either is closed with Esc the run
// finishes with its results right, and the next run works too. Each case
// is repeated, at each slow-down rate, in a row.
//
// Usage: node slow-run.mjs path/to/dist [repeats]
import { createRequire } from 'node:module';
import fs from 'node:fs';

import { CHROMIUM, check, finish, waitFor } from './checks.mjs';
import { serveFolder } from './serve.mjs';
import { pageWindows, snapshotNodes } from './page.mjs';

const require = createRequire(import.meta.url);
const puppeteer = require('puppeteer-core');

const [dist, repeatsArgument] = process.argv.slice(2);
if (!dist) {
  console.error('usage: node slow-run.mjs path/to/dist [repeats]');
  process.exit(2);
}
const repeats = Number(repeatsArgument ?? 3);
// This machine runs 10,000,000 draws in about 50 ms; Chromium's slow-down
// is not in proportion, and the run needs to outlast a few of its turns
// (one every 200 ms) for a window to open at one of them.
const RATES = [40, 100];
const DRAWS = 10000000;



async function main() {
  const server = await serveFolder(dist);
  const browser = await puppeteer.launch({
    ...CHROMIUM, headless: true,
    defaultViewport: { width: 1024, height: 768 }, userDataDir: fs.mkdtempSync('/tmp/vellorin-browser-'),
  });
  try {
    const page = await browser.newPage();
    const errors = [];
    page.on('pageerror', (error) => errors.push(error.message));
    page.on('console', (message) => {
      if (message.type() === 'error')
        errors.push(message.text());
    });
    await page.goto(server.url);
    await waitFor('the instructions', async () => (await pageWindows(page)).some((w) => w.title === 'Instructions'));
    await page.keyboard.press('Escape');
    await waitFor('the instructions to close', async () => (await pageWindows(page)).length === 1);
    await watchRuns(page);
    // The mirror shows what the program shows, "Working..." among it.
    await page.evaluate(() => {
      const root = document.querySelector('#qt-shadow-container').shadowRoot;
      [...root.querySelectorAll('button')].find((b) => b.textContent === 'Enable Screen Reader').click();
    });

    const cdp = await page.createCDPSession();
    for (const rate of RATES) {
      await cdp.send('Emulation.setCPUThrottlingRate', { rate });
      for (const opener of ['F1', 'Alt+H']) {
        // A run that ends before its first turn (the slow-down is not
        // steady) has no yield to open a window at; it is run again.
        let passed = 0;
        let runs = 0;
        for (let attempt = 1; runs < repeats && attempt <= repeats + 3; ++attempt) {
          const outcome = await runWithWindowAtYield(page, cdp, rate, opener);
          if (outcome === 'no turn')
            continue;
          runs += 1;
          passed += outcome ? 1 : 0;
        }
        check(runs === repeats && passed === repeats,
              `CPU ${rate}x slower, ${opener} at a yield: ${passed} of ${repeats} runs in a row finished right`);
      }
    }
    await cdp.send('Emulation.setCPUThrottlingRate', { rate: 1 });
    check(errors.length === 0, `no error in the console${errors.length ? `: ${errors.join(' | ')}` : ''}`);
  } finally {
    await browser.close();
    server.close();
  }
}

// Counts the page's frames and notes whether "Working..." was in the
// mirror, from each Enter to the announcement of its results.
async function watchRuns(page) {
  await page.evaluate(() => {
    const region = document.getElementById('vellorin-announcement');
    const root = document.querySelector('#qt-shadow-container').shadowRoot;
    const state = window.vellorinSlow = { running: false, frames: 0, working: false, results: null, runs: 0 };
    window.addEventListener('keydown', (event) => {
      if (event.key === 'Enter' && !state.running) {
        Object.assign(state, { running: true, frames: 0, working: false, results: null });
        region.textContent = '';
      }
    }, true);
    const frame = () => {
      if (state.running) {
        state.frames += 1;
        state.working ||= [...root.querySelectorAll('*')].some((e) => e.textContent === 'Working...'
                                                                      || e.value === 'Working...');
      }
      requestAnimationFrame(frame);
    };
    requestAnimationFrame(frame);
    new MutationObserver(() => {
      if (state.running && region.textContent) {
        state.running = false;
        state.results = region.textContent;
        state.runs += 1;
      }
    }).observe(region, { childList: true, characterData: true, subtree: true });
  });
}

const slow = (page) => page.evaluate(() => ({ ...window.vellorinSlow }));

// The chord as one key event with its modifier, as the browser hands it
// to the page, so that it comes whole at one yield.
async function pressChord(cdp, chord) {
  const keys = { F1: { key: 'F1', code: 'F1', windowsVirtualKeyCode: 112, modifiers: 0 },
                 'Alt+H': { key: 'h', code: 'KeyH', windowsVirtualKeyCode: 72, modifiers: 1 } };
  await cdp.send('Input.dispatchKeyEvent', { type: 'rawKeyDown', ...keys[chord] });
  await cdp.send('Input.dispatchKeyEvent', { type: 'keyUp', ...keys[chord] });
}

// One run of 10,000,000 with a window opened at one of its yields and
// closed again; true when every step went as a user expects, 'no turn'
// when the run ended before its first turn.
async function runWithWindowAtYield(page, cdp, rate, opener) {
  const label = `CPU ${rate}x slower, ${opener}`;
  await page.keyboard.down('Control');
  await page.keyboard.press('a');
  await page.keyboard.up('Control');
  await page.keyboard.type(String(DRAWS));
  // Sent together: the browser holds the second key while the run has the
  // thread, and hands it to the page at the run's first yield.
  await Promise.all([page.keyboard.press('Enter'), pressChord(cdp, opener)]);
  let ok = true;
  if (opener === 'F1') {
    const opened = await waitFor('the help', async () => (await pageWindows(page)).some((w) => w.title === 'Help'),
                                 60000).catch(() => false);
    const state = await slow(page);
    if (opened && state.results && state.frames === 0) {
      console.log(`${label}: the run ended before its first turn; run again`);
      await page.keyboard.press('Escape');
      await waitFor('the help to close', async () => (await pageWindows(page)).length === 1);
      return 'no turn';
    }
    ok = check(opened, `${label}: Help opens at a yield`) && ok;
    ok = check(state.results === null, `${label}: the run waits beneath Help`) && ok;
  } else {
    // The menu's list is a window of its own, with no title.
    const opened = await waitFor('the menu', async () => (await pageWindows(page)).length > 1, 60000)
      .catch(() => false);
    // A menu is no modal window: the run goes on drawing while it is open.
    ok = check(opened, `${label}: the Help menu opens at a yield`) && ok;
  }
  await page.keyboard.press('Escape');
  if (opener === 'Alt+H')
    await page.keyboard.press('Escape'); // the second leaves the menu bar
  const results = await waitFor('the results', async () => (await slow(page)).results, 120000).catch(() => null);
  if (!check(results, `${label}: the run finishes after Esc`))
    return false;
  const state = await slow(page);
  if (state.frames === 0) {
    console.log(`${label}: the run ended before its first turn; run again`);
    return 'no turn';
  }
  ok = check(state.working, `${label}: ${state.frames} frames during the run, ` +
                                                `"Working..." ${state.working ? 'seen' : 'not seen'}`) && ok;
  ok = checkAnnouncedResults(label, results) && ok;
  ok = check((await snapshotNodes(page)).some((n) => n.name === 'Sample size' && n.value === '10,000,000'),
             `${label}: the box reads 10,000,000`) && ok;
  return ok;
}

// "Average: 0.50012, Biggest: 0.99999, Smallest: 0.00000, 0.0 to 0.2: %20.0123, ..."
function checkAnnouncedResults(label, text) {
  const figures = Object.fromEntries(text.split(', ').map((part) => part.split(': ')));
  const average = Number(figures.Average);
  const shares = ['0.0 to 0.2', '0.2 to 0.4', '0.4 to 0.6', '0.6 to 0.8', '0.8 to 1.0']
    .map((name) => Number((figures[name] ?? '').slice(1)));
  const total = shares.reduce((sum, share) => sum + share, 0);
  return check(Math.abs(average - 0.5) < 0.001 && shares.every((share) => Math.abs(share - 20) < 0.1)
               && Math.abs(total - 100) < 0.001 && Number(figures.Biggest) > 0.999
               && Number(figures.Smallest) < 0.001,
               `${label}: results right (${text})`);
}

finish(main);
