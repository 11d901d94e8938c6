// The layer-state patch on small DXF texts: what changes, what stays byte
// for byte.
import assert from 'node:assert/strict';
import { test } from 'node:test';

import { patchLayerStates } from '../../src/dwg-converter/lib/dxfLayerPatch.mjs';

const state = (over) => ({
  on: true, frozen: false, frozenInNewViewports: false, locked: false, colorIndex: null, plottable: true, ...over,
});

function layerTable(entries, eol = '\r\n') {
  const lines = ['  0', 'SECTION', '  2', 'TABLES', '  0', 'TABLE', '  2', 'LAYER', '  5', '2', ' 70', '     2'];
  for (const e of entries) lines.push('  0', 'LAYER', '  5', e.handle, '  2', e.name, ' 70', e.flags, ' 62', e.colour, '  6', 'Continuous', ...(e.extra ?? []));
  lines.push('  0', 'ENDTAB', '  0', 'TABLE', '  2', 'LTYPE', '  0', 'LAYER', '  5', '10', ' 62', '    -7', '  0', 'ENDTAB', '  0', 'ENDSEC', '  0', 'EOF');
  return Buffer.from(lines.join(eol) + eol, 'latin1');
}

function values(buffer, code) {
  const lines = buffer.toString('latin1').split(/\r?\n/);
  const out = [];
  for (let i = 0; i + 1 < lines.length; i += 2) if (lines[i].trim() === code) out.push(lines[i + 1].trim());
  return out;
}

test('states from the drawing replace the writer\'s "every layer off"', () => {
  const dxf = layerTable([
    { handle: '10', name: '0', flags: '     0', colour: '    -7' },
    { handle: '8A', name: 'walls', flags: '    64', colour: '    -2' },
  ]);
  const states = new Map([
    ['10', state({})],
    ['8A', state({ on: false, frozen: true, locked: true, colorIndex: 3 })],
  ]);
  const { dxf: out, patched } = patchLayerStates(dxf, states);
  assert.equal(patched, 2);
  // colours: on keeps the written index, off is negative and takes the
  // drawing's index; the LAYER entry outside the LAYER table stays.
  assert.deepEqual(values(out, '62'), ['7', '-3', '-7']);
  // frozen (1) and locked (4) set, the writer's other bits (64) kept
  assert.deepEqual(values(out, '70'), ['2', '0', '69']);
});

test('a layer that does not plot gets its 290 group; one that plots keeps the file without one', () => {
  const dxf = layerTable([
    { handle: '10', name: '0', flags: '     0', colour: '     7' },
    { handle: '11', name: 'Defpoints', flags: '     0', colour: '     7' },
    { handle: '12', name: 'notes', flags: '     0', colour: '     7', extra: ['290', '     0'] },
  ]);
  const states = new Map([['10', state({})], ['11', state({ plottable: false })], ['12', state({})]]);
  const out = patchLayerStates(dxf, states).dxf;
  assert.deepEqual(values(out, '290'), ['0', '1']);
  assert.match(out.toString('latin1'), /Defpoints\r\n 70\r\n {5}0\r\n 62\r\n {5}7\r\n {2}6\r\nContinuous\r\n290\r\n {5}0\r\n {2}0\r\n/);
});

test('names in a code page pass through byte for byte, entries without a known handle are left alone', () => {
  const sjis = Buffer.from([0x95, 0x5c, 0x8e, 0xa6, 0x90, 0x7d, 0x82, 0x51]).toString('latin1');
  const dxf = layerTable([
    { handle: '89', name: sjis, flags: '     0', colour: '    -2' },
    { handle: 'FF', name: 'other', flags: '     0', colour: '    -5' },
  ], '\n');
  const out = patchLayerStates(dxf, new Map([['89', state({})]])).dxf;
  assert.ok(out.includes(Buffer.from([0x0a, 0x95, 0x5c, 0x8e, 0xa6, 0x90, 0x7d, 0x82, 0x51, 0x0a])));
  assert.deepEqual(values(out, '62'), ['2', '-5', '-7']);
  assert.ok(!out.includes(Buffer.from('\r')));
});

test('text without a LAYER table comes back unchanged', () => {
  const dxf = Buffer.from('  0\r\nSECTION\r\n  2\r\nENTITIES\r\n  0\r\nENDSEC\r\n  0\r\nEOF\r\n', 'latin1');
  const { dxf: out, patched } = patchLayerStates(dxf, new Map([['10', state({ on: false })]]));
  assert.equal(patched, 0);
  assert.deepEqual(out, dxf);
});
