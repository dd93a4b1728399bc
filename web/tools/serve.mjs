// Serves a folder (the built site) on this machine only, at 127.0.0.1.
//
//   node web/tools/serve.mjs FOLDER [PORT]      (PORT 0 or none: a free one)
import { existsSync, readFileSync, statSync } from 'node:fs';
import { createServer } from 'node:http';
import { extname, join, normalize, resolve, sep } from 'node:path';
import { fileURLToPath } from 'node:url';

const TYPES = {
  '.html': 'text/html; charset=utf-8', '.js': 'text/javascript', '.svg': 'image/svg+xml',
  '.webmanifest': 'application/manifest+json', '.css': 'text/css',
};

// Resolves to {url, close} once the server listens.
export function serve(folder, port = 0) {
  const root = resolve(folder);
  const server = createServer((req, res) => {
    let path;
    try {
      path = normalize(join(root, decodeURIComponent(new URL(req.url, 'http://localhost').pathname)));
    } catch {
      res.writeHead(400).end();
      return;
    }
    const file = path.endsWith(sep) || path === root ? join(path, 'index.html') : path;
    if (!file.startsWith(root + sep) || !existsSync(file) || !statSync(file).isFile()) {
      res.writeHead(404).end();
      return;
    }
    res.writeHead(200, { 'content-type': TYPES[extname(file)] ?? 'application/octet-stream', 'cache-control': 'no-cache' });
    res.end(readFileSync(file));
  });
  return new Promise((done, fail) => {
    server.once('error', fail);
    server.listen(port, '127.0.0.1', () =>
      done({ url: `http://127.0.0.1:${server.address().port}/`, close: () => new Promise((r) => server.close(r)) }));
  });
}

if (process.argv[1] === fileURLToPath(import.meta.url)) {
  const [folder, port] = process.argv.slice(2);
  if (!folder) {
    console.error('usage: node serve.mjs FOLDER [PORT]');
    process.exit(2);
  }
  const { url } = await serve(folder, Number(port ?? 0));
  console.log(`Serving ${resolve(folder)} at ${url} (Ctrl+C ends)`);
}
