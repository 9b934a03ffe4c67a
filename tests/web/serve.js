// A small static file server for dist/web on 127.0.0.1, for trying the game
// (scripts/serve-web.sh) and for the browser tests. Compresses with gzip
// when the browser asks, as any web host would.
'use strict';
const http = require('http');
const fs = require('fs');
const path = require('path');
const zlib = require('zlib');

const TYPES = {
  '.html': 'text/html; charset=utf-8',
  '.js': 'text/javascript; charset=utf-8',
  '.css': 'text/css; charset=utf-8',
  '.wasm': 'application/wasm',
  '.data': 'application/octet-stream',
  '.woff2': 'font/woff2',
  '.png': 'image/png',
  '.txt': 'text/plain; charset=utf-8',
  '.webmanifest': 'application/manifest+json',
};

// options.missing: names (relative to the site) answered with 404, to try
// the game without one of its files.
function startServer(root, port, options = {}) {
  const missing = new Set(options.missing || []);
  const server = http.createServer((request, response) => {
    let name = decodeURIComponent(new URL(request.url, 'http://x').pathname).replace(/^\/+/, '');
    if (name === '' || name.endsWith('/')) name += 'index.html';
    const file = path.resolve(root, name);
    if (!file.startsWith(path.resolve(root) + path.sep) || missing.has(name)) {
      response.writeHead(404);
      return response.end();
    }
    fs.readFile(file, (error, body) => {
      if (error) {
        response.writeHead(404);
        return response.end();
      }
      const headers = { 'Content-Type': TYPES[path.extname(file)] || 'application/octet-stream', 'Cache-Control': 'no-cache' };
      if (/\bgzip\b/.test(request.headers['accept-encoding'] || '')) {
        body = zlib.gzipSync(body, { level: 6 });
        headers['Content-Encoding'] = 'gzip';
      }
      headers['Content-Length'] = body.length;
      response.writeHead(200, headers);
      response.end(request.method === 'HEAD' ? undefined : body);
    });
  });
  return new Promise((resolve, reject) => {
    server.once('error', reject);
    server.listen(port, '127.0.0.1', () => resolve(server));
  });
}

module.exports = { startServer };

if (require.main === module) {
  const [root = 'dist/web', port = '8642'] = process.argv.slice(2);
  startServer(root, Number(port)).then(() => console.log(`serving ${root} on http://127.0.0.1:${port}/`));
}
