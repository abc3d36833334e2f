// End-to-end test of the web page in a headless browser, driven with the
// keyboard only: the page is served from the built folder on 127.0.0.1,
// the program is read through what the page shows (its windows, by their
// title bars) and through the accessibility tree the browser builds from
// Qt's mirror of the widgets. Prints the timings a user feels; exits
// non-zero with a message on the first failure. Chromium and Firefox are
// driven by puppeteer-core, WebKit (WebKitGTK's MiniBrowser, needing a
// display: run it under xvfb-run) by WebDriver through webdriver.mjs.
//
// Usage: node e2e.mjs chromium|firefox|webkit path/to/dist
// Screenshots go to /tmp/vellorin-shots/web-<browser>-*.png.
import { createRequire } from 'node:module';
import fs from 'node:fs';
import path from 'node:path';

import { CHROMIUM, check, finish, waitFor } from './checks.mjs';
import { serveFolder } from './serve.mjs';
import { countWindowsShown, enableScreenReader, keysReachProgram, nextAnnouncement, pageWindows, pressInMirror,
         snapshotNodes, timeNextRun } from './page.mjs';
import { launchWebKit } from './webdriver.mjs';

const require = createRequire(import.meta.url);
const puppeteer = require('puppeteer-core');

const [browserName, dist] = process.argv.slice(2);
const browsers = {
  chromium: CHROMIUM,
  firefox: { browser: 'firefox', executablePath: '/usr/bin/firefox-esr', args: [] },
};
if (!(browsers[browserName] || browserName === 'webkit') || !dist) {
  console.error('usage: node e2e.mjs chromium|firefox|webkit path/to/dist');
  process.exit(2);
}
const shots = '/tmp/vellorin-shots';
fs.mkdirSync(shots, { recursive: true });

// Where the design puts the windows on its 800 x 600 screen (twips / 15):
// the dialogs' client areas, and the main window's client area size.
const INSTRUCTIONS = { at: [3375 / 15, 3555 / 15], size: [5280 / 15, 2160 / 15] };
const HELP = { at: [3255 / 15, 1560 / 15], size: [5535 / 15, 6645 / 15] };
const MAIN_CLIENT = [Math.floor(5295 / 15), Math.floor(6585 / 15)];



async function main() {
  const server = await serveFolder(dist);
  if (browserName === 'webkit') {
    try {
      const webkit = await launchWebKit({ viewport: { width: 1024, height: 768 } });
      console.log(`browser: ${webkit.version}`);
      try {
        await run(webkit.page, server.url, () => webkit.page.errors());
      } finally {
        await webkit.close();
      }
    } finally {
      server.close();
    }
    return;
  }
  const browser = await puppeteer.launch({
    ...browsers[browserName], headless: true, defaultViewport: { width: 1024, height: 768 },
    userDataDir: fs.mkdtempSync('/tmp/vellorin-browser-'),
  });
  try {
    const page = await browser.newPage();
    const errors = [];
    page.on('console', (message) => {
      if (message.type() === 'error' || message.type() === 'warn')
        console.log(`page ${message.type()}: ${message.text()}`);
      if (message.type() === 'error')
        errors.push(`console error: ${message.text()}`);
    });
    page.on('pageerror', (error) => {
      const text = error instanceof Error ? error.message : String(error); // a thrown string is no Error
      console.log(`page error: ${text}`);
      errors.push(`uncaught: ${text}`);
    });
    await run(page, server.url, async () => errors);
  } finally {
    await browser.close();
    server.close();
  }
}

const shoot = (page, name) => page.screenshot({ path: path.join(shots, `web-${browserName}-${name}.png`) });
const windowTitled = async (page, title) => (await pageWindows(page)).find((w) => w.title === title);
const titles = async (page) => (await pageWindows(page)).map((w) => w.title).sort().join(', ');

// pageErrors() gives the page's uncaught errors and console errors so far.
async function run(page, url, pageErrors) {
  const loadStarted = Date.now();
  await page.goto(url);
  check(await page.title() === 'Vellorin', 'the page is titled "Vellorin"');
  const instructions = await waitFor('the instructions', () => windowTitled(page, 'Instructions'), 30000);
  console.log(`timing: page load -> instructions on screen: ${Date.now() - loadStarted} ms`);
  const main = await windowTitled(page, 'Vellorin');
  check(main, 'the main window is on screen behind the instructions');
  await shoot(page, 'instructions');

  // Places: the main window whole and centred on the design's screen, the
  // dialog's client area at its place on that screen.
  check(main.client.width === MAIN_CLIENT[0] && main.client.height >= MAIN_CLIENT[1],
        `main window client area ${main.client.width}x${main.client.height} at its design size`);
  const screen = await page.evaluate(() => {
    const r = document.getElementById('screen').getBoundingClientRect();
    return { x: r.x, y: r.y, width: r.width, height: r.height, page: [innerWidth, innerHeight],
             scrolls: document.scrollingElement.scrollHeight > innerHeight
                      || document.scrollingElement.scrollWidth > innerWidth };
  });
  check(!screen.scrolls, 'no scroll bars at 1024x768');
  // The window is centred as it comes, and once more by its frame when the
  // frame has come: on a busy machine the instructions can be up before
  // that second step.
  let mainMiddle;
  const centred = await waitFor('the main window centred by its frame', async () => {
    const { frame } = await windowTitled(page, 'Vellorin');
    mainMiddle = [frame.x + frame.width / 2 - screen.x, frame.y + frame.height / 2 - screen.y];
    return Math.abs(mainMiddle[0] - 400) <= 1 && Math.abs(mainMiddle[1] - 300) <= 1;
  }, 3000).catch(() => false);
  check(centred, `main window centred on the 800x600 screen (its middle at ${mainMiddle?.map(Math.round)})`);
  for (const [w, design] of [[instructions, INSTRUCTIONS]]) {
    const at = [Math.round(w.client.x - screen.x), Math.round(w.client.y - screen.y)];
    check(at[0] === Math.floor(design.at[0]) && at[1] === Math.floor(design.at[1])
          && w.client.width === Math.floor(design.size[0]) && w.client.height === Math.floor(design.size[1]),
          `"${w.title}" client area at ${at} size ${w.client.width}x${w.client.height}`);
  }

  // Esc closes the instructions. Every key of this walk reaches the
  // program and not the browser.
  const keys = await keysReachProgram(page);
  await page.keyboard.press('Escape');
  await waitFor('the instructions to close', async () => !(await windowTitled(page, 'Instructions')));
  check(await titles(page) === 'Vellorin', 'Esc closed the instructions; the main window stays');

  // A run of 10,000,000 typed into the box, started with Enter.
  await selectAllAndType(page, '10000000');
  const run = await timeNextRun(page);
  await page.keyboard.press('Enter');
  const timing = await waitFor('the results', run.finished, 60000);
  await new Promise((resolve) => setTimeout(resolve, 200)); // the last long task's report
  const { start, end, busy, stretches } = await run.finished();
  console.log(`timing: Enter -> results for 10,000,000 draws: ${(end - start).toFixed(0)} ms`);
  if (stretches)
    console.log(`timing: the page had the thread for ${Math.max(0, end - start - busy).toFixed(0)} ms of the run, ` +
                `between ${stretches} stretches of drawing`);
  await shoot(page, 'results');

  // A screen reader user turns the mirror on whenever they arrive, here
  // after the first run: it is whole at once, with what is on screen.
  await enableScreenReader(page);
  await checkResults(page, timing.text, 10000000, 'the mirror turned on after a run');
  await shoot(page, 'mirror-on');

  // The button pressed through the tree runs the command, and the tree
  // then holds the new results, none left from the run before.
  const heard = await nextAnnouncement(page);
  const pressed = await pressInMirror(page, 'Create Random Numbers');
  check(pressed, 'the button "Create Random Numbers" can be pressed through the tree');
  if (pressed) {
    const announced = await waitFor('the results of the press', heard.heard, 60000).catch(() => null);
    check(announced, 'pressing the button through the tree runs the command (new results are announced)');
    if (announced)
      await checkResults(page, announced, 10000000, 'after the press through the tree');
  }

  // "abc" brings the prompt, once; it takes "500" typed at once, then Enter.
  await selectAllAndType(page, 'abc');
  const prompts = await countWindowsShown(page, 'Vellorin');
  await page.keyboard.press('Enter');
  const prompt = await waitFor('the prompt', async () => (await pageWindows(page)).find((w) => w.title === 'Vellorin'
                                                                                         && w.dialog));
  check(prompt, 'a refused size brings the prompt');
  await shoot(page, 'prompt');
  check(await treeHas(page, 'dialog', 'Vellorin'), 'the prompt is in the accessibility tree as a dialog');
  const boxAtPrompt = await boxText(page);
  check(boxAtPrompt === 'abc', `the box reads "abc" while the prompt is up (it reads "${boxAtPrompt}")`);
  await page.keyboard.type('500');
  await page.keyboard.press('Enter');
  await waitFor('the prompt to close', async () => !(await pageWindows(page)).some((w) => w.dialog));
  // A prompt that came again would come within the run's first moments.
  await new Promise((resolve) => setTimeout(resolve, 1500));
  const promptAgain = (await pageWindows(page)).some((w) => w.dialog);
  const shown = await prompts.count();
  check(!promptAgain && shown === 1, `the prompt came once (it came ${shown} times${promptAgain ? ', and is up again' : ''})`);
  if (promptAgain) { // answered, so that the walk goes on
    await page.keyboard.type('500');
    await page.keyboard.press('Enter');
    await waitFor('the prompt to close', async () => !(await pageWindows(page)).some((w) => w.dialog));
  }
  const box = await waitFor('the box to read 500', async () => (await boxText(page)) === '500', 5000).catch(() => false);
  check(box, `the box reads "500" after the answer, typed with no click (it reads "${await boxText(page)}")`);

  // F1 opens Help at its place; Esc closes it.
  await page.keyboard.press('F1');
  const help = await waitFor('the help', () => windowTitled(page, 'Help'));
  await shoot(page, 'help');
  check(await treeHas(page, 'dialog', 'Help'), 'the help is in the accessibility tree as a dialog');
  const screenAt = await page.evaluate(() => document.getElementById('screen').getBoundingClientRect().toJSON());
  const helpAt = [Math.round(help.client.x - screenAt.x), Math.round(help.client.y - screenAt.y)];
  check(helpAt[0] === Math.floor(HELP.at[0]) && helpAt[1] === Math.floor(HELP.at[1])
        && help.client.width === Math.floor(HELP.size[0]) && help.client.height === Math.floor(HELP.size[1]),
        `"Help" client area at ${helpAt} size ${help.client.width}x${help.client.height}`);
  await page.keyboard.press('Escape');
  await waitFor('the help to close', async () => !(await windowTitled(page, 'Help')));

  // Shift+F1 brings the instructions back; Tab stays in the dialog; Esc.
  await page.keyboard.down('Shift');
  await page.keyboard.press('F1');
  await page.keyboard.up('Shift');
  await waitFor('the instructions', () => windowTitled(page, 'Instructions'));
  check(await treeHas(page, 'dialog', 'Instructions'), 'the instructions are in the accessibility tree as a dialog');
  await page.keyboard.press('Tab');
  await page.keyboard.press('Escape');
  await waitFor('the instructions to close', async () => !(await windowTitled(page, 'Instructions')));

  // Alt+H opens the Help menu, Esc closes it.
  await page.keyboard.down('Alt');
  await page.keyboard.press('h');
  await page.keyboard.up('Alt');
  await page.keyboard.press('Escape');
  await page.keyboard.press('Escape');

  // File > Exit: the program ends and the page says so. In Chromium, whose
  // CPU the DevTools protocol slows down, Exit comes during a long run, at
  // one of its yields (a modal loop is not the only caller that waits): the
  // run stops there and never shows its results. X follows Alt+F at once,
  // before the menu is on screen, so it must reach the menu, not the box.
  const slowRun = browserName === 'chromium' ? await startSlowRun(page) : null;
  await page.keyboard.down('Alt');
  await page.keyboard.press('f');
  await page.keyboard.up('Alt');
  await page.keyboard.press('x');
  const ended = await waitFor('the page to say the program ended', () => page.evaluate(() => {
    const status = document.getElementById('status');
    return !status.hidden && document.getElementById('screen').hidden && status.innerText;
  }));
  check(/Vellorin has ended\./.test(ended) && /Start Vellorin again/.test(ended),
        'after File > Exit the page says "Vellorin has ended." and offers to start again');
  if (slowRun) {
    await slowRun.cdp.send('Emulation.setCPUThrottlingRate', { rate: 1 });
    check(!(await slowRun.run.finished()), 'File > Exit during a slow run: the run never showed its results');
  }
  await shoot(page, 'ended');

  // Nothing went wrong in the page from its load to the program's end (an
  // error that comes as the program ends comes within a moment).
  await new Promise((resolve) => setTimeout(resolve, 1000));
  const errors = await pageErrors();
  check(errors.length === 0, `no uncaught error and no console error from load to File > Exit${
    errors.length ? `; the page had:\n  ${errors.join('\n  ')}` : ''}`);

  const reached = await keys.report();
  for (const key of ['F1', 'Shift+F1', 'Alt+f', 'Alt+h', 'Escape', 'Enter', 'Tab'])
    check(reached[key] === true, `${key} reached the program, not the browser`);
}

// Starts a run of 10,000,000 with the CPU 100 times slower, so that it
// lasts seconds and yields to the page, and returns once it is under way.
async function startSlowRun(page) {
  await selectAllAndType(page, '10000000');
  const run = await timeNextRun(page);
  const cdp = await page.createCDPSession();
  await cdp.send('Emulation.setCPUThrottlingRate', { rate: 100 });
  await page.keyboard.press('Enter');
  await new Promise((resolve) => setTimeout(resolve, 300));
  return { cdp, run };
}

async function treeHas(page, role, name) {
  return (await snapshotNodes(page)).some((node) => node.role === role && node.name === name);
}

async function selectAllAndType(page, text) {
  await page.keyboard.down('Control');
  await page.keyboard.press('a');
  await page.keyboard.up('Control');
  await page.keyboard.type(text);
}

// What the box holds, read from the accessibility tree.
async function boxText(page) {
  const box = (await snapshotNodes(page)).find((n) => n.name === 'Sample size');
  return box?.value ?? '';
}

// The results as an announcement says them: "Average: 0.50012, ...".
function announcedResults(announced) {
  return Object.fromEntries(announced.split(', ').map((part) => {
    const at = part.lastIndexOf(': ');
    return [part.slice(0, at), part.slice(at + 2)];
  }));
}

// The tree as a screen reader reads it after a run: the button, the box
// reading the size, every result label named as on screen and valued in
// the program's formats, each value the one announced; the average of a
// large run near 0.5, the shares about 100 %.
async function checkResults(page, announced, draws, when) {
  const nodes = await snapshotNodes(page);
  check(nodes.some((n) => n.role === 'button' && n.name === 'Create Random Numbers'),
        `${when}: the button "Create Random Numbers" is in the accessibility tree`);
  const shownSize = Number(draws).toLocaleString('en-US');
  const box = nodes.find((n) => n.name === 'Sample size');
  check(box && box.value === shownSize,
        `${when}: the box is in the accessibility tree as "Sample size", reading "${box?.value ?? ''}" (wanted "${shownSize}")`);
  if (process.env.VELLORIN_DUMP_TREE && page.accessibility)
    fs.writeFileSync(process.env.VELLORIN_DUMP_TREE, JSON.stringify(await page.accessibility.snapshot({ interestingOnly: false }), null, 1));
  const value = (name) => nodes.find((n) => n.description === name || n.name === name);
  console.log(`announcement: ${announced}`);
  const heard = announcedResults(announced);
  const figures = {};
  for (const name of ['Average', 'Biggest', 'Smallest']) {
    const node = value(name);
    check(node && /^[01]\.\d{5}$/.test(node.value), `${when}: ${name} is in the tree as "${node?.value}"`);
    check(node && node.value === heard[name], `${when}: ${name} in the tree is the announced "${heard[name]}"`);
    figures[name] = Number(node?.value);
  }
  check(Math.abs(figures.Average - 0.5) < 0.001, `${when}: the average of ${draws} draws is within 0.001 of 0.5`);
  let total = 0;
  for (const name of ['0.0 to 0.2', '0.2 to 0.4', '0.4 to 0.6', '0.6 to 0.8', '0.8 to 1.0']) {
    const node = value(name);
    check(node && /^%\d{1,3}\.\d{0,4}$/.test(node.value), `${when}: ${name} share is in the tree as "${node?.value}"`);
    check(node && node.value === heard[name], `${when}: ${name} share in the tree is the announced "${heard[name]}"`);
    total += Number(node?.value?.slice(1));
  }
  check(Math.abs(total - 100) < 0.001, `${when}: the shares add up to 100 (${total.toFixed(4)})`);
}

finish(main);
