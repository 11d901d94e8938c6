// The layer states of a drawing as LibreDWG read it (dwg_read_file), keyed
// by handle in upper-case hex, as the DXF text names its entries.

const LAYER_TYPE_NAME = 'DWG_TYPE_LAYER';

function handleKey(value) {
  return BigInt(value).toString(16).toUpperCase();
}

/** The ACI colour of a layer record's colour, or null for a true colour. */
function colourIndex(colour) {
  const index = Math.abs(Number(colour?.index ?? 0));
  return index >= 1 && index <= 255 ? index : null;
}

/**
 * @param {object} lib the LibreDwg instance (its calls reach the WebAssembly module)
 * @param {object} types the package's Dwg_Object_Type enumeration
 * @param {number} data pointer to the Dwg_Data read
 * @param {boolean} hasPlotFlag the drawing is R2000 or later (before that a
 *   layer has no plot flag, and every layer plots)
 * @returns {Map<string, import('./dxfLayerPatch.mjs').LayerState>}
 */
export function readLayerStates(lib, types, data, hasPlotFlag) {
  const states = new Map();
  const layerType = types[LAYER_TYPE_NAME];
  const count = lib.dwg_get_num_objects(data);
  for (let i = 0; i < count; i++) {
    const object = lib.dwg_get_object(data, i);
    if (!object || lib.dwg_object_get_fixedtype(object) !== layerType) continue;
    const record = lib.dwg_object_to_object_tio(object);
    const handle = lib.dwg_object_get_handle_object(object);
    if (!record || !handle) continue;
    const field = (name) => lib.dwg_dynapi_entity_data(record, name);
    states.set(handleKey(handle.value), {
      // Before R2004 a layer that is off has a negative colour instead.
      on: !field('off') && !(Number(field('color')?.index ?? 0) < 0),
      frozen: Boolean(field('frozen')),
      frozenInNewViewports: Boolean(field('frozen_in_new')),
      locked: Boolean(field('locked')),
      colorIndex: colourIndex(field('color')),
      plottable: hasPlotFlag ? Boolean(field('plotflag')) : true,
    });
  }
  return states;
}
