// Runs a Qt Test program built as WebAssembly under node, with this
// process's output and the program's exit status.
// Usage: node run-wasm-test.js path/to/tst_name.js [QTest arguments]
'use strict';

const path = require('path');

const [program, ...testArguments] = process.argv.slice(2);
const entry = require(path.resolve(program));
let exited = false;
entry({
  arguments: testArguments,
  print: (text) => process.stdout.write(`${text}\n`),
  printErr: (text) => process.stderr.write(`${text}\n`),
  onExit: (status) => {
    exited = true;
    process.exitCode = status;
  },
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
