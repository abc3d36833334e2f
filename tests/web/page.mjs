// What the test reads of the page: the program's windows as Qt puts them
// into it, the accessibility tree the browser builds, and whether keys
// reached the program or the browser.

// Each window on screen: its title, whether it is a dialog (a modal one
// over the main window), its frame and its client area (the canvas, menu
// bar included), in page pixels.
export function pageWindows(page) {
  return page.evaluate(() => {
    const root = document.querySelector('#qt-shadow-container')?.shadowRoot;
    if (!root)
      return [];
    const rect = (element) => {
      const r = element.getBoundingClientRect();
      return { x: r.x, y: r.y, width: Math.round(r.width), height: Math.round(r.height) };
    };
    return [...root.querySelectorAll('.qt-window')]
      .filter((w) => getComputedStyle(w).display !== 'none')
      .map((w, index, all) => ({
        title: w.querySelector('.window-name')?.textContent ?? '',
        dialog: !w.classList.contains('blocked') && all.some((other) => other.classList.contains('blocked')),
        frame: rect(w),
        client: rect(w.querySelector('canvas')),
      }));
  });
}

// The accessibility tree as a flat list of { role, name, value, description }:
// the browser's own where the protocol gives it (Chromium); otherwise
// (Firefox under WebDriver BiDi, WebKit under WebDriver) what the page's mirror of the widgets
// says of itself: the element's role, its ARIA name or text, its value.
export async function snapshotNodes(page) {
  if (page.browser().protocol !== 'cdp')
    return mirrorNodes(page);
  const tree = await page.accessibility.snapshot({ interestingOnly: false });
  const nodes = [];
  const walk = (node) => {
    if (!node)
      return;
    nodes.push({ role: node.role, name: node.name, value: node.value, description: node.description });
    (node.children || []).forEach(walk);
  };
  walk(tree);
  return nodes;
}

function mirrorNodes(page) {
  return page.evaluate(() => {
    const root = document.querySelector('#qt-shadow-container')?.shadowRoot;
    const roles = { BUTTON: 'button', INPUT: 'textbox', TEXTAREA: 'textbox', DIALOG: 'dialog' };
    return [...(root ? root.querySelectorAll('.qt-window-a11y-container > *') : [])]
      .filter((e) => e.getAttribute('aria-hidden') !== 'true' && (e.tagName !== 'DIALOG' || e.open))
      .map((e) => ({ role: e.getAttribute('role') || roles[e.tagName] || 'generic',
                     name: e.getAttribute('aria-label') || (e.tagName === 'TEXTAREA' ? '' : e.textContent),
                     value: 'value' in e && e.tagName !== 'BUTTON' ? e.value : undefined }));
  });
}

// Qt's mirror of the widgets for screen readers, turned on by its own
// (visually hidden) button as a screen reader user does, pressed without
// moving the keyboard focus. Resolves once Qt has taken its button away.
export async function enableScreenReader(page) {
  await page.evaluate(() => {
    const root = document.querySelector('#qt-shadow-container').shadowRoot;
    [...root.querySelectorAll('button')].find((b) => b.textContent === 'Enable Screen Reader').click();
  });
  for (const until = Date.now() + 5000; Date.now() < until;) {
    const on = await page.evaluate(() => ![...document.querySelector('#qt-shadow-container').shadowRoot
      .querySelectorAll('button')].some((b) => b.textContent === 'Enable Screen Reader'));
    if (on)
      return;
    await new Promise((resolve) => setTimeout(resolve, 25));
  }
  throw new Error('the "Enable Screen Reader" button stayed');
}

// Presses a button of the mirror as a screen reader does: the element's
// own click, with the keyboard focus left where it is. False when the
// mirror has no such button.
export function pressInMirror(page, name) {
  return page.evaluate((wanted) => {
    const root = document.querySelector('#qt-shadow-container')?.shadowRoot;
    const button = [...(root ? root.querySelectorAll('.qt-window-a11y-container button') : [])]
      .find((b) => (b.getAttribute('aria-label') || b.textContent) === wanted);
    button?.click();
    return Boolean(button);
  }, name);
}

// Counts the windows with the given title that come from now on: each one
// Qt adds to the page (even if it goes again at once), and each time one
// shows again after being hidden. Qt adds a window's element first and
// makes it a window (its class, its title) after, maybe a task later.
export async function countWindowsShown(page, title) {
  await page.evaluate((wanted) => {
    const root = document.querySelector('#qt-shadow-container').shadowRoot;
    const shown = (window.vellorinShown ??= {})[wanted] = { count: 0 };
    const isShown = (w) => w.isConnected && getComputedStyle(w).display !== 'none';
    const states = new Map([...root.querySelectorAll('.qt-window')].map((w) => [w, isShown(w) ? 'shown' : 'hidden']));
    const added = new Set();
    new MutationObserver((records) => {
      for (const record of records)
        for (const node of record.addedNodes)
          if (node.nodeType === Node.ELEMENT_NODE && !states.has(node))
            added.add(node);
      for (const node of added) {
        if (node.classList.contains('qt-window')) {
          states.set(node, 'new');
          added.delete(node);
        }
      }
      for (const [w, state] of states) {
        const now = isShown(w);
        const titled = w.querySelector('.window-name')?.textContent === wanted;
        if (titled && ((state === 'new' && (now || !w.isConnected)) || (state === 'hidden' && now)))
          shown.count += 1;
        if (state !== 'new' || titled || !w.isConnected)
          states.set(w, now ? 'shown' : 'hidden');
      }
    }).observe(root, { childList: true, subtree: true, attributes: true, characterData: true });
  }, title);
  return { count: () => page.evaluate((wanted) => window.vellorinShown[wanted].count, title) };
}

// The next text the page's announcement region says from now on.
export async function nextAnnouncement(page) {
  await page.evaluate(() => {
    const region = document.getElementById('vellorin-announcement');
    window.vellorinHeard = null;
    new MutationObserver(() => {
      if (window.vellorinHeard === null && region.textContent)
        window.vellorinHeard = region.textContent;
    }).observe(region, { childList: true, characterData: true, subtree: true });
  });
  return { heard: () => page.evaluate(() => window.vellorinHeard) };
}

// Records, for the keys the walk presses, whether the page's default
// action was prevented (the program took the key) once the event was
// through. report() gives { key: every press prevented }.
export async function keysReachProgram(page) {
  await page.evaluate(() => {
    window.vellorinKeys = {};
    window.addEventListener('keydown', (event) => {
      const name = [event.altKey && 'Alt', event.shiftKey && 'Shift', event.ctrlKey && 'Control', event.key]
        .filter(Boolean).join('+');
      setTimeout(() => {
        window.vellorinKeys[name] = (window.vellorinKeys[name] ?? true) && event.defaultPrevented;
      });
    }, true);
  });
  return { report: () => page.evaluate(() => window.vellorinKeys) };
}

// Times the next run from the Enter that starts it to the announcement of
// its results (both in the page's clock), and, where the browser reports
// long tasks (Chromium), how long the program held the thread meanwhile.
export async function timeNextRun(page) {
  await page.evaluate(() => {
    const region = document.getElementById('vellorin-announcement');
    const run = window.vellorinRun = { start: null, end: null, text: null, busy: 0, stretches: 0 };
    window.addEventListener('keydown', (event) => {
      if (event.key === 'Enter' && run.start === null)
        run.start = performance.now();
    }, true);
    new MutationObserver(() => {
      if (run.end === null && run.start !== null && region.textContent) {
        run.end = performance.now();
        run.text = region.textContent;
      }
    }).observe(region, { childList: true, characterData: true, subtree: true });
    if (PerformanceObserver.supportedEntryTypes.includes('longtask')) {
      new PerformanceObserver((list) => {
        for (const task of list.getEntries()) {
          run.busy += task.duration;
          run.stretches += 1;
        }
      }).observe({ type: 'longtask' });
    } else {
      run.stretches = null;
    }
  });
  return {
    finished: () => page.evaluate(() => window.vellorinRun.end !== null && window.vellorinRun),
  };
}
