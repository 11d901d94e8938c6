// The library's DXF writer marks every layer of an R13+ drawing off (a
// negative colour), so the states the drawing really has are written into
// its LAYER entries here, from the drawing as the library read it. Entries
// are matched by their handle (group 5); only the values that carry a state
// change, every other byte of the text stays as written.
//
// The text is handled as Latin-1, one character a byte, so names in any
// code page pass through untouched.

/**
 * @typedef {object} LayerState
 * @property {boolean} on
 * @property {boolean} frozen
 * @property {boolean} frozenInNewViewports
 * @property {boolean} locked
 * @property {number|null} colorIndex 1..255, or null to keep the written colour
 * @property {boolean} plottable
 */

/**
 * The groups of the LAYER table of DXF text as {code, value, begin, end}
 * (the offsets of the value), from the table's start to its ENDTAB; the
 * rest of the text is not looked at.
 */
function layerTableGroups(text) {
  const out = [];
  const lineRe = /([^\r\n]*)(\r\n|\n|\r)/y;
  let code = null;
  let inTable = false;
  let previous = null;
  let match;
  while ((match = lineRe.exec(text)) !== null) {
    if (code === null) {
      code = match[1].trim();
      continue;
    }
    const group = { code, value: match[1], begin: match.index, end: match.index + match[1].length };
    code = null;
    if (!inTable) {
      inTable = previous?.code === '0' && previous.value.trim() === 'TABLE'
        && group.code === '2' && group.value.trim() === 'LAYER';
      previous = group;
      continue;
    }
    if (group.code === '0' && group.value.trim() === 'ENDTAB') break;
    out.push(group);
  }
  return out;
}

function flagValue(written, state) {
  const old = Number.parseInt(written.trim(), 10) || 0;
  return (old & ~7) | (state.frozen ? 1 : 0) | (state.frozenInNewViewports ? 2 : 0) | (state.locked ? 4 : 0);
}

function colourValue(written, state) {
  const old = Math.abs(Number.parseInt(written.trim(), 10) || 7);
  const index = state.colorIndex ?? old;
  return state.on ? index : -index;
}

/** Right-aligns a number the way the writer does (width 6). */
function number(n) {
  return String(n).padStart(6, ' ');
}

/**
 * Returns `dxf` (a Buffer) with each LAYER entry whose handle is a key of
 * `states` (upper-case hex) given that state; `patched` counts the entries.
 * @param {Buffer} dxf
 * @param {Map<string, LayerState>} states
 */
export function patchLayerStates(dxf, states) {
  const text = dxf.toString('latin1');
  const all = layerTableGroups(text);
  const edits = [];
  let patched = 0;
  for (let i = 0; i < all.length; i++) {
    if (all[i].code !== '0' || all[i].value.trim() !== 'LAYER') continue;
    let end = i + 1;
    while (end < all.length && all[end].code !== '0') end++;
    const entry = all.slice(i + 1, end);
    const handle = entry.find((g) => g.code === '5');
    const state = handle && states.get(handle.value.trim().toUpperCase());
    if (!state || !entry.some((g) => g.code === '2')) continue;
    patched++;
    let plotGroup = null;
    for (const g of entry) {
      if (g.code === '70') edits.push([g.begin, g.end, number(flagValue(g.value, state))]);
      else if (g.code === '62') edits.push([g.begin, g.end, number(colourValue(g.value, state))]);
      else if (g.code === '290') plotGroup = g;
    }
    if (plotGroup) {
      edits.push([plotGroup.begin, plotGroup.end, number(state.plottable ? 1 : 0)]);
    } else if (!state.plottable) {
      // A layer that plots has no 290 group; one that does not needs it.
      const last = entry[entry.length - 1];
      const lineEnd = text.slice(last.end).match(/^(\r\n|\n|\r)/)?.[0] ?? '\n';
      edits.push([last.end, last.end, `${lineEnd}290${lineEnd}${number(0)}`]);
    }
    i = end - 1;
  }
  edits.sort((a, b) => a[0] - b[0]);
  const parts = [];
  let at = 0;
  for (const [begin, end, value] of edits) {
    parts.push(text.slice(at, begin), value);
    at = end;
  }
  parts.push(text.slice(at));
  return { dxf: Buffer.from(parts.join(''), 'latin1'), patched };
}
