#!/usr/bin/python3
"""The peer of cad_load_bench: ezdxf loads the same drawing and counts the
entities of every layer (model space and every paper-space layout)."""
import sys
import time
from collections import Counter

import ezdxf
from ezdxf import recover

path = sys.argv[1]
t0 = time.perf_counter()
c0 = time.process_time()
try:
    doc = ezdxf.readfile(path)
except Exception:  # ezdxf's strict loader refuses some files its recover loader reads
    doc, _ = recover.readfile(path)
t1 = time.perf_counter()
c1 = time.process_time()
counts = Counter()
for layout in doc.layouts:
    for e in layout:
        counts[e.dxf.get("layer", "0")] += 1
per_layer = [counts.get(layer.dxf.name, 0) for layer in doc.layers]
t2 = time.perf_counter()
print(f"ezdxf_load_cpu_seconds {c1 - c0:.3f}")
print(f"ezdxf_load_seconds {t1 - t0:.3f}")
print(f"ezdxf_count_all_layers_seconds {t2 - t1:.4f}")
print(f"ezdxf_counted {sum(per_layer)}")
