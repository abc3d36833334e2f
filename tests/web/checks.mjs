// What the page's tests share: checks that report and let the test go on,
// so one run shows every fault; waiting for what the page comes to show;
// Debian's Chromium as the tests start it; the exit status at the end.

let failed = false;

export function check(condition, message) {
  console.log(`${condition ? 'ok' : 'FAIL'}: ${message}`);
  if (!condition)
    failed = true;
  return condition;
}

// Resolves with the probe's first true value; a step that cannot happen
// (a window that never comes) ends the test.
export async function waitFor(what, probe, timeoutMs = 15000) {
  const until = Date.now() + timeoutMs;
  for (;;) {
    const value = await probe();
    if (value)
      return value;
    if (Date.now() > until)
      throw new Error(`timed out waiting for ${what}`);
    await new Promise((resolve) => setTimeout(resolve, 25));
  }
}

// Headless, without the background connections this machine's closed
// network would refuse.
export const CHROMIUM = {
  browser: 'chrome', executablePath: '/usr/bin/chromium',
  args: ['--no-sandbox', '--disable-gpu', '--no-first-run', '--disable-background-networking',
         '--disable-component-update', '--disable-sync', '--disable-quic'],
};

// Runs the test and exits non-zero when any check failed or it stopped.
export function finish(test) {
  test().catch((error) => {
    failed = true;
    console.error(`FAIL: ${error.message}`);
  }).finally(() => process.exit(failed ? 1 : 0));
}
