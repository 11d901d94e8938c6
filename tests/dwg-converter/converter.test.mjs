// The converter program as the host runs it (node --liftoff-only, a DWG in,
// DXF text out) on sample drawings and on bad input.
import assert from 'node:assert/strict';
import { spawnSync } from 'node:child_process';
import fs from 'node:fs';
import os from 'node:os';
import path from 'node:path';
import { test } from 'node:test';
import { fileURLToPath } from 'node:url';

const repo = path.resolve(path.dirname(fileURLToPath(import.meta.url)), '../..');
const converter = path.join(repo, 'src/dwg-converter/kasanemi-dwg-converter.mjs');
const samples = path.join(process.env.KASANEMI_SHARED ?? path.join(repo, '../shared'), 'samples/dwg');
const work = fs.mkdtempSync(path.join(os.tmpdir(), 'kasanemi-dwg-converter-test-'));

function convert(input, script = converter) {
  const output = path.join(work, `${path.basename(input)}.dxf`);
  fs.rmSync(output, { force: true });
  const run = spawnSync(process.execPath, ['--liftoff-only', script, input, output], { encoding: 'utf8' });
  const lines = run.stderr.trim().split('\n');
  return { code: run.status, message: lines[lines.length - 1], output, written: fs.existsSync(output) };
}

function writeInput(name, bytes) {
  const file = path.join(work, name);
  fs.writeFileSync(file, bytes);
  return file;
}

/** The LAYER entries of DXF text: name bytes (Latin-1), 70 and 62 values. */
function layers(dxf) {
  const lines = dxf.toString('latin1').split(/\r?\n/);
  const out = [];
  let inTable = false;
  for (let i = 0; i + 1 < lines.length; i += 2) {
    const [code, value] = [lines[i].trim(), lines[i + 1]];
    if (code === '2' && value === 'LAYER' && lines[i - 1] === 'TABLE') inTable = true;
    else if (inTable && code === '0' && value === 'ENDTAB') break;
    else if (inTable && code === '0' && value === 'LAYER') out.push({});
    else if (inTable && out.length && ['2', '70', '62'].includes(code)) out[out.length - 1][code] = value.trim();
  }
  return out;
}

test('a drawing converts with the layer states it holds, not the writer\'s "every layer off"', () => {
  const result = convert(path.join(samples, 'libredwg_example_2000.dwg'));
  assert.equal(result.code, 0, result.message);
  const oracle = JSON.parse(fs.readFileSync(path.join(samples, 'libredwg_example_2000.oracle.json'), 'utf8'));
  const got = layers(fs.readFileSync(result.output));
  assert.deepEqual(got.map((l) => ({
    name: l['2'], on: Number(l['62']) > 0, frozen: (l['70'] & 1) !== 0, locked: (l['70'] & 4) !== 0,
  })), oracle.layers.map((l) => ({ name: l.name, on: l.on, frozen: l.frozen, locked: l.locked })));
});

test('Japanese layer names of an ANSI_932 drawing come out as the same Shift_JIS bytes', () => {
  // Made from example_2000.dwg by tests/dwg-converter/make_ansi932_dwg.py (see there).
  const made = path.join(work, 'ansi932.dwg');
  const maker = spawnSync('python3', [path.join(repo, 'tests/dwg-converter/make_ansi932_dwg.py'),
    path.join(samples, 'libredwg_example_2000.dwg'), made], { encoding: 'utf8' });
  assert.equal(maker.status, 0, maker.stderr);
  const result = convert(made);
  assert.equal(result.code, 0, result.message);
  const dxf = fs.readFileSync(result.output);
  const names = layers(dxf).map((l) => Buffer.from(l['2'], 'latin1'));
  const decoded = names.map((n) => new TextDecoder('shift_jis').decode(n));
  assert.deepEqual(decoded, ['0', '表示図２', '平面図３', 'Defpoints', 'ADSK_SYSTEM_LIGHTS']);
  assert.ok(names[1].equals(Buffer.from([0x95, 0x5c, 0x8e, 0xa6, 0x90, 0x7d, 0x82, 0x51])));
  assert.match(dxf.toString('latin1'), /\$DWGCODEPAGE\r?\n {2}3\r?\nANSI_932\r?\n/);
});

test('bad input is refused with one line, and nothing is written', async (t) => {
  const example = fs.readFileSync(path.join(samples, 'libredwg_example_2000.dwg'));
  const newer = Buffer.from(fs.readFileSync(path.join(samples, 'libredwg_example_2018.dwg')));
  newer.write('AC1040', 0, 'latin1');
  const cases = [
    ['empty', Buffer.alloc(0), /the file is empty/],
    ['text', Buffer.from('SECTION\nthis is no drawing\n'), /not a DWG file/],
    ['truncated', example.subarray(0, 20000), /LibreDWG error \d+/],
    ['too new', newer, /newer than the library reads \(AC1040/],
  ];
  for (const [name, bytes, message] of cases) {
    await t.test(name, () => {
      const result = convert(writeInput(`${name}.dwg`, bytes));
      assert.equal(result.code, 3, result.message);
      assert.match(result.message, message);
      assert.ok(!result.written);
    });
  }
});

test('a drawing the library crashes on (example_2004.dwg) is reported as its crash', () => {
  const result = convert(path.join(samples, 'libredwg_example_2004.dwg'));
  assert.equal(result.code, 4);
  assert.match(result.message, /the library crashed while reading it \(RuntimeError: /);
  assert.ok(!result.written);
});

test('without its package the converter says which package and where', () => {
  const bare = path.join(work, 'bare');
  fs.mkdirSync(path.join(bare, 'lib'), { recursive: true });
  fs.copyFileSync(converter, path.join(bare, 'kasanemi-dwg-converter.mjs'));
  const result = convert(path.join(samples, 'libredwg_sample_2000.dwg'), path.join(bare, 'kasanemi-dwg-converter.mjs'));
  assert.equal(result.code, 5);
  assert.match(result.message, /@mlightcad\/libredwg-web is not installed in .*bare \(run npm ci there\)/);
});
