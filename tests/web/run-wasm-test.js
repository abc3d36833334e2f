// Runs a Qt Test program built as WebAssembly under node, with this
// process's output and the program's exit status.
// Usage: node run-wasm-test.js path/to/tst_name.js [QTest arguments]
'use strict';

const path = require('path');

// Qt asks the browser for the user's languages (its system locale); node
// 20 has no navigator, so it gets a plain US English one.
globalThis.navigator ??= { language: 'en-US', languages: ['en-US'] };

const [program, ...testArguments] = process.argv.slice(2);
const entry = require(path.resolve(program));
let exited = false;
// Qt's programs start their main() when asked, as Qt's loader does.
entry({
  noInitialRun: true,
  print: (text) => process.stdout.write(`${text}\n`),
  printErr: (text) => process.stderr.write(`${text}\n`),
  onExit: (status) => {
    exited = true;
    process.exitCode = status;
  },
}).then((instance) => {
  try {
    instance.callMain(testArguments);
  } catch (error) {
    if (error !== 'unwind' && !(error && error.name === 'ExitStatus'))
      throw error;
  }
}).catch((error) => {
  console.error(`${program}: ${error.stack || error}`);
  process.exitCode = 1;
});
process.on('exit', () => {
  if (!exited) {
    console.error(`${program}: ended without an exit status`);
    process.exitCode = process.exitCode || 1;
  }
});
