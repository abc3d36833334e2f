// Loads the program into the page: shows how far the download is, starts
// it in the screen element, and says so when it ends or cannot start.
'use strict';

(function () {
  const screen = document.getElementById('screen');
  const status = document.getElementById('status');
  const message = document.getElementById('message');
  const progress = document.getElementById('progress');
  const again = document.getElementById('again');

  const say = (text) => { message.textContent = text; };
  const showStatus = () => { screen.hidden = true; status.hidden = false; };
  again.addEventListener('click', () => window.location.reload());

  // The program's own keys are not the browser's: F1 is its help, Alt+F and
  // Alt+H its menus, Enter its run (which may bring up the prompt). Qt
  // answers a key that opens a window or starts a run only after the key's
  // event is over, too late to keep the browser from acting on it; the
  // page does it first (the program still gets the key).
  window.addEventListener('keydown', (event) => {
    const key = event.key.toLowerCase();
    if (!screen.hidden && (key === 'f1' || key === 'enter' || (event.altKey && (key === 'f' || key === 'h'))))
      event.preventDefault();
  }, true);

  // The program downloaded with its progress shown, compiled as it arrives.
  async function compileWithProgress(url) {
    const response = await fetch(url);
    if (!response.ok)
      throw new Error(`${url} could not be loaded (${response.status} ${response.statusText})`);
    // A compressed transfer's length is not the program's; then the bar
    // only says that something is happening.
    const length = response.headers.get('Content-Encoding') ? 0 : Number(response.headers.get('Content-Length'));
    let received = 0;
    const counted = response.body.pipeThrough(new TransformStream({
      transform(chunk, controller) {
        received += chunk.byteLength;
        if (length > 0)
          progress.value = Math.min(received / length, 1);
        controller.enqueue(chunk);
      },
    }));
    const wasm = new Response(counted, { headers: { 'Content-Type': 'application/wasm' } });
    return WebAssembly.compileStreaming(wasm);
  }

  // Once the program runs, its files are kept in the browser for the next
  // visit, with or without a network (service-worker.js; browsers allow it
  // over https and on this machine's own addresses). Where the browser
  // refuses, the page works as before, from the network.
  async function keepForOffline() {
    if (!window.isSecureContext || !/^https?:$/.test(location.protocol) || !('serviceWorker' in navigator))
      return;
    try {
      await navigator.serviceWorker.register('service-worker.js', { updateViaCache: 'none' });
    } catch (error) {
      console.warn(`Vellorin is not kept for offline use: ${error.message}`);
    }
  }

  function ended(exit) {
    showStatus();
    progress.hidden = true;
    say(exit.crashed ? `Vellorin stopped because of an error${exit.text ? `: ${exit.text}` : '.'}`
                     : 'Vellorin has ended.');
    again.hidden = false;
    again.focus();
  }

  async function start() {
    if (typeof WebAssembly !== 'object' || typeof WebAssembly.compileStreaming !== 'function') {
      say('This browser cannot run Vellorin: it lacks WebAssembly. Current versions of Chrome, Edge, ' +
          'Firefox and Safari have it.');
      return;
    }
    say('Loading Vellorin…');
    progress.removeAttribute('value');
    progress.hidden = false;
    try {
      await qtLoad({
        qt: {
          module: compileWithProgress('vellorin.wasm'),
          containerElements: [screen],
          entryFunction: window.vellorin_entry,
          onLoaded: () => {
            status.hidden = true;
            screen.hidden = false;
            keepForOffline();
          },
          onExit: ended,
        },
      });
    } catch (error) {
      if (again.hidden)
        ended({ crashed: true, text: error.message });
    }
  }

  start();
})();
