// kasanemi-dwg-converter IN.dwg OUT.dxf: Kasanemi CAD's DWG reader, run as
// `node --liftoff-only` (without it V8 optimises the large WebAssembly module
// for most of a minute). Writes the drawing as DXF text to OUT.dxf; on
// failure writes nothing there and one line to stderr.
//
// Exit codes: 0 converted; 2 bad arguments or a file it cannot read or write;
// 3 the library refused the drawing; 4 the library crashed on it;
// 5 the library package is not installed.

import fs from 'node:fs';
import path from 'node:path';
import { fileURLToPath } from 'node:url';

const PACKAGE = '@mlightcad/libredwg-web';
const here = path.dirname(fileURLToPath(import.meta.url));

function fail(code, message) {
  process.stderr.write(`${message.replace(/\s+/g, ' ')}\n`);
  process.exit(code);
}

const [input, output] = process.argv.slice(2);
if (!input || !output || process.argv.length !== 4)
  fail(2, 'usage: kasanemi-dwg-converter IN.dwg OUT.dxf');

let library;
try {
  library = await import(PACKAGE);
} catch (error) {
  fail(5, `the package ${PACKAGE} is not installed in ${here} (run npm ci there)`);
}
const { convertDwg, RefusedDrawing } = await import('./lib/convert.mjs');

let dwg;
try {
  dwg = fs.readFileSync(input);
} catch (error) {
  fail(2, `cannot read ${input}: ${error.message}`);
}

let dxf;
try {
  // The library's messages go to stdout and stderr; stdout carries nothing
  // of ours, and what it prints to stderr before a failure is noise for the
  // host, which shows the last line.
  const lib = await library.LibreDwg.create(path.join(here, 'node_modules', PACKAGE, 'wasm') + '/');
  dxf = convertDwg(lib, library.Dwg_Object_Type, new Uint8Array(dwg));
} catch (error) {
  if (error instanceof RefusedDrawing) fail(3, error.message);
  fail(4, `the library crashed while reading it (${error?.name ?? 'error'}: ${error?.message ?? error})`);
}

try {
  fs.writeFileSync(output, dxf);
} catch (error) {
  fail(2, `cannot write ${output}: ${error.message}`);
}
