// One DWG drawing to DXF text: LibreDWG reads the drawing (for its layer
// states) and writes it as DXF; the layer states are then put into the text.

import { describeError, isCritical } from './libredwgErrors.mjs';
import { patchLayerStates } from './dxfLayerPatch.mjs';
import { readLayerStates } from './layerStates.mjs';

/** A drawing the library would not read; `message` says why in one line. */
export class RefusedDrawing extends Error {}

// The newest version LibreDWG 0.13 reads (AutoCAD 2018 to 2024 write it).
const NEWEST = 'AC1032';
const INPUT = '/input.dwg';
const OUTPUT = '/output.dxf';

/**
 * @param {object} lib the LibreDwg instance
 * @param {object} types the package's Dwg_Object_Type enumeration
 * @param {Uint8Array} dwg the file's bytes
 * @returns {Buffer} the DXF text
 */
export function convertDwg(lib, types, dwg) {
  if (dwg.length === 0) throw new RefusedDrawing('the file is empty');
  const tag = Buffer.from(dwg.subarray(0, 6)).toString('latin1');
  if (!/^AC\d{4}$/.test(tag))
    throw new RefusedDrawing('not a DWG file (it does not start with a DWG version such as AC1015)');
  if (tag > NEWEST)
    throw new RefusedDrawing(`a DWG version newer than the library reads (${tag}; it reads up to ${NEWEST}, AutoCAD 2018)`);
  // The module's own functions, which work on files of its memory file
  // system (the wrapper's functions of the same names take bytes instead).
  const wasm = lib.wasmInstance ?? lib;
  const fs = wasm.FS;
  fs.writeFile(INPUT, dwg);
  try {
    const read = wasm.dwg_read_file(INPUT);
    if (isCritical(read.error)) {
      if (read.data) lib.dwg_free(read.data);
      throw new RefusedDrawing(`the library could not read it (${describeError(read.error)})`);
    }
    const states = readLayerStates(lib, types, read.data, tag >= 'AC1015');
    lib.dwg_free(read.data);

    const written = wasm.dwg_write_dxf(INPUT, OUTPUT);
    if (isCritical(written) || !fs.analyzePath(OUTPUT, false).exists)
      throw new RefusedDrawing(`the library could not convert it (${describeError(written)})`);
    const dxf = Buffer.from(fs.readFile(OUTPUT));
    return patchLayerStates(dxf, states).dxf;
  } finally {
    for (const path of [INPUT, OUTPUT])
      if (fs.analyzePath(path, false).exists) fs.unlink(path);
  }
}
