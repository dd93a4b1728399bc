// hobwise-solve for node: the native program's command line compiled to WebAssembly
// (hobwise-solve.cjs beside this file, from web/node/main.cpp).
//   node build-web/hobwise-solve.mjs --example --json
import { createRequire } from 'node:module';

createRequire(import.meta.url)('./hobwise-solve.cjs');
