// Builds the page from web/src and the engine's script:
//   OUT/hobwise.html        everything inlined in one file (opens from file://, offline)
//   OUT/site/index.html     the same page for serving, with the manifest and the
//   OUT/site/...            service worker that keeps it for offline use
//   OUT/hobwise-engine.cjs  the engine for node
//
//   node web/tools/bundle.mjs ENGINE.js OUT
//
// The page's modules are plain ES modules (node's tests import them as they are); for
// the page they are joined into one script: each module becomes a function that
// returns its exports, and `import { a, b as c } from './x.js'` takes them from there.
import { copyFileSync, mkdirSync, readFileSync, writeFileSync } from 'node:fs';
import { createHash } from 'node:crypto';
import { dirname, join, resolve } from 'node:path';
import { fileURLToPath } from 'node:url';

const WEB = resolve(dirname(fileURLToPath(import.meta.url)), '..');
const SRC = join(WEB, 'src');
const ICON = join(WEB, '..', 'data', 'hobwise.svg');

const IMPORT = /^import\s*\{([^}]*)\}\s*from\s*'\.\/([\w-]+\.js)';?\s*$/gm;
const EXPORT = /^export\s+(?:async\s+)?(?:function\*?|class|const|let)\s+([\w$]+)/gm;

// One module as a function body that returns its exports.
export function moduleBody(source, name) {
  for (const line of source.split('\n')) {
    const badImport = /^import\b/.test(line) && !/^import\s*\{[^}]*\}\s*from\s*'\.\/[\w-]+\.js';?\s*$/.test(line);
    const badExport = /^export\b/.test(line) && !/^export\s+(async\s+)?(function\*?|class|const|let)\s/.test(line);
    if (badImport || badExport)
      throw new Error(`${name}: only one-line "import { ... } from './x.js'" and "export function|class|const|let" are bundled`);
  }
  const exported = [...source.matchAll(EXPORT)].map((m) => m[1]);
  const body = source
    .replace(IMPORT, (_, names, from) => {
      const bindings = names.split(',').map((n) => n.trim()).filter(Boolean)
        .map((n) => n.replace(/^([\w$]+)\s+as\s+([\w$]+)$/, '$1: $2'));
      return `const { ${bindings.join(', ')} } = modules['${from}'];`;
    })
    .replace(/^export\s+/gm, '');
  return `${body}\nreturn { ${exported.join(', ')} };`;
}

// The modules reachable from `entry`, each after the ones it imports.
export function moduleOrder(entry, read) {
  const order = [];
  const seen = new Set();
  const visit = (name, path) => {
    if (seen.has(name)) return;
    if (path.includes(name)) throw new Error(`import cycle: ${[...path, name].join(' -> ')}`);
    const source = read(name);
    for (const m of source.matchAll(IMPORT)) visit(m[2], [...path, name]);
    seen.add(name);
    order.push({ name, source });
  };
  visit(entry, []);
  return order;
}

export function bundle(entry, read) {
  const parts = moduleOrder(entry, read).map(({ name, source }) =>
    `modules['${name}'] = (() => {\n${moduleBody(source, name)}\n})();`);
  return `(() => {\n'use strict';\nconst modules = {};\n${parts.join('\n')}\n})();\n`;
}

// A script's text made safe inside <script>...</script>.
const inline = (js) => js.replace(/<\/(script)/gi, '<\\/$1').replace(/<!--/g, '<\\!--');

function page(build, engine, head) {
  const read = (name) => readFileSync(join(SRC, name), 'utf8');
  const scripts = [
    `<script id="hobwise-engine">${inline(engine)}</script>`,
    `<script type="text/plain" id="hobwise-worker">${inline(read('worker.js'))}</script>`,
    `<script>${inline(bundle('app.js', read))}</script>`,
  ].join('\n');
  const fill = { '@BUILD@': build, '@HEAD@': head, '@STYLE@': read('style.css'), '@SCRIPTS@': scripts };
  return read('index.html').replace(/@(BUILD|HEAD|STYLE|SCRIPTS)@/g, (key) => fill[key]);
}

function serviceWorker(files, version) {
  return `// Keeps the page for offline use: everything at install, the cache first after.
const CACHE = 'hobwise-${version}';
const FILES = ${JSON.stringify(files)};
self.addEventListener('install', (e) => {
  e.waitUntil(caches.open(CACHE).then((c) => c.addAll(FILES)).then(() => self.skipWaiting()));
});
self.addEventListener('activate', (e) => {
  e.waitUntil(caches.keys()
    .then((keys) => Promise.all(keys.filter((k) => k !== CACHE).map((k) => caches.delete(k))))
    .then(() => self.clients.claim()));
});
self.addEventListener('fetch', (e) => {
  if (e.request.method !== 'GET') return;
  e.respondWith(caches.match(e.request, { ignoreSearch: true })
    .then((hit) => hit || fetch(e.request)));
});
`;
}

function manifest() {
  return JSON.stringify({
    name: 'Hobwise for Helicals without Differential',
    short_name: 'Hobwise',
    description: 'Change gears for cutting a helical gear on a hobbing machine without a differential',
    start_url: './',
    scope: './',
    display: 'standalone',
    background_color: '#eef2f5',
    theme_color: '#1f3b5c',
    icons: [{ src: 'hobwise.svg', sizes: 'any', type: 'image/svg+xml', purpose: 'any' }],
  }, null, 2);
}

export function build(enginePath, out) {
  const engine = readFileSync(enginePath, 'utf8');
  const icon = readFileSync(ICON);
  mkdirSync(join(out, 'site'), { recursive: true });
  const dataIcon = `<link rel="icon" href="data:image/svg+xml;base64,${icon.toString('base64')}">`;
  writeFileSync(join(out, 'hobwise.html'), page('single', engine, dataIcon));

  const index = page('site', engine,
    '<link rel="manifest" href="manifest.webmanifest">\n<link rel="icon" href="hobwise.svg">');
  writeFileSync(join(out, 'site', 'index.html'), index);
  writeFileSync(join(out, 'site', 'manifest.webmanifest'), manifest());
  writeFileSync(join(out, 'site', 'hobwise.svg'), icon);
  const version = createHash('sha256').update(index).update(manifest()).update(icon).digest('hex').slice(0, 12);
  writeFileSync(join(out, 'site', 'sw.js'),
    serviceWorker(['./', 'index.html', 'manifest.webmanifest', 'hobwise.svg'], version));

  copyFileSync(enginePath, join(out, 'hobwise-engine.cjs'));
}

if (process.argv[1] === fileURLToPath(import.meta.url)) {
  const [enginePath, out] = process.argv.slice(2);
  if (!enginePath || !out) {
    console.error('usage: node bundle.mjs ENGINE.js OUT');
    process.exit(2);
  }
  build(enginePath, out);
}
