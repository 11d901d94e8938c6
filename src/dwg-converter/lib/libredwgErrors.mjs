// LibreDWG reports what went wrong while reading as bits of one number.
// Bits below CRITICAL are things it repaired or skipped (a wrong CRC, an
// unknown class) and the drawing is still read; from CRITICAL up it gave up.

export const CRITICAL = 128;

const BITS = [
  [1, 'wrong CRC'],
  [2, 'not yet supported'],
  [4, 'unhandled class'],
  [8, 'invalid type'],
  [16, 'invalid handle'],
  [32, 'invalid extended data'],
  [64, 'value out of bounds'],
  [128, 'classes not found'],
  [256, 'section not found'],
  [512, 'page not found'],
  [1024, 'internal error'],
  [2048, 'not a DWG file it can read'],
  [4096, 'input/output error'],
  [8192, 'out of memory'],
];

export function isCritical(code) {
  return code >= CRITICAL;
}

/** "LibreDWG error 2048: not a DWG file it can read", naming every bit set. */
export function describeError(code) {
  const names = BITS.filter(([bit]) => (code & bit) !== 0).map(([, name]) => name);
  return `LibreDWG error ${code}: ${names.join(', ') || 'unknown'}`;
}
