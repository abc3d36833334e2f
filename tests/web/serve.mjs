// A static server for the built folder on 127.0.0.1, as any web server
// would serve it: files by path, with their content types.
import fs from 'node:fs';
import http from 'node:http';
import path from 'node:path';

const TYPES = { '.html': 'text/html; charset=utf-8', '.js': 'text/javascript', '.css': 'text/css',
                '.wasm': 'application/wasm', '.svg': 'image/svg+xml', '.txt': 'text/plain; charset=utf-8',
                '.webmanifest': 'application/manifest+json', '.png': 'image/png' };

export function serveFolder(folder) {
  const root = path.resolve(folder);
  const server = http.createServer((request, response) => sendFile(root, request, response));
  return new Promise((resolve) => server.listen(0, '127.0.0.1', () => {
    resolve({ url: `http://127.0.0.1:${server.address().port}/`, close: () => server.close() });
  }));
}

// A server on one address that can be switched to another folder, or stop
// answering (closed, as when the network is gone) and come back on the
// same address: what a returning visitor meets. Keeps the path of every
// request it answered, for the test to see what was downloaded.
export async function serveSwitchable(folder) {
  let root = path.resolve(folder);
  const requests = [];
  const server = http.createServer((request, response) => {
    requests.push(new URL(request.url, 'http://x').pathname);
    sendFile(root, request, response);
  });
  const listen = (port) => new Promise((resolve, reject) => {
    server.once('error', reject);
    server.listen(port, '127.0.0.1', () => {
      server.off('error', reject);
      resolve(server.address().port);
    });
  });
  const stop = () => new Promise((resolve) => {
    if (!server.listening)
      return resolve();
    server.close(() => resolve());
    server.closeAllConnections();
  });
  const port = await listen(0);
  return {
    url: `http://127.0.0.1:${port}/`,
    requests,
    stop,
    serve: async (next) => {
      root = path.resolve(next);
      if (!server.listening)
        await listen(port);
    },
    close: stop,
  };
}

function sendFile(root, request, response) {
  let file = path.join(root, decodeURIComponent(new URL(request.url, 'http://x').pathname));
  if (!file.startsWith(root))
    file = root; // outside the folder: answered as missing below
  if (fs.existsSync(file) && fs.statSync(file).isDirectory())
    file = path.join(file, 'index.html');
  if (!fs.existsSync(file) || !fs.statSync(file).isFile()) {
    response.writeHead(404).end();
    return;
  }
  response.writeHead(200, { 'Content-Type': TYPES[path.extname(file)] || 'application/octet-stream',
                            'Content-Length': fs.statSync(file).size });
  fs.createReadStream(file).pipe(response);
}
